// The card library in-process: cards read and written back, a server's card patched with a row, the
// cards the book makes, and CSV and vCard text it refuses.

#include <QStringDecoder>
#include <QTest>

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"
#include "exchange/VCardWriter.h"
#include "tests/kit/TempBook.h"

using namespace korvale;
using namespace korvale::exchange;

namespace {

// A card as a phone's address book exports it: a photo, three e-mails, a fax, a labelled number.
const QByteArray kPhoneCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Phone//Contacts 17.0//EN\r\nN:Lane;Lucy;;;\r\nFN:Lucy Lane\r\n"
    "NICKNAME:Lu\r\nORG:Acme Ltd;Sales\r\nTITLE:Buyer\r\n"
    "EMAIL;type=INTERNET;type=HOME;type=pref:lucy@home.example\r\n"
    "EMAIL;type=INTERNET;type=WORK:lucy@acme.example\r\nEMAIL;type=INTERNET:lu@other.example\r\n"
    "TEL;type=CELL;type=VOICE;type=pref:+44 7700 900123\r\nTEL;type=WORK;type=FAX:+44 20 7946 0000\r\n"
    "item1.TEL:+44 20 7946 0999\r\nitem1.X-ABLabel:Mum\r\nADR;type=HOME:;;1 Old St;Leeds;;LS1;UK\r\n"
    "URL;type=pref:https://lucy.example\r\nCATEGORIES:CLIENT,VIP\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP////////////////////////\r\n"
    " //////////8=\r\nREV:2026-01-02T03:04:05Z\r\nUID:phone-1\r\nEND:VCARD\r\n";

QByteArray card(const QByteArray& lines, const QByteArray& version = "3.0") {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + lines + "END:VCARD\r\n";
}

QStringList linesOf(const std::string& text) {
    return QString::fromStdString(text).split(QStringLiteral("\r\n"));
}

// The lines of `a` that `b` lacks, in a's order.
QStringList minus(QStringList a, const QStringList& b) {
    for (const QString& line : b) a.removeOne(line);
    return a;
}

}  // namespace

class tst_Exchange : public QObject {
    Q_OBJECT
private slots:

