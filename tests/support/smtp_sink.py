"""A local SMTP server for the tests and benchmarks (Debian's python3-aiosmtpd).

Usage: smtp_sink.py --dir FOLDER [--user NAME --password WORD] [--size-limit BYTES]
                    [--tls-cert PEM --tls-key PEM [--implicit-tls]] [--auth-exclude MECH]...

Listens on 127.0.0.1 on a free port and prints that port as the first line on stdout
once it accepts connections. Every accepted mail is written to FOLDER as NNNNNN.eml
(the message bytes exactly as received after DATA, dot-stuffing removed) and then
NNNNNN.json (the envelope: mail_from, rcpt_tos, login). The .json file is written last,
through a rename, so a listed .json always has its complete .eml beside it. The EHLO
and AUTH commands received go to FOLDER/commands.log ("EHLO name", "AUTH PLAIN").

With --user, AUTH LOGIN is offered without TLS and accepts only that user name and
password (compared as bytes). Without --user, AUTH requires TLS and so is refused with
a 5xx reply, which is how a server without login support answers.

With --tls-cert and --tls-key the server offers STARTTLS and requires it before any
command but EHLO, HELO, NOOP and QUIT (and before AUTH); with --implicit-tls as well,
it speaks TLS from the first byte instead (as on port 465) and offers AUTH there.
--auth-exclude removes a mechanism (LOGIN, PLAIN) from those offered.

Runs until it is terminated or its stdin reaches end of file.
"""

import argparse
import asyncio
import json
import os
import logging
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class FolderHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        name = os.path.join(self.folder, "%06d" % self.count)
        self.count += 1
        with open(name + ".eml", "wb") as f:
            f.write(envelope.original_content or b"")
        login = session.auth_data.login if isinstance(session.auth_data, LoginPassword) else None
        meta = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "login": login.decode("latin-1") if login is not None else None,
        }
        with open(name + ".json.tmp", "w", encoding="ascii") as f:
            json.dump(meta, f)
        os.rename(name + ".json.tmp", name + ".json")
        return "250 OK queued as %06d" % (self.count - 1)


class RecordingSMTP(SMTP):
    """Writes the EHLO and AUTH commands it receives to commands.log in the folder, one a
    line (AUTH with its mechanism only), so that tests see what the client tried."""

    def __init__(self, handler, folder, **options):
        self.command_log = os.path.join(folder, "commands.log")
        super().__init__(handler, **options)

    def record(self, line):
        with open(self.command_log, "a", encoding="utf-8", errors="replace") as f:
            f.write(line + "\n")

    async def smtp_EHLO(self, hostname):
        self.record("EHLO " + (hostname or ""))
        return await super().smtp_EHLO(hostname)

    async def smtp_AUTH(self, arg):
        self.record("AUTH " + ((arg or "").split() or [""])[0].upper())
        return await super().smtp_AUTH(arg)


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == user and auth_data.password == password)
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)
    return authenticate


async def serve(args):
    loop = asyncio.get_running_loop()
    handler = FolderHandler(args.dir)
    options = dict(hostname="sink.test", data_size_limit=args.size_limit)
    if args.user is not None:
        options.update(auth_require_tls=False,
                       authenticator=make_authenticator(args.user.encode("latin-1"),
                                                        (args.password or "").encode("latin-1")))
    if args.auth_exclude:
        options.update(auth_exclude_mechanism=args.auth_exclude)
    server_ssl = None
    if args.tls_cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        if args.implicit_tls:
            server_ssl = context
        else:
            options.update(tls_context=context, require_starttls=True, auth_require_tls=True)
    server = await loop.create_server(lambda: RecordingSMTP(handler, args.dir, **options), "127.0.0.1", 0, ssl=server_ssl)
    port = server.sockets[0].getsockname()[1]
    sys.stdout.write("%d\n" % port)
    sys.stdout.flush()

    # End of stdin (the parent went away or closed it) stops the server.
    stop = loop.create_future()

    def stdin_readable():
        if not os.read(sys.stdin.fileno(), 4096) and not stop.done():
            loop.remove_reader(sys.stdin.fileno())
            stop.set_result(None)

    try:
        loop.add_reader(sys.stdin.fileno(), stdin_readable)
    except (OSError, ValueError):
        pass  # stdin is a plain file or /dev/null: run until terminated
    async with server:
        await stop


def main():
    # aiosmtpd logs a deprecation notice of its own on every login; only errors matter here.
    # A handshake the client rejects (the certificate tests) is expected, not an error.
    logging.getLogger("mail.log").setLevel(logging.ERROR if "--tls-cert" not in sys.argv else logging.CRITICAL)
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--size-limit", type=int, default=64 * 1024 * 1024)
    parser.add_argument("--tls-cert")
    parser.add_argument("--tls-key")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--auth-exclude", action="append")
    args = parser.parse_args()
    asyncio.run(serve(args))


if __name__ == "__main__":
    main()
