// korvale-db sync run as a process against hostile_dav.py, a server on 127.0.0.1 that answers with one
// hostile case, while a second listener on 127.0.0.2 records whatever reaches it.

#include <QProcess>
#include <QTest>

#include "tests/kit/Run.h"
#include "tests/kit/TempBook.h"

class tst_HostileServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(KORVALE_PYTHON), "python3 is missing (apt install python3)");
        // Limits small enough for a test to meet in seconds; the password the fake server never checks.
        qputenv("KORVALE_DAV_DEADLINE_MS", "2000");
        qputenv("KORVALE_DAV_ANSWER_BYTES", "100000");
        qputenv("KORVALE_PASSWORD", "pw");
    }

    void syncRefusesWhatItMustNot_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* name, const char* server, const char* url, int status,
                            const char* says) {
            QTest::newRow(name) << server << QString(url).replace("~", "http://127.0.0.1:PORT/") << status
                                << says;
        };
        row("redirect to another host", "redirect elsewhere", "~book/", 1,
            "redirects it to http://127.0.0.2:OTHER/book/, which is not on http://127.0.0.1:PORT");
        row("redirect on the same server", "redirect here", "~book/", 0, "Address book: \"moved\"");
        row("principal on another host", "principal elsewhere", "~", 1,
            "puts the user's principal at http://127.0.0.2:OTHER/u/");
        row("card outside the address book", "outside", "~book/", 1,
            "card \"/other/a.vcf\" outside the address");
        row("endless trickle", "trickle", "~book/", 1, "did not end within 2 s");
        row("silent server", "silent", "~book/", 1, "no answer within 1 s");
        row("huge answer", "huge", "~book/", 1, "larger than 100000 bytes");
        row("UID with a line break", "uid with a line break", "~book/", 1, "UID \"u1\\x0aX-EVIL:1\"");
        row("ETag with a line break", "etag with a line break", "~book/", 1, "tag \"e1\\x0d\\x0aX-Evil: 1\"");
        row("malformed XML", "malformed", "~book/", 1,
            "to PROPFIND http://127.0.0.1:PORT/book/ is not WebDAV XML");
        row("forbidden", "forbidden", "~book/", 1, "403 (forbidden");
        row("several address books", "several", "~", 1, "holds 2 address books; name one with --addressbook");
        row("several, one named", "several", "~ --addressbook Work", 0, "Address book: \"Work\"");
        row("password in the URL", "silent", "http://tester:pw@127.0.0.1:PORT/", 2,
            "give the user name with --user");
        row("plain http off this machine", "silent", "http://dav.invalid/book/", 1, "is plain http");
    }

    void syncRefusesWhatItMustNot() {
        QFETCH(QString, server);
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QProcess fake;
        fake.start(KORVALE_PYTHON, {HOSTILE_DAV_SCRIPT, server});
        QTRY_VERIFY_WITH_TIMEOUT(fake.canReadLine(), 10000);
        const QStringList ports = QString::fromLatin1(fake.readLine()).split(' ');
        QCOMPARE(ports.size(), 2);
        const auto place = [&](QString text) {
            return text.replace("PORT", ports[0]).replace("OTHER", ports[1].trimmed());
        };
        kit::TempBook book;
        const kit::Run tool = kit::run(KORVALE_DB_PATH, QStringList{"sync", book.path(), "--user", "tester"} +
                                                            place(arguments).split(' '));
        fake.kill();
        fake.waitForFinished();
        QCOMPARE(tool.exitCode, status);
        // A refusal ends the run on standard error; a card left pending is named in the report.
        QVERIFY2(tool.said().contains(place(says)), qPrintable(tool.said()));
        // Nothing but the tool's own words: no warning of the network library among them.
        for (const QString& said : tool.err.section("\nUsage:", 0, 0).split('\n', Qt::SkipEmptyParts)) {
            QVERIFY2(
                said.startsWith("korvale-db: ") || said.startsWith("Address book: ") || said.startsWith("  "),
                qPrintable(tool.err));
        }
        QVERIFY2(fake.readAllStandardOutput().isEmpty(), "a request reached 127.0.0.2");
        QCOMPARE(book.rows(), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_HostileServer)
#include "tst_HostileServer.moc"
