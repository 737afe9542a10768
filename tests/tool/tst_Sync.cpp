// korvale-db sync against a real Radicale started on 127.0.0.1 for each test (tests/kit/Radicale).

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include "tests/kit/Radicale.h"
#include "tests/kit/TempBook.h"

namespace {

const QString kPassword = kit::Radicale::password();

using kit::run;
using Server = kit::Radicale;

QString sync(const kit::TempBook& book, const QString& url, const QString& user = QStringLiteral("tester")) {
    const kit::Run synced = run(KORVALE_DB_PATH, {"sync", book.path(), url, "--user", user});
    if (synced.exitCode != 0) qWarning().noquote() << synced.said();
    // Whatever the sync leaves in the book's folder holds no trace of the password.
    for (QDirIterator it(book.path(), QDir::Files); it.hasNext();) {
        const QString file = it.next();
        if (kit::bytesOf(file).contains(kPassword.toUtf8())) return "password in " + file;
    }
    return (synced.exitCode == 0 ? QString() : QStringLiteral("failed: ")) + synced.said();
}

}  // namespace

class tst_Sync : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString missing = Server::missing();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        qputenv("KORVALE_PASSWORD", kPassword.toUtf8());
    }
    // Synced twice, the second time with nothing to do.
    void cardOfAnotherClient_data() {
        QTest::addColumn<bool>("root");
        QTest::addColumn<QString>("user");
        QTest::newRow("given the address book") << false << "tester";
        QTest::newRow("found from the server's root") << true << "tester";
        // The server writes the "@" of the user name as %40 in its hrefs; the book keeps the other spelling.
        QTest::newRow("a user name with @") << false << "alice@example.com";
    }
    void cardOfAnotherClient() {
        QFETCH(bool, root);
        QFETCH(QString, user);
        Server server(user);
        kit::TempBook book(QStringList{kit::row("bob", "b")});
        if (root) book.exec("DROP TABLE SYNC_SERVER; DROP TABLE SYNC_CARDS");  // made before sync existed
        server.dav({"put", server.book(), "zq@x.org", "zoe quinn"});
        const QString url = root ? server.root() : server.book(), said = sync(book, url, user);
        QVERIFY2(said.contains("Came in: 1 contact (1 new, 0 changed). Went out: 1 contact (1 new"),
                 qPrintable(said));
        QVERIFY(sync(book, url, user).endsWith("0 conflicts, 1 request to the server.\n"));
        QCOMPARE(book.rows(), QStringList({kit::row("bob", "b"), "zoe quinn||zq@x.org||||||"}));
        QCOMPARE(server.cards(), QStringList({"bob|b@m|b st", "zoe quinn|zq@x.org|"}));
    }
    // The contact changes on the server while the book changed it, or deleted it and gave its rowid to
    // a new contact.
    void serverChangeMeetsBookChange_data() {
        QTest::addColumn<bool>("reuse");
        QTest::newRow("changed in the book: the server wins, the book's kept to restore") << false;
        QTest::newRow("deleted, its rowid reused: another contact") << true;
    }
    void serverChangeMeetsBookChange() {
        QFETCH(bool, reuse);
        Server server;
        kit::TempBook book;
        server.dav({"put", server.book(), "first@x", "ann"});
        sync(book, server.book());
        book.exec(reuse ? "DELETE FROM CLIENT_RECORDS" : "UPDATE CLIENT_RECORDS SET email_id = 'book@x'");
        if (reuse) book.add({"bea||||||||"});
        server.dav({"put", server.book(), "server@x", "ann"});
        const QString said = sync(book, server.book());
        if (reuse) {
            QVERIFY2(said.contains(QRegularExpression("Conflict: ann .*deleted in the book")),
                     qPrintable(said));
            QCOMPARE(book.rows(), QStringList({"bea||||||||", "ann||server@x||||||"}));
            QCOMPARE(server.cards(), QStringList({"ann|server@x|", "bea||"}));
            return;
        }
        QCOMPARE(book.rows(), QStringList({"ann||server@x||||||"}));
        const QString version =
            QRegularExpression("Conflict: ann .* restore \\S+ (\\d+)").match(said).captured(1);
        QVERIFY2(!version.isEmpty(), qPrintable(said));
        run(KORVALE_DB_PATH, {"restore", book.path(), version});
        QCOMPARE(book.rows(), QStringList({"ann||book@x||||||"}));
    }
    void twoSyncsAtOnceSendEachRowOnce() {
        Server server;
        kit::TempBook book;
        for (int i = 0; i < 100; ++i) book.add({QStringLiteral("row %1||||||||").arg(i)});
        QProcess both[2];
        for (QProcess& one : both) {
            one.setProcessChannelMode(QProcess::MergedChannels);
            one.start(KORVALE_DB_PATH, {"sync", book.path(), server.book(), "--user", "tester"});
        }
        for (QProcess& one : both) QVERIFY(one.waitForFinished(60000));
        const QString said = both[0].readAll() + both[1].readAll();
        QVERIFY2((both[0].exitCode() == 0) != (both[1].exitCode() == 0), qPrintable(said));
        QVERIFY2(said.contains("another sync of this book is running"), qPrintable(said));
        QVERIFY(!sync(book, server.book()).startsWith("failed"));
        QCOMPARE(server.cards().size(), 100);
        QCOMPARE(book.rows().size(), 100);
    }
    void refusedTokenAndEmptyListDeleteNothing() {
        kit::TempBook book(QStringList{kit::row("a", "a"), kit::row("b", "b"), kit::row("c", "c")});
        auto server = std::make_unique<Server>();
        sync(book, server->book());
        const QString url = server->book();
        server.reset();
        // Where Radicale was, a server that lost its cards: it refuses every sync token, then lists none.
        QProcess lost;
        lost.start(KORVALE_PYTHON, {HOSTILE_DAV_SCRIPT, "lost cards", QString::number(QUrl(url).port())});
        QVERIFY(lost.waitForReadyRead(10000));
        const QString said = sync(book, url);
        QVERIFY2(said.startsWith("failed") && said.contains("--allow-mass-delete"), qPrintable(said));
        QCOMPARE(book.rows().size(), 3);
    }
    void unreadableCardNamedUntilRead() {
        Server server;
        kit::TempBook book;
        server.dav({"raw", server.book(), "odd.vcf",
                    "BEGIN:VCARD\nVERSION:2.1\nUID:odd\nFN;CHARSET=X-NO:Odd\nEND:VCARD"});
        for (int round = 0; round < 2; ++round) {
            const QString said = sync(book, server.book());
            QVERIFY2(said.startsWith("failed") && said.contains("odd.vcf"), qPrintable(said));
        }
        server.dav({"put", server.book(), "o@x", "odd"});
        QVERIFY(!sync(book, server.book()).startsWith("failed"));
        QCOMPARE(book.rows(), QStringList({"odd||o@x||||||"}));
    }
    // A phone's card whose number changes in the book goes back with every other line as it was, and
    // nothing of it lands in remarks, however many rounds (the server writes names in upper case).
    void phoneCardPatchedNotRebuilt() {
        Server server;
        kit::TempBook book;
        const QStringList lines =
            QStringLiteral(
                "BEGIN:VCARD|VERSION:3.0|UID:lu|FN:Lu Chen|N:Chen;Lu;;;|ORG:Acme|NICKNAME:Lu|EMAIL;TYPE="
                "HOME:a@x|EMAIL;TYPE=WORK:b@x|EMAIL:c@x|TEL;TYPE=CELL:111|TEL;TYPE=FAX:222|item1.TEL:333|"
                "item1.X-ABLabel:Mum|CATEGORIES:CLIENT,VIP|PHOTO;ENCODING=b;TYPE=JPEG:AAAA|END:VCARD")
                .split('|');
        server.dav({"raw", server.book(), "lu.vcf", lines.join('\n')});
        sync(book, server.book());
        book.exec("UPDATE CLIENT_RECORDS SET cell_no = '999'");
        for (int round = 0; round < 3; ++round) QVERIFY(!sync(book, server.book()).startsWith("failed"));
        const QString card = server.dav({"get", server.book() + "lu.vcf"}).out;
        for (const QString& line : lines)
            QVERIFY2(card.contains(line, Qt::CaseInsensitive) == !line.endsWith(":111"),
                     qPrintable(line + " in:\n" + card));
        QVERIFY2(card.contains(":999"), qPrintable(card));
        QCOMPARE(book.rows().value(0).section('|', 7, 7), QString());
    }
    // A 4.0 card whose date the book holds in its own form: another client changes BDAY alone, which is the
    // newer word and comes in; a change in the book then goes back as 4.0 with that date.
    void birthdayChangedElsewhereComesIn() {
        Server server;
        kit::TempBook book;
        const QString card =
            "BEGIN:VCARD\nVERSION:4.0\nUID:kim\nFN:Kim Ode\nBDAY:%1\nX-KORVALE-DOB:5/7/1987\n"
            "END:VCARD";
        server.dav({"raw", server.book(), "kim.vcf", card.arg("19870705")});
        sync(book, server.book());
        QCOMPARE(book.rows().value(0).section('|', 3, 3), QString("5/7/1987"));
        server.dav({"raw", server.book(), "kim.vcf", card.arg("19900102")});
        QVERIFY2(sync(book, server.book()).contains("Came in: 1 contact"), "BDAY did not come in");
        QCOMPARE(book.rows().value(0).section('|', 3, 3), QString("02-01-1990"));
        book.exec("UPDATE CLIENT_RECORDS SET cell_no = '7'");
        sync(book, server.book());
        const QString sent = server.dav({"get", server.book() + "kim.vcf"}).out;
        QVERIFY2(sent.contains("VERSION:4.0") && sent.contains("BDAY:19900102"), qPrintable(sent));
    }
    void killedSyncsLoseAndDoubleNothing() {
        const QString drawn = QString::number(QRandomGenerator::global()->generate());
        const quint32 seed = qEnvironmentVariable("KORVALE_SYNC_SEED", drawn).toUInt();
        qInfo("KORVALE_SYNC_SEED=%u", seed);
        QRandomGenerator random(seed);
        Server server;
        kit::TempBook book;
        QStringList names;
        for (int i = 0; i < 15; ++i) names << QStringLiteral("server %1").arg(i);
        server.dav(QStringList{"put", server.book(), "s@x"} + names);
        for (int i = 0; i < 15; ++i) book.add({QStringLiteral("book %1||||||||").arg(i)});
        for (int kill = 0; kill < 50; ++kill) {
            book.add({QStringLiteral("added %1||||||||").arg(kill)});
            if (kill % 5 == 4)
                book.exec("DELETE FROM CLIENT_RECORDS WHERE rowid = (SELECT min(rowid) FROM CLIENT_RECORDS)");
            QProcess killed;
            killed.start(KORVALE_DB_PATH, {"sync", book.path(), server.book(), "--user", "tester"});
            QTest::qWait(random.bounded(400));
            killed.kill();
            killed.waitForFinished();
            QVERIFY(!sync(book, server.book()).startsWith("failed"));
        }
        const auto namesOf = [](QStringList lines) {
            for (QString& line : lines) line = line.section('|', 0, 0);
            lines.sort();
            return lines;
        };
        QStringList inBook = namesOf(book.rows());
        QCOMPARE(namesOf(server.cards()), inBook);
        QCOMPARE(inBook.size(), 15 + 15 + 50 - 10);
        QCOMPARE(inBook.removeDuplicates(), 0);
    }
};

QTEST_MAIN(tst_Sync)
#include "tst_Sync.moc"
