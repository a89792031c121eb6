#!/usr/bin/python3
"""Delivers three messages through the mail client to a real SMTP server
(aiosmtpd, in this process, on a loopback port) and checks what arrived:
a given message plain and with AUTH LOGIN, and a composed notification.

usage: deliver_to_aiosmtpd.py SEND_MAIL_TOOL [WINE-RUN...]
"""
import email
import email.policy
import email.utils
import os
import signal
import socket
import subprocess
import sys
import tempfile

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

TOOL_TIMEOUT = 60  # seconds for one delivery, Wine start-up included


class Keeper:
    def __init__(self):
        self.envelopes = []

    async def handle_DATA(self, server, session, envelope):
        self.envelopes.append((envelope.mail_from, list(envelope.rcpt_tos), envelope.content,
                               session.authenticated))
        return "250 Message accepted for delivery"


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = mechanism == "LOGIN" and auth_data.login == b"meter" and auth_data.password == b"pa:ss word"
    return AuthResult(success=ok)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run_tool(command):
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        out, _ = proc.communicate(timeout=TOOL_TIMEOUT)
    except subprocess.TimeoutExpired:
        os.kill(proc.pid, signal.SIGKILL)  # only the process this test started
        proc.wait()
        raise SystemExit("send_mail_tool did not finish in time")
    text = out.decode(errors="replace").strip()
    if proc.returncode != 0:
        raise SystemExit(f"send_mail_tool failed ({proc.returncode}): {text}")


MESSAGE = (b"From: meter@example.com\r\nTo: admin@example.com, ops@example.org\r\n"
           b"Subject: Bandwidth Usage Notification\r\nDate: Mon, 07 Dec 2026 02:17:42 +0100\r\n\r\n"
           b"Hi,\r\n\r\nMore than 500 MB have been downloaded.\r\n.\r\n..two dots\r\nBye\r\n")


def main():
    tool = sys.argv[1]
    runner = sys.argv[2:]
    keeper = Keeper()
    port = free_port()
    controller = Controller(keeper, hostname="127.0.0.1", port=port, auth_require_tls=False,
                            authenticator=authenticator)
    controller.start()
    try:
        with tempfile.NamedTemporaryFile(suffix=".eml", dir=".", delete=False) as f:
            f.write(MESSAGE)
            path = os.path.basename(f.name)
        try:
            base = runner + [tool, "127.0.0.1", str(port), "meter@example.com",
                             " admin@example.com ,, ops@example.org", path]
            run_tool(base)
            run_tool(base + ["meter", "pa:ss word"])
            run_tool(runner + [tool, "--notification", "127.0.0.1", str(port)])
        finally:
            os.remove(path)
    finally:
        controller.stop()

    assert len(keeper.envelopes) == 3, keeper.envelopes
    for (mail_from, rcpts, content, authenticated), expect_auth in zip(keeper.envelopes[:2], (False, True)):
        assert mail_from == "meter@example.com", mail_from
        assert rcpts == ["admin@example.com", "ops@example.org"], rcpts
        assert bool(authenticated) == expect_auth, authenticated
        # What arrives is the message as composed: headers untouched, the
        # dot-stuffing undone by the server.
        assert content == MESSAGE + b"\r\n", content  # the end marker brings its own CR LF
    check_notification(*keeper.envelopes[2])
    print("delivered and checked 3 messages")


def check_notification(mail_from, rcpts, content, authenticated):
    assert mail_from == "meter@example.com", mail_from
    assert rcpts == ["admin@example.com", "ops@example.org"], rcpts
    # The header block byte for byte; the addresses stand as entered.
    head = (b"From: meter@example.com\r\nTo:  admin@example.com ,, ops@example.org\r\n"
            b"Subject: Bandwidth Usage Notification\r\nDate: Wed, 11 Mar 2026 09:30:00 +0100\r\n\r\n")
    assert content.startswith(head), content
    msg = email.message_from_bytes(content, policy=email.policy.compat32)
    assert msg["Subject"] == "Bandwidth Usage Notification", msg["Subject"]
    assert email.utils.parsedate_to_datetime(msg["Date"]).isoformat() == "2026-03-11T09:30:00+01:00"
    body = msg.get_payload()
    expected = ("Hi,\r\n\r\nMore than 500 MB have been downloaded through LAN in last week "
                "(03/09/2026 -- 03/11/2026).\r\n\r\nBytes downloaded so far: 600.00 MB\r\n\r\n"
                "The email was sent by Quellmark.\r\n\r\n")
    assert body == expected, repr(body)


if __name__ == "__main__":
    main()
