#!/usr/bin/python3
"""Builds Quellmark.chm from the pages listed in contents.txt.

Writes the help project (Quellmark.hhp) and its table of contents
(Quellmark.hhc) into the output folder beside copies of the pages, the style
sheet and the screenshots, checks that every picture and every link of the
pages exists, and compiles the project with chmcmd.

Usage: build_help.py SCREENSHOT_FOLDER OUTPUT_FOLDER
"""
import html
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PAGES = os.path.join(HERE, "pages")
TITLE = "Quellmark Help"

PROJECT = """[OPTIONS]
Compatibility=1.1 or later
Compiled file=Quellmark.chm
Contents file=Quellmark.hhc
Default topic=index.html
Default Window=main
Display compile progress=No
Full-text search=Yes
Language=0x409 English (United States)
Title={title}

[WINDOWS]
main="{title}","Quellmark.hhc",,"index.html","index.html",,,,,0x2520,,0x3006,,,,,,,,0

[FILES]
{files}
"""

TOC_HEAD = """<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<html><head></head><body>
<object type="text/site properties"><param name="Window Styles" value="0x800025"></object>
<ul>
"""
TOC_ENTRY = """<li><object type="text/sitemap"><param name="Name" value="{name}"><param name="Local" value="{page}"></object>
"""


def read_contents():
    """(indent, page, title) for every line of contents.txt."""
    entries = []
    with open(os.path.join(HERE, "contents.txt"), encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            indent = (len(line) - len(line.lstrip(" "))) // 2
            page, _, title = line.strip().partition(" ")
            entries.append((indent, page, title.strip()))
    return entries


def toc(entries):
    out, depth = [TOC_HEAD], 0
    for indent, page, title in entries:
        while depth < indent:
            out.append("<ul>\n")
            depth += 1
        while depth > indent:
            out.append("</ul>\n")
            depth -= 1
        out.append(TOC_ENTRY.format(name=html.escape(title, quote=True), page=page))
    out.append("</ul>\n" * (depth + 1))
    out.append("</body></html>\n")
    return "".join(out)


def check_references(page, text, files):
    """The pictures and pages a page refers to, missing from the help."""
    missing = []
    for ref in re.findall(r'(?:src|href)="([^"#:]+)(?:#[^"]*)?"', text):
        if ref not in files:
            missing.append("%s refers to %s" % (page, ref))
    return missing


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    shots, out = map(os.path.abspath, sys.argv[1:])
    os.makedirs(out, exist_ok=True)
    entries = read_contents()
    pages = [page for _, page, _ in entries]
    unlisted = sorted(set(p for p in os.listdir(PAGES) if p.endswith(".html")) - set(pages))
    if unlisted:
        print("pages missing from contents.txt: %s" % " ".join(unlisted))
        return 1
    files = set(pages) | {"style.css"}
    for page in pages:
        shutil.copyfile(os.path.join(PAGES, page), os.path.join(out, page))
    shutil.copyfile(os.path.join(PAGES, "style.css"), os.path.join(out, "style.css"))
    for name in sorted(os.listdir(shots)):
        if name.endswith(".png"):
            shutil.copyfile(os.path.join(shots, name), os.path.join(out, name))
            files.add(name)
    missing = []
    for page in pages:
        with open(os.path.join(PAGES, page), encoding="utf-8") as f:
            missing += check_references(page, f.read(), files)
    if missing:
        print("\n".join(missing))
        return 1
    with open(os.path.join(out, "Quellmark.hhc"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write(toc(entries))
    with open(os.path.join(out, "Quellmark.hhp"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write(PROJECT.format(title=TITLE, files="\n".join(sorted(files))))
    chm = os.path.join(out, "Quellmark.chm")
    if os.path.exists(chm):
        os.remove(chm)
    with open(os.path.join(out, "chmcmd.log"), "wb") as log:
        rc = subprocess.run(["chmcmd", "Quellmark.hhp"], cwd=out, stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT).returncode
    if rc != 0 or not os.path.exists(chm):
        print("chmcmd failed; see %s" % os.path.join(out, "chmcmd.log"))
        return 1
    print("built %s (%d pages, %d files)" % (chm, len(pages), len(files)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
