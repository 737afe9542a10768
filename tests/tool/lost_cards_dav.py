"""A CardDAV server on 127.0.0.1:PORT that lost its cards: every sync token refused (409), a new token
given, an empty address book listed. Prints "ready" once it listens.  lost_cards_dav.py PORT"""
import http.server
import sys

TOKEN = (b'<multistatus xmlns="DAV:"><response><href>/</href><propstat><prop><sync-token>lost</sync-token>'
         b"</prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>")


class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_REPORT(self):
        asked = self.rfile.read(int(self.headers["Content-Length"]))
        self.answer(409, b"") if b"sync-collection" in asked else self.answer(207, b'<multistatus xmlns="DAV:"/>')

    def do_PROPFIND(self):
        self.rfile.read(int(self.headers["Content-Length"]))
        self.answer(207, TOKEN)


http.server.BaseHTTPRequestHandler.log_message = lambda *arguments: None
server = http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
print("ready", flush=True)
server.serve_forever()
