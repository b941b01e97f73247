"""A local SMTP server for the tests and benchmarks (Debian's python3-aiosmtpd).

Usage: smtp_sink.py --dir FOLDER [--user NAME --password WORD] [--size-limit BYTES]
                    [--tls-cert PEM --tls-key PEM [--implicit-tls]] [--auth-exclude MECH]...
                    [--bearer-tokens FILE]

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

With --bearer-tokens FILE the server also offers XOAUTH2 and OAUTHBEARER (else it does not)
and accepts an access token listed in FILE (one a line, read at each AUTH); a refused
token gets the JSON error challenge, then 535 after the client's answer. Without TLS,
AUTH is then offered in cleartext (so that tests see the client refuse to send a token).

Runs until it is terminated or its stdin reaches end of file.
"""

import argparse
import asyncio
import json
import os
import logging
import ssl
import sys

from base64 import b64decode

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword


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


class BearerHandler(FolderHandler):
    """XOAUTH2 and OAUTHBEARER against the tokens listed in a file."""

    def __init__(self, folder, tokens_file):
        super().__init__(folder)
        self.tokens_file = tokens_file

    def valid(self, token):
        try:
            with open(self.tokens_file, "rb") as f:
                return token in f.read().split()
        except OSError:
            return False

    async def refuse(self, server, oauthbearer):
        error = b'{"status":"401","schemes":"Bearer","scope":"https://mail.test/"}'
        answer = await server.challenge_auth(error)
        # The client's answer to the error: ^A for OAUTHBEARER (RFC 7628), empty for XOAUTH2.
        if answer is MISSING or answer != (b"\x01" if oauthbearer else b""):
            return AuthResult(success=False, message="501 5.5.2 Wrong answer to the error challenge", handled=False)
        return AuthResult(success=False, handled=False)

    async def check(self, server, args, oauthbearer):
        if len(args) != 2:
            return AuthResult(success=False, message="501 5.5.2 Initial response required", handled=False)
        try:
            blob = b64decode(args[1].encode(), validate=True)
        except Exception:
            return AuthResult(success=False, message="501 5.5.2 Can't decode base64", handled=False)
        fields = blob.split(b"\x01")
        user = b""
        if oauthbearer:
            header = fields[0].split(b",")
            if len(header) < 3 or header[0] != b"n" or not header[1].startswith(b"a="):
                return AuthResult(success=False, message="501 5.5.2 Bad GS2 header", handled=False)
            user = header[1][2:].replace(b"=2C", b",").replace(b"=3D", b"=")
            pairs = fields[1:]
        else:
            if not fields[0].startswith(b"user="):
                return AuthResult(success=False, message="501 5.5.2 No user", handled=False)
            user = fields[0][5:]
            pairs = fields[1:]
        if blob[-2:] != b"\x01\x01":
            return AuthResult(success=False, message="501 5.5.2 Not ended by two ^A", handled=False)
        token = None
        for pair in pairs:
            if pair.startswith(b"auth=Bearer "):
                token = pair[len(b"auth=Bearer "):]
        if token is None or not self.valid(token):
            return await self.refuse(server, oauthbearer)
        return AuthResult(success=True, handled=False, auth_data=LoginPassword(user, token))

    async def auth_XOAUTH2(self, server, args):
        return await self.check(server, args, False)

    async def auth_OAUTHBEARER(self, server, args):
        return await self.check(server, args, True)


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
    handler = BearerHandler(args.dir, args.bearer_tokens) if args.bearer_tokens else FolderHandler(args.dir)
    options = dict(hostname="sink.test", data_size_limit=args.size_limit)
    if args.bearer_tokens and (not args.tls_cert or args.implicit_tls):
        options.update(auth_require_tls=False)
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
    parser.add_argument("--bearer-tokens")
    args = parser.parse_args()
    asyncio.run(serve(args))


if __name__ == "__main__":
    main()
