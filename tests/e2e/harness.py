"""What the whole-program tests under Wine share: the checks and their
closing lines, new Wine prefixes, a private X display, and the desktop
program with the driver that works it from outside.

    d = Desktop(program, driver, work_folder("desktop_e2e"))
    d.setup()                      # prefix and display
    p = d.start("first-start")
    check(d.wait_for(lambda: d.info().get("found") == "1"), "the meter window appears")
    ...
    d.close()                      # ends what it started, by process id
    sys.exit(summary(work))
"""
import fcntl
import os
import shutil
import subprocess
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

SKIP = 77  # the exit status ctest counts as skipped
failures, passes = [], []


def check(cond, what):
    (passes if cond else failures).append(what)
    print("%s: %s" % ("ok" if cond else "FAILED", what), flush=True)
    return cond


def summary(work=None):
    """The closing lines; the exit status."""
    if work:
        print("screenshots:", work)
    print("%d passed, %d failed" % (len(passes), len(failures)))
    for f in failures:
        print("FAILED:", f)
    return 1 if failures else 0


def rooted():
    """Root and iproute2: what a network namespace of the test's own needs."""
    return os.geteuid() == 0 and shutil.which("ip") is not None


def lacks_root(what="the network namespace"):
    """Whether a test that cannot do without `what` is skipped here; says so."""
    if rooted():
        return False
    print("skipped: needs root and iproute2 for %s" % what)
    return True


def work_folder(name, outputs=(".png", ".ppm", ".txt", ".log")):
    """The test's folder below the current one, without the last run's outputs."""
    work = os.path.abspath(name)
    os.makedirs(work, exist_ok=True)
    for entry in os.listdir(work):
        if entry.endswith(tuple(outputs)):
            os.remove(os.path.join(work, entry))
    return work


# --- Wine prefixes ------------------------------------------------------------

def _template(build):
    """A prefix booted once per build tree and never run in: booting takes
    10 to 20 seconds, a copy of it well under one."""
    template = os.path.join(build or os.environ.get("QM_BUILD_DIR") or os.getcwd(), "e2e-prefix-template")
    with open(template + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(os.path.join(template, "system.reg")):
            # Booted beside it and renamed when the server has written it
            # all, so no test ever copies a half-made one.
            new = template + ".new"
            shutil.rmtree(new, ignore_errors=True)
            os.makedirs(new)
            env = dict(os.environ, WINEPREFIX=new, **WINE_ENV)
            env.pop("DISPLAY", None)  # no display is needed to create a prefix
            with open(template + ".log", "wb") as log:
                subprocess.run([WINE, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=log,
                               stderr=log, timeout=300, check=True)
                unmanaged_windows(new, env, log)
                subprocess.run([WINESERVER, "-w"], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                               timeout=300)
            shutil.rmtree(template, ignore_errors=True)
            os.rename(new, template)
    return template


def unmanaged_windows(prefix, env, log):
    """No window manager runs on the private displays, yet Wine waits up to
    two seconds for one whenever it hides a window it lets one manage (a
    message box or dialog closing): with its windows unmanaged it does not.
    Without a window manager nothing else differs."""
    try:
        with open(os.path.join(prefix, "user.reg"), encoding="latin-1") as f:
            if '"Managed"="N"' in f.read():
                return
    except OSError:
        pass  # not written yet: the server writes it when it ends
    subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
                    "/d", "N", "/f"], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=120)


def fresh_prefix(prefix, build=None):
    """Makes `prefix` a newly booted Wine prefix, whatever was there; the
    template lives in the build tree (`build`, or the tests' one)."""
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    subprocess.run(["cp", "-a", _template(build), prefix], stdin=subprocess.DEVNULL, timeout=300, check=True)


# --- the X display and its screenshots ------------------------------------------

def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maxval
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width = int(fields[1])
    pixels = data[pos + 1:]

    def at(x, y):
        i = (y * width + x) * 3
        return tuple(pixels[i:i + 3])
    return at



def start_display(numbers=range(140, 190), size="1024x768x24"):
    """A private Xvfb on the first free display number: (process, ":N")."""
    for number in numbers:
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            continue
        xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", size, "-nolisten", "tcp"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 20
        while time.time() < deadline and xvfb.poll() is None and \
                not os.path.exists("/tmp/.X11-unix/X%d" % number):
            time.sleep(0.05)
        if xvfb.poll() is None and os.path.exists("/tmp/.X11-unix/X%d" % number):
            return xvfb, ":%d" % number
        if xvfb.poll() is None:
            xvfb.kill()
        xvfb.wait()
    raise RuntimeError("no X display could be started")