    void readsAndWritesBack_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("row");  // empty: the card has no name
        QTest::newRow("a phone's 3.0 card")
            << kPhoneCard
            << "Lucy Lane|1 Old St, Leeds, LS1, UK|lucy@home.example||||+44 7700 900123|NICKNAME: Lu\nORG: "
               "Acme Ltd;Sales\nTITLE: Buyer\nEMAIL (internet,work): lucy@acme.example\nEMAIL (internet): "
               "lu@other.example\nTEL (work,fax): +44 20 7946 0000\nTEL (Mum): +44 20 7946 0999\nURL (pref): "
               "https://lucy.example|CLIENT,VIP";
        QTest::newRow("a 4.0 card, spaced types, a birthday without a year")
            << card(
                   "UID:urn:uuid:4fbe8971\r\nFN:\xe6\x9d\x8e\xe5\xb0\x8f\r\nEMAIL;TYPE=work:lee@example."
                   "hk\r\n"
                   "TEL;VALUE=uri;TYPE=\"voice, cell\":tel:+852-5555-0101\r\nX-SOCIAL;TYPE=x:@lee\r\n"
                   "BDAY:--1127\r\n",
                   "4.0")
            << QStringLiteral("李小||lee@example.hk|--1127|||+852-5555-0101|X-SOCIAL (x): @lee|");
        QTest::newRow("a 2.1 card: quoted-printable Latin-1 to the last byte, bare types")
            << card(
                   "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Ren=E9\r\n"
                   "TEL;HOME;VOICE:+49 30 1234\r\n",
                   "2.1")
            << QStringLiteral("René Müller||||+49 30 1234||||");
        QTest::newRow("an empty FN takes N")
            << card("N:Okafor;Chidi;;;\r\nFN:\r\n") << "Chidi Okafor||||||||";
        QTest::newRow("neither FN nor N") << card("NOTE:who\r\n") << "";
        QTest::newRow("categories, one holding a comma")
            << card("FN:a\r\nCATEGORIES:R\\,D,Family\r\nCATEGORIES:VIP\r\n") << "a||||||||R\\,D,Family,VIP";
        QTest::newRow("BDAY changed elsewhere wins over X-KORVALE-DOB")
            << card("FN:a\r\nBDAY:1990-02-03\r\nX-KORVALE-DOB:1-1-88\r\n") << "a|||03-02-1990|||||";
        QTest::newRow("X-KORVALE-DOB kept as typed when it reads as BDAY")
            << card("FN:a\r\nBDAY:19880101\r\nX-KORVALE-DOB:1-1-88\r\n") << "a|||1-1-88|||||";
        QTest::newRow("a note changed elsewhere wins over X-KORVALE-EXACT")
            << card("FN:a\r\nNOTE:b\\nd\r\nX-KORVALE-EXACT;X-COLUMN=remarks:Yg1j\r\n") << "a|||||||b\nd|";
    }

    void readsAndWritesBack() {
        QFETCH(QByteArray, text);
        QFETCH(QString, row);
        const Card read = readCard(text.toStdString());
        const Contact contact = contactFromCard(read, Extras::Fold);
        QCOMPARE(contact.named, !row.isEmpty());
        if (contact.named) QCOMPARE(kit::rowOf(contact.record), row);
        // A 3.0 or 4.0 card comes back byte for byte; a 2.1 card is written afresh and says the same.
        const std::string written = cardText(read);
        if (read.version != "2.1") QCOMPARE(QByteArray::fromStdString(written), text);
        QCOMPARE(contactFromCard(readCard(written), Extras::Fold).record, contact.record);
    }

    void patchChangesOnlyWhatTheColumnsOwn_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("readBack");  // the column read from the patched card
        QTest::newRow("a new cell number")
            << 6 << "+44 7700 900999" << QStringList{"TEL;type=CELL;type=VOICE;type=pref:+44 7700 900123"}
            << QStringList{"TEL;TYPE=CELL;TYPE=VOICE;TYPE=pref:+44 7700 900999"} << "+44 7700 900999";
        QTest::newRow("an emptied cell number")
            << 6 << "" << QStringList{"TEL;type=CELL;type=VOICE;type=pref:+44 7700 900123"} << QStringList()
            << "";
        QTest::newRow("a new name, first and last")
            << 0 << "Lucy Ann Smith" << QStringList{"N:Lane;Lucy;;;", "FN:Lucy Lane"}
            << QStringList{"N:Smith;Lucy Ann;;;", "FN:Lucy Ann Smith"} << "Lucy Ann Smith";
        QTest::newRow("a new street keeps the town")
            << 1 << "2 New St" << QStringList{"ADR;type=HOME:;;1 Old St;Leeds;;LS1;UK"}
            << QStringList{"ADR;TYPE=HOME:;;2 New St;Leeds;;LS1;UK"} << "2 New St, Leeds, LS1, UK";
        QTest::newRow("a third category holding a comma")
            << 8 << "CLIENT,VIP,R\\,D" << QStringList{"CATEGORIES:CLIENT,VIP"}
            << QStringList{"CATEGORIES:CLIENT,VIP,R\\,D"} << "CLIENT,VIP,R\\,D";
        QTest::newRow("a birthday not written dd-mm-yyyy")
            << 3 << "1-2-90" << QStringList() << QStringList{"BDAY:1990-02-01", "X-KORVALE-DOB:1-2-90"}
            << "1-2-90";
        QTest::newRow("remarks with a lone carriage return")
            << 7 << "a\rb;c" << QStringList()
            << QStringList{"NOTE:a\\nb\\;c", "X-KORVALE-EXACT;X-COLUMN=remarks:YQ1iO2M="} << "a\rb;c";
    }

    void patchChangesOnlyWhatTheColumnsOwn() {
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QFETCH(QString, readBack);
        Card server = readCard(kPhoneCard.toStdString());
        ClientRecord now = contactFromCard(server, Extras::KeepOnCard).record;
        now.values[static_cast<std::size_t>(column)] = value.toStdString();

        patchCard(server, now);

        const QStringList before = linesOf(kPhoneCard.toStdString()), after = linesOf(cardText(server));
        QCOMPARE(minus(before, after), removed);
        QCOMPARE(minus(after, before), added);
        const Contact back = contactFromCard(readCard(cardText(server)), Extras::KeepOnCard);
        QCOMPARE(QString::fromStdString(back.record.values[static_cast<std::size_t>(column)]), readBack);
    }

    void newCardIsReadBackAsTheRow_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QByteArray>("part");  // text the card must hold
        QTest::newRow("a long name of two- to four-byte characters, folded")
            << QStringLiteral("zoë 李小龙 😀 ").repeated(8) + "||||||||" << QByteArray("\r\n ");
        QTest::newRow("N of first and last")
            << "Ann Marie Lee||||||||" << QByteArray("N:Lee;Ann Marie;;;\r\n");
        QTest::newRow("made for a server") << "a||||||||" << QByteArray("\r\nPRODID:");
    }

    void newCardIsReadBackAsTheRow() {
        QFETCH(QString, row);
        QFETCH(QByteArray, part);
        const ClientRecord record = kit::record(row);
        const std::string text = cardText(newCard(record, VCardVersion::V3, "u-1", CardUse::Server));
        QVERIFY2(QByteArray::fromStdString(text).contains(part), text.c_str());
        // Every physical line holds at most 75 octets of whole UTF-8: no fold falls inside a character.
        for (const QByteArray& line : QByteArray::fromStdString(text).split('\n')) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString decoded = utf8.decode(line);
            QVERIFY2(line.size() <= 76 && !utf8.hasError(), line.constData());
        }
        const Card read = readCard(text);
        QCOMPARE(read.uid(), "u-1");
        QCOMPARE(contactFromCard(read, Extras::Fold).record, record);
    }

    void refusesNulAndReadsCrOnlyLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("failsOnLine");  // 0: read
        QTest::newRow("CSV with CR-only line ends")
            << QByteArray("Name,remarks\ra,1\r\rb,\"2\r3\"\r") << 3 << 0;
        QTest::newRow("CSV field holding a NUL") << QByteArray("Name\r\na\r\nb\0c\r\n", 14) << 2 << 3;
        QTest::newRow("vCard value holding a NUL") << card(QByteArray("FN:a\0b\r\n", 8)) << 0 << 3;
    }

    void refusesNulAndReadsCrOnlyLines() {
        QFETCH(QByteArray, text);
        QFETCH(int, records);
        QFETCH(int, failsOnLine);
        const std::string bytes = text.toStdString();
        const bool vCard = text.startsWith("BEGIN");
        int read = 0, failedOn = 0;
        try {
            if (vCard) readCard(bytes);
            CsvReader csv(bytes);
            for (std::vector<std::string> fields; !vCard && csv.next(fields);) ++read;
        } catch (const FormatError& e) {
            failedOn = int(e.line());
        }
        QCOMPARE(failedOn, failsOnLine);
        QCOMPARE(read, records);
    }
};

QTEST_APPLESS_MAIN(tst_Exchange)
#include "tst_Exchange.moc"
