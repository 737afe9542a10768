"""A CardDAV server on 127.0.0.1:PORT that has lost its cards: it refuses every sync token (409), gives a
new token, and lists an empty address book. Prints "ready" once it listens.
  lost_cards_dav.py PORT"""
import http.server
import sys

EMPTY = b'<?xml version="1.0"?><multistatus xmlns="DAV:"/>'
TOKEN = (b'<?xml version="1.0"?><multistatus xmlns="DAV:"><response><href>/</href><propstat><prop>'
         b"<sync-token>http://127.0.0.1/lost</sync-token></prop><status>HTTP/1.1 200 OK</status></propstat>"
         b"</response></multistatus>")


class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self, status, body=b""):
        self.send_response(status)
        self.send_header("Content-Type", "application/xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_REPORT(self):
        asked = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.answer(409 if b"sync-collection" in asked else 207, b"" if b"sync-collection" in asked else EMPTY)

    def do_PROPFIND(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.answer(207, TOKEN)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
print("ready", flush=True)
server.serve_forever()
