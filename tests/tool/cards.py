r"""Another reader and writer of cards, owing nothing to korvale-db (python3-vobject, the csv module).
  cards.py vcard|vcard3|csv FILE   a JSON list: the header line (CSV), then each contact's nine texts in
      the book's column order joined by '|' (categories joined by ',', a comma in one written '\,');
      fails on a vCard line over 75 octets or bytes that are not UTF-8 (a fold inside a character)
  cards.py uids FILE               a JSON list of each card's UID ('' for none)
  cards.py mkbook|list|get URL USER PASSWORD   (list: one "FN|EMAIL|street" line per card, sorted)
  cards.py put URL USER PASSWORD EMAIL NAME...  (each card's UID and file are its name)
  cards.py raw URL USER PASSWORD FILE TEXT      (TEXT as it is, line ends made CRLF)"""
import base64
import csv
import json
import sys
import urllib.request

import vobject

command = sys.argv[1]


def card_rows(path):
    data = open(path, "rb").read()
    long_lines = [line for line in data.split(b"\r\n") if len(line) > 75]
    assert not long_lines, long_lines[0]
    rows = []
    for card in vobject.readComponents(data.decode("utf-8")):
        def one(name):
            return card.contents[name][0].value if name in card.contents else ""
        phones = {t.params["TYPE"][0].lower(): t.value for t in card.contents.get("tel", [])}
        dob = one("x-korvale-dob")
        if not dob and one("bday"):
            digits = one("bday").replace("-", "")
            dob = "-".join([digits[6:8], digits[4:6], digits[0:4]])
        street = card.adr.value.street if "adr" in card.contents else ""
        rows.append([one("fn"), street, one("email"), dob, phones.get("home", ""), phones.get("work", ""),
                     phones.get("cell", ""), one("note"),
                     ",".join(c.replace(",", "\\,") for c in (one("categories") or []))])
    return rows


def uids(path):
    return [card.uid.value if "uid" in card.contents else ""
            for card in vobject.readComponents(open(path, encoding="utf-8").read())]


def csv_rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f, strict=True))


def send(method, target, body=b"", kind="text/vcard"):
    auth = "Basic " + base64.b64encode(f"{sys.argv[3]}:{sys.argv[4]}".encode()).decode()
    request = urllib.request.Request(target, data=body or None, method=method,
                                     headers={"Authorization": auth, "Content-Type": kind})
    with urllib.request.urlopen(request) as reply:
        return reply.read()


url = sys.argv[2]
if command == "uids":
    print(json.dumps(uids(url)))
elif command in ("vcard", "vcard3", "csv"):
    print(json.dumps(["|".join(row) for row in (csv_rows if command == "csv" else card_rows)(url)]))
elif command == "mkbook":
    send("MKCOL", url, b'<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
         b"<set><prop><resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>",
         "application/xml")
elif command == "put":
    for name in sys.argv[6:]:
        card = vobject.vCard()
        card.add("fn").value = name
        card.add("n").value = vobject.vcard.Name(family=name)
        card.add("email").value = sys.argv[5]
        card.add("uid").value = name.replace(" ", "-")
        send("PUT", url + name.replace(" ", "-") + ".vcf", card.serialize().encode())
elif command == "raw":
    send("PUT", url + sys.argv[5], sys.argv[6].replace("\n", "\r\n").encode())
elif command == "get":
    print(send("GET", url).decode())
elif command == "list":
    lines = []
    for card in vobject.readComponents(send("GET", url).decode()):
        email = card.email.value if hasattr(card, "email") else ""
        street = card.adr.value.street if hasattr(card, "adr") else ""
        lines.append(f"{card.fn.value}|{email}|{street}")
    print("\n".join(sorted(lines)))
