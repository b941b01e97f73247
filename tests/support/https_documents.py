#!/usr/bin/env python3
"""A local HTTPS server for the account search tests: serves the files of a folder
(the path /a/b is the file a/b there), and on a path whose last part begins with "huge" a body of 10 MB sent piece by piece
without a length. Every request's path and whether it carried an Authorization header
or a cookie go to requests.log in the folder. Prints its port once it listens and stops
at the end of its standard input.

    https_documents.py FOLDER CERT KEY
"""
import http.server
import os
import ssl
import sys
import threading

root, cert, key = sys.argv[1:4]
log_lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def do_GET(self):
        with log_lock, open(os.path.join(root, 'requests.log'), 'a') as log:
            extra = ''
            if self.headers.get('Authorization'):
                extra += ' AUTHORIZATION'
            if self.headers.get('Cookie'):
                extra += ' COOKIE'
            log.write(self.path + extra + '\n')
        path = self.path.split('?', 1)[0]
        if path.rsplit('/', 1)[-1].startswith('huge'):
            self.send_response(200)
            self.send_header('Content-Type', 'text/xml')
            self.end_headers()
            piece = b'<clientConfig>' + b' ' * 65522 + b'\n'
            try:
                for _ in range(160):
                    self.wfile.write(piece)
            except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
                pass
            return
        file = os.path.normpath(os.path.join(root, path.lstrip('/')))
        if not file.startswith(root + os.sep) or not os.path.isfile(file):
            self.send_error(404)
            return
        with open(file, 'rb') as f:
            body = f.read()
        self.send_response(200)
        self.send_header('Content-Type', 'text/xml')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
sys.stdin.read()
server.shutdown()
