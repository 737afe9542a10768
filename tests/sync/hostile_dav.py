#!/usr/bin/env python3
"""A CardDAV server on 127.0.0.1 answering a sync with one hostile CASE; prints "PORT OTHER_PORT", then a
line for each request that reached the listener on 127.0.0.2. Stops by itself after LIFE seconds.
  hostile_dav.py CASE [PORT]    ("lost cards": every sync token refused (409), an empty book listed)"""
import http.server, sys, threading, time

CASE = sys.argv[1]
LIFE = 30
MS = '<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">%s</d:multistatus>'
BROKEN = b'<d:multistatus xmlns:d="DAV:"><d:response>'
BOOK = '<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>'


def response(href, props):
    return ('<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>'
            '<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>' % (href, props))


def principal(href):
    return '<d:current-user-principal><d:href>%s</d:href></d:current-user-principal>' % href


def card(href, etag, uid):
    data = 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:ann\r\nEND:VCARD\r\n' % uid
    return response(href, '<d:getetag>%s</d:getetag><c:address-data>%s</c:address-data>' % (etag, data))


class Hostile(http.server.BaseHTTPRequestHandler):
    def answer(self, status, body=b'', headers=()):
        self.send_response(status)
        for header in headers:
            self.send_header(*header)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def stream(self, chunk, count, pause):
        self.send_response(207)
        self.send_header('Connection', 'close')
        self.end_headers()
        for _ in range(count):
            self.wfile.write(chunk)
            self.wfile.flush()
            time.sleep(pause)

    def multistatus(self, inner):
        self.answer(207, (MS % inner).encode(), [('Content-Type', 'application/xml')])

    def do_PROPFIND(self):
        self.rfile.read(int(self.headers.get('Content-Length', 0)))
        if CASE == 'malformed' and self.headers.get('Depth') == '1':
            return self.answer(207, BROKEN)
        path, other = self.path, 'http://127.0.0.2:%d' % OTHER_PORT
        if CASE == 'redirect elsewhere':
            return self.answer(307, headers=[('Location', other + path)])
        if CASE == 'redirect here' and path == '/book/':
            return self.answer(301, headers=[('Location', '/moved/')])
        if CASE == 'principal elsewhere':
            return self.multistatus(response(path, principal(other + '/u/')))
        if CASE == 'forbidden':
            return self.answer(403)
        if CASE == 'silent':
            return time.sleep(LIFE)
        if CASE == 'trickle':
            return self.stream(b' ', LIFE * 2, 0.5)
        if CASE.startswith('several'):
            if path == '/':
                return self.multistatus(response(path, principal('/u/')))
            if path == '/u/' and self.headers.get('Depth') == '0':
                return self.multistatus(response(path, '<c:addressbook-home-set><d:href>/u/</d:href>'
                                                 '</c:addressbook-home-set>'))
            if path == '/u/':
                return self.multistatus(response('/u/', '<d:resourcetype><d:collection/></d:resourcetype>')
                                        + response('/u/home/', BOOK + '<d:displayname>Home</d:displayname>')
                                        + response('/u/work/', BOOK + '<d:displayname>Work</d:displayname>'))
        self.multistatus(response(path, BOOK + '<d:sync-token>t1</d:sync-token>'))

    def do_REPORT(self):
        if b'sync-collection' in self.rfile.read(int(self.headers.get('Content-Length', 0))) and CASE == 'lost cards':
            return self.answer(409)
        if CASE == 'huge':
            return self.stream(b' ' * 10000, 1000, 0)
        cards = {'outside': card('/other/a.vcf', 'e1', 'u1'),
                 'uid with a line break': card(self.path + 'a.vcf', 'e1', 'u1\\nX-EVIL:1'),
                 'etag with a line break': card(self.path + 'a.vcf', 'e1&#13;&#10;X-Evil: 1', 'u1')}
        self.answer(207, BROKEN) if CASE == 'malformed' else self.multistatus(cards.get(CASE, ''))

    log_message = lambda *args: None


class Elsewhere(http.server.BaseHTTPRequestHandler):
    def handle_one_request(self):
        self.raw_requestline = self.rfile.readline()
        if self.parse_request():
            print('elsewhere', self.command, self.path, self.headers.get('Authorization'), flush=True)
            self.send_error(404)


server = http.server.ThreadingHTTPServer(('127.0.0.1', int(sys.argv[2]) if sys.argv[2:] else 0), Hostile)
other = http.server.ThreadingHTTPServer(('127.0.0.2', 0), Elsewhere)
OTHER_PORT = other.server_address[1]
for s in (server, other):
    s.daemon_threads = True
    threading.Thread(target=s.serve_forever, daemon=True).start()
print(server.server_address[1], OTHER_PORT, flush=True)
time.sleep(LIFE)
