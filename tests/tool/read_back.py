"""Reads a file korvale-db exported with parsers that owe nothing to it, python3-vobject for vCard and
the csv module for CSV, and prints what they find as a JSON list: the header line (CSV), then one line
per contact, its nine texts in the book's column order joined by '|' (categories joined by ',', a comma
inside one written '\,'); with "uids", each card's UID ('' for none). Fails on a vCard line over 75 octets or bytes that are not
UTF-8 (a fold inside a character)."""
import csv
import json
import sys

import vobject


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


if sys.argv[1] == "uids":
    print(json.dumps(uids(sys.argv[2])))
else:
    print(json.dumps(["|".join(row) for row in (csv_rows if sys.argv[1] == "csv" else card_rows)(sys.argv[2])]))
