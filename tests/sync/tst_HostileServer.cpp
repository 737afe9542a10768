// korvale-db sync run as a process against hostile_dav.py, a server on 127.0.0.1 that answers with one
// hostile case, while a second listener on 127.0.0.2 records whatever reaches it.

#include <QProcess>
#include <QTest>

#include "tests/kit/TempBook.h"

class tst_HostileServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(KORVALE_PYTHON), "python3 is missing (apt install python3)");
    }

    void syncRefusesWhatItMustNot_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QString book = QStringLiteral("http://127.0.0.1:PORT/book/");
        const QString root = QStringLiteral("http://127.0.0.1:PORT/");
        QTest::newRow("redirect to another host")
            << "redirect elsewhere" << book << QStringList() << 1
            << "redirects it to http://127.0.0.2:OTHER/book/, which is not on http://127.0.0.1:PORT";
        QTest::newRow("redirect on the same server")
            << "redirect here" << book << QStringList() << 0 << "Address book: \"moved\"";
        QTest::newRow("principal on another host")
            << "principal elsewhere" << root << QStringList() << 1
            << "puts the user's principal at http://127.0.0.2:OTHER/u/";
        QTest::newRow("card outside the address book")
            << "outside" << book << QStringList() << 1 << "card \"/other/a.vcf\" outside the address book";
        QTest::newRow("endless trickle")
            << "trickle" << book << QStringList() << 1 << "did not end within 2 s";
        QTest::newRow("silent server") << "silent" << book << QStringList() << 1 << "no answer within 1 s";
        QTest::newRow("huge answer") << "huge" << book << QStringList() << 1 << "larger than 100000 bytes";
        QTest::newRow("UID with a line break")
            << "uid with a line break" << book << QStringList() << 1 << "UID \"u1\\x0aX-EVIL:1\"";
        QTest::newRow("ETag with a line break")
            << "etag with a line break" << book << QStringList() << 1 << "tag \"e1\\x0d\\x0aX-Evil: 1\"";
        QTest::newRow("malformed XML") << "malformed" << book << QStringList() << 1
                                       << "answer to PROPFIND http://127.0.0.1:PORT/book/ is not WebDAV XML";
        QTest::newRow("forbidden") << "forbidden" << book << QStringList() << 1 << "403 (forbidden";
        QTest::newRow("several address books") << "several" << root << QStringList() << 1
                                               << "holds 2 address books; name one with --addressbook";
        QTest::newRow("several, one named")
            << "several" << root << QStringList{"--addressbook", "Work"} << 0 << "Address book: \"Work\"";
        QTest::newRow("password in the URL") << "redirect here"
                                             << "http://tester:pw@127.0.0.1:PORT/book/" << QStringList() << 2
                                             << "give the user name with --user";
        QTest::newRow("plain http off this machine")
            << "redirect here"
            << "http://dav.invalid/book/" << QStringList() << 1 << "is plain http";
    }

    void syncRefusesWhatItMustNot() {
        QFETCH(QString, server);
        QFETCH(QString, url);
        QFETCH(QStringList, options);
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
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KORVALE_PASSWORD", "pw");
        environment.insert("KORVALE_DAV_DEADLINE_MS", "2000");
        environment.insert("KORVALE_DAV_ANSWER_BYTES", "100000");
        tool.setProcessEnvironment(environment);
        tool.start(KORVALE_DB_PATH,
                   QStringList{"sync", book.path(), place(url), "--user", "tester"} + options);
        QVERIFY(tool.waitForFinished(20000));
        fake.kill();
        fake.waitForFinished();
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), status);
        QVERIFY2(err.contains(place(says)), qPrintable(err));
        // Nothing but the tool's own words: no warning of the network library among them.
        for (const QString& said : err.section("\nUsage:", 0, 0).split('\n', Qt::SkipEmptyParts)) {
            QVERIFY2(
                said.startsWith("korvale-db: ") || said.startsWith("Address book: ") || said.startsWith("  "),
                qPrintable(err));
        }
        QVERIFY2(fake.readAllStandardOutput().isEmpty(), "a request reached 127.0.0.2");
        QCOMPARE(book.rows(), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_HostileServer)
#include "tst_HostileServer.moc"