def stop_display(xvfb):
    xvfb.terminate()
    try:
        xvfb.wait(timeout=10)
    except subprocess.TimeoutExpired:
        xvfb.kill()
        xvfb.wait()


# --- the desktop program --------------------------------------------------------

class Desktop:
    """The prefix, the display, the program and the driver."""

    def __init__(self, program, driver, work):
        self.program, self.driver, self.work = program, driver, work
        self.prefix = os.path.join(work, "wineprefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, **WINE_ENV)
        self.xvfb = None
        self.procs = []
        self.count = 0

    def setup(self):
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            fresh_prefix(self.prefix)
        self.quiet([WINESERVER, "-w"], self.env, 120)
        # The documents folder (where the history file goes) inside the prefix.
        docs = os.path.join(self.prefix, "drive_c", "users", os.environ.get("USER", "root"), "Documents")
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in os.listdir(users):
            d = os.path.join(users, user, "Documents")
            if os.path.islink(d):
                os.remove(d)
                os.makedirs(d)
        self.documents = docs if os.path.isdir(docs) else None
        self.xvfb, self.display = start_display()
        self.env["DISPLAY"] = self.display
        with open(os.path.join(self.work, "setup.log"), "ab") as log:
            unmanaged_windows(self.prefix, self.env, log)  # a prefix kept from before the template had it

    def quiet(self, args, env, timeout):
        with open(os.path.join(self.work, "setup.log"), "ab") as log:
            subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=timeout)

    def drive(self, *args, timeout=60):
        """Runs the driver; its output lines, through a file (never a pipe)."""
        self.count += 1
        out = os.path.join(self.work, "driver-%d.txt" % self.count)
        with open(out, "wb") as f:
            rc = subprocess.run([WINE, self.driver] + [str(a) for a in args], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT,
                                timeout=timeout).returncode
        with open(out, encoding="latin-1") as f:
            return rc, [line.rstrip("\n") for line in f]

    def info(self):
        _, lines = self.drive("info")
        d = {"views": [], "windows": [], "texts": []}
        for line in lines:
            key, _, value = line.partition("=")
            if key == "view":
                d["views"].append(list(map(int, value.split())))
            elif key == "window":
                d["windows"].append(value)
            elif key == "text":
                d["texts"].append(value)
            else:
                d[key] = value
        return d

    def tips(self):
        _, lines = self.drive("tips")
        return [line[4:] for line in lines if line.startswith("tip=")]

    def options(self):
        _, lines = self.drive("options")
        return dict(line.partition("=")[::2] for line in lines if "=" in line)

    def adapters(self):
        _, lines = self.drive("adapters")
        out = {}
        for line in lines:
            key, _, rest = line.partition(":")
            name, _, value = rest.partition("=")
            out.setdefault(key, {})[name] = value
        return out

    def start(self, name):
        log = open(os.path.join(self.work, name + ".log"), "wb")
        p = subprocess.Popen([WINE, self.program], env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                             stderr=subprocess.STDOUT)
        log.close()
        self.procs.append(p)
        return p

    def background_driver(self, name, *args):
        log = open(os.path.join(self.work, name + ".txt"), "wb")
        p = subprocess.Popen([WINE, self.driver] + [str(a) for a in args], env=self.env, stdin=subprocess.DEVNULL,
                             stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.procs.append(p)
        return p

    def wait_for(self, what, seconds=30):
        # A driver call takes a few hundredths of a second: polling often
        # costs little and ends the wait soon after the condition holds.
        deadline = time.time() + seconds
        while time.time() < deadline:
            value = what()
            if value:
                return value
            time.sleep(0.1)
        return what()

    def shot(self, name):
        png = os.path.join(self.work, name + ".png")
        ppm = os.path.join(self.work, name + ".ppm")
        subprocess.run(["import", "-display", self.display, "-window", "root", png], check=True, timeout=30)
        subprocess.run(["convert", png, ppm], check=True, timeout=30)
        return read_ppm(ppm)

    def close(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        subprocess.run([WINESERVER, "-k"], env=self.env, timeout=30)
        if self.xvfb:
            stop_display(self.xvfb)


def count_colours(at, rect, colours):
    left, top, right, bottom = rect
    return sum(1 for y in range(top, bottom) for x in range(left, right) if at(x, y) in colours)


def linux_path(prefix, windows):
    """C:\\... in the prefix, Z:\\... on this machine."""
    drive, rest = windows[0].upper(), windows[2:].replace("\\", "/")
    if drive == "Z":
        return "/" + rest.lstrip("/")
    root = os.path.join(prefix, "dosdevices", drive.lower() + ":")
    return os.path.realpath(os.path.join(root, rest.lstrip("/")))


def ends(desktop, proc, seconds=30):
    try:
        proc.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False
