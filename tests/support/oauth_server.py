"""A local OAuth2 authorization server for the tests (plain HTTP on 127.0.0.1).

Usage: oauth_server.py --dir FOLDER [--bearer-tokens FILE] [--no-rotate] [--client-id ID]

Prints its port as the first line on stdout once it listens.

GET /authorize approves at once: it checks the request (response_type=code, the client
ID, a loopback redirect_uri, a code_challenge with method S256) and redirects to the
redirect_uri with a code and the state; a bad request gets 400 and no redirect.
POST /token takes grant_type=authorization_code (the code, the same redirect_uri, and a
code_verifier whose S256 is the challenge) and grant_type=refresh_token. It answers with a
new access token, appended to the --bearer-tokens FILE (which the SMTP sink reads), and
a refresh token; a refresh rotates the refresh token (the old one is void at once)
unless --no-rotate. A void refresh token or code gets 400 {"error": "invalid_grant"}.
POST /revoke voids every refresh token (as a provider does when access is withdrawn).

Every request is logged to FOLDER/requests.log as one JSON object a line (the path and
the form fields), so that tests see what the client sent.
"""

import argparse
import base64
import hashlib
import json
import os
import secrets
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class State:
    def __init__(self, args):
        self.args = args
        self.codes = {}      # code -> (challenge, redirect_uri)
        self.refresh = set()
        self.count = 0
        self.lock = threading.Lock()

    def issue(self, rotate_from=None):
        self.count += 1
        access = "at-%d-%s" % (self.count, secrets.token_urlsafe(8))
        if self.args.bearer_tokens:
            with open(self.args.bearer_tokens, "a", encoding="ascii") as f:
                f.write(access + "\n")
        answer = {"access_token": access, "token_type": "Bearer", "expires_in": 3600}
        if rotate_from is None or not self.args.no_rotate:
            refresh = "rt-%d-%s" % (self.count, secrets.token_urlsafe(8))
            self.refresh.discard(rotate_from)
            self.refresh.add(refresh)
            answer["refresh_token"] = refresh
        payload = base64.urlsafe_b64encode(json.dumps({"email": "vera@mail.test"}).encode()).decode().rstrip("=")
        answer["id_token"] = "e30." + payload + ".sig"
        return answer


def loopback(uri):
    parts = urllib.parse.urlsplit(uri)
    return parts.scheme == "http" and parts.hostname in ("127.0.0.1", "::1", "localhost")


class Handler(BaseHTTPRequestHandler):
    state = None

    def log_message(self, *args):
        pass

    def record(self, fields):
        with open(os.path.join(self.state.args.dir, "requests.log"), "a", encoding="utf-8") as f:
            f.write(json.dumps({"path": urllib.parse.urlsplit(self.path).path, "fields": fields}) + "\n")

    def reply(self, status, body, headers=()):
        data = json.dumps(body).encode() if body is not None else b""
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(parts.query, keep_blank_values=True))
        self.record(query)
        if parts.path != "/authorize":
            return self.reply(404, {"error": "not_found"})
        args = self.state.args
        redirect = query.get("redirect_uri", "")
        if (query.get("response_type") != "code" or query.get("client_id") != args.client_id
                or not loopback(redirect) or query.get("code_challenge_method") != "S256"
                or len(query.get("code_challenge", "")) != 43 or not query.get("state")):
            return self.reply(400, {"error": "invalid_request"})
        code = secrets.token_urlsafe(16)
        with self.state.lock:
            self.state.codes[code] = (query["code_challenge"], redirect)
        target = redirect + "?" + urllib.parse.urlencode({"code": code, "state": query["state"]})
        self.reply(302, None, [("Location", target)])

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode("ascii"), keep_blank_values=True))
        self.record(form)
        path = urllib.parse.urlsplit(self.path).path
        with self.state.lock:
            if path == "/revoke":
                self.state.refresh.clear()
                return self.reply(200, {})
            if path != "/token":
                return self.reply(404, {"error": "not_found"})
            if form.get("client_id") != self.state.args.client_id:
                return self.reply(401, {"error": "invalid_client"})
            grant = form.get("grant_type")
            if grant == "authorization_code":
                found = self.state.codes.pop(form.get("code", ""), None)
                verifier = form.get("code_verifier", "").encode("ascii")
                challenge = base64.urlsafe_b64encode(hashlib.sha256(verifier).digest()).decode().rstrip("=")
                if found is None or found != (challenge, form.get("redirect_uri")):
                    return self.reply(400, {"error": "invalid_grant", "error_description": "code or PKCE"})
                return self.reply(200, self.state.issue())
            if grant == "refresh_token":
                token = form.get("refresh_token", "")
                if token not in self.state.refresh:
                    return self.reply(400, {"error": "invalid_grant", "error_description": "Token has been revoked."})
                return self.reply(200, self.state.issue(rotate_from=token))
            return self.reply(400, {"error": "unsupported_grant_type"})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--bearer-tokens")
    parser.add_argument("--no-rotate", action="store_true")
    parser.add_argument("--client-id", default="test-client")
    args = parser.parse_args()
    Handler.state = State(args)
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    sys.stdout.write("%d\n" % server.server_address[1])
    sys.stdout.flush()
    # End of stdin (the parent went away) stops the server.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
