"""Another CardDAV client for the sync tests, owing nothing to korvale-db: makes the address book, puts
cards written by vobject, and lists what the server holds.
  dav_card.py mkbook URL USER PASSWORD
  dav_card.py put URL USER PASSWORD EMAIL NAME...   (each card's UID and file are its name)
  dav_card.py list URL USER PASSWORD                (one "FN|EMAIL|street" line per card, sorted)
  dav_card.py raw URL USER PASSWORD FILE TEXT       (TEXT as it is, line ends made CRLF)
  dav_card.py get URL USER PASSWORD                 (the card at URL as the server holds it)"""
import base64
import sys
import urllib.request

import vobject

command, url, user, password = sys.argv[1:5]
auth = "Basic " + base64.b64encode(f"{user}:{password}".encode()).decode()


def send(method, target, body=b"", kind="text/vcard"):
    request = urllib.request.Request(target, data=body or None, method=method,
                                     headers={"Authorization": auth, "Content-Type": kind})
    with urllib.request.urlopen(request) as reply:
        return reply.read()


if command == "mkbook":
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
