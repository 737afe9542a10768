// korvale-db sync with nobody at a terminal: the account the book remembers, the password kept in GNOME
// Keyring on a private session bus (the suite runs itself under dbus-run-session, so that no desktop's
// own keyring is ever touched), and the systemd user units from the source tree, run as they run.

#include <unistd.h>
#include <QCoreApplication>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cstdio>
#include <vector>

#include "tests/kit/Radicale.h"
#include "tests/kit/TempBook.h"

namespace {

const QString kUnits = QStringLiteral(KORVALE_UNITS_DIR);

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// A program in a session of its own, without a controlling terminal, as systemd starts a service;
// `environment` adds ("NAME=value") or removes ("NAME") variables.
Run detached(const QString& program, const QStringList& arguments, const QStringList& environment = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& change : environment) {
        if (change.contains('=')) {
            env.insert(change.section('=', 0, 0), change.section('=', 1));
        } else {
            env.remove(change);
        }
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray bytesOf(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// The unit files of the source tree in `dir`, the service's ExecStart naming `program` instead of the
// installed one; returns the service's command line.
QStringList placeUnits(const QString& dir, const QString& program) {
    QByteArray service = bytesOf(kUnits + "/korvale-sync.service.in");
    service.replace("@KORVALE_DB@", program.toUtf8());
    QFile out(dir + "/korvale-sync.service");
    if (!out.open(QIODevice::WriteOnly)) return {};
    out.write(service);
    out.close();
    QFile::copy(kUnits + "/korvale-sync.timer", dir + "/korvale-sync.timer");
    const QString line = QRegularExpression("^ExecStart=(.*)$", QRegularExpression::MultilineOption)
                             .match(service)
                             .captured(1);
    return line.split(' ', Qt::SkipEmptyParts);
}

}  // namespace

class tst_Keyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString missing = kit::Radicale::missing();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        QVERIFY2(QFile::exists(KORVALE_KEYRING_DAEMON),
                 "gnome-keyring-daemon is missing (apt install gnome-keyring)");
        // The keyring's files, and anything else a program keeps in the home folder, go to a fresh one.
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("KORVALE_PASSWORD");
        keyring_.start(KORVALE_KEYRING_DAEMON, {"--foreground", "--unlock", "--components=secrets"});
        QVERIFY(keyring_.waitForStarted());
        keyring_.write("keyring-pw-3x9");
        keyring_.closeWriteChannel();
        const auto ready = [] {
            QProcess ask;
            ask.start("dbus-send",
                      {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                       "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"});
            ask.waitForFinished(5000);
            return ask.readAllStandardOutput().contains("true");
        };
        QTRY_VERIFY_WITH_TIMEOUT(ready(), 10000);
    }
    void cleanupTestCase() {
        keyring_.kill();
        keyring_.waitForFinished();
    }

    // The sync the timer starts: the service's own command line, run by a copy of korvale-db beside the
    // book so that the book is the one it uses by default, after the steps of the row.
    void unattendedSync_data() {
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("forgotten");
        QTest::addColumn<bool>("noService");
        QTest::addColumn<QString>("said");
        QTest::newRow("password kept in the keyring") << true << false << false << "Came in: 1 contact";
        QTest::newRow("password forgotten")
            << true << true << false << "no password in the keyring for tester";
        QTest::newRow("no Secret Service") << true << false << true << "no Secret Service answered";
        QTest::newRow("book never synced") << false << false << false << "syncs with no server";
    }
    void unattendedSync() {
        QFETCH(bool, saved);
        QFETCH(bool, forgotten);
        QFETCH(bool, noService);
        QFETCH(QString, said);
        kit::Radicale server;
        kit::TempBook book;
        const QString program = book.path() + "/korvale-db";
        QVERIFY(QFile::copy(KORVALE_DB_PATH, program));
        const QStringList command = placeUnits(book.path(), program);
        QVERIFY(!command.isEmpty());
        const QStringList bus =
            noService ? QStringList{"DBUS_SESSION_BUS_ADDRESS=unix:path=" + book.path() + "/none"}
                      : QStringList{};
        if (saved) {
            const Run save = detached(program, {"sync", server.book(), "--user", "tester", "--save-password"},
                                      bus + QStringList{"KORVALE_PASSWORD=" + kit::Radicale::password()});
            // Where the password cannot be kept, the sync says so and fails.
            QCOMPARE(save.exitCode != 0, noService);
            QVERIFY2(save.err.contains("no Secret Service answered") == noService, qPrintable(save.err));
        }
        if (forgotten) QCOMPARE(detached(program, {"sync", "--forget-password"}).exitCode, 0);
        server.dav({"put", server.book(), "zq@x.org", "zoe quinn"});
        const QByteArray before = bytesOf(book.path() + "/KORVALE.mdb");

        const Run run = detached(command.front(), command.mid(1), bus);
        QVERIFY2((run.out + run.err).contains(said, Qt::CaseInsensitive), qPrintable(run.out + run.err));
        const bool synced = said.startsWith("Came in");
        QCOMPARE(run.exitCode != 0, saved && !synced);
        // A failure is one line in the journal.
        QCOMPARE(run.err.count('\n'), run.exitCode != 0 ? 1 : 0);
        QCOMPARE(book.rows(), synced ? QStringList{"zoe quinn||zq@x.org||||||"} : QStringList{});
        if (!saved) QCOMPARE(bytesOf(book.path() + "/KORVALE.mdb"), before);
        // The password is in no file of the book's folder or the home folder but the keyring's own.
        for (const QString& dir : {book.path(), home_.path()}) {
            for (QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString file = it.next();
                if (!file.contains("/keyrings/"))
                    QVERIFY2(!bytesOf(file).contains(kit::Radicale::password().toUtf8()), qPrintable(file));
            }
        }
    }

    // The account is kept in the book: a later sync needs no URL and no user, a book synced before the
    // user was kept learns it, and another server is refused until the account is forgotten.
    void accountRemembered_data() {
        QTest::addColumn<bool>("olderBook");
        QTest::newRow("book made with the user column") << false;
        QTest::newRow("book synced before the user was kept") << true;
    }
    void accountRemembered() {
        QFETCH(bool, olderBook);
        kit::Radicale server;
        kit::Radicale other;
        kit::TempBook book(QStringList{kit::row("bob", "b")});
        const QStringList password{"KORVALE_PASSWORD=" + kit::Radicale::password()};
        QCOMPARE(detached(KORVALE_DB_PATH, {"sync", book.path(), server.book(), "--user", "tester"}, password)
                     .exitCode,
                 0);
        if (olderBook) {
            book.exec(
                "CREATE TABLE OLD (id INTEGER PRIMARY KEY CHECK (id = 1), url TEXT NOT NULL, collection TEXT "
                "NOT NULL, token TEXT); INSERT INTO OLD SELECT id, url, collection, token FROM SYNC_SERVER; "
                "DROP TABLE SYNC_SERVER; ALTER TABLE OLD RENAME TO SYNC_SERVER");
            QCOMPARE(
                detached(KORVALE_DB_PATH, {"sync", book.path(), server.book(), "--user", "tester"}, password)
                    .exitCode,
                0);
        }
        server.dav({"put", server.book(), "zq@x.org", "zoe quinn"});
        const Run again = detached(KORVALE_DB_PATH, {"sync", book.path()}, password);
        QVERIFY2(again.out.contains("Came in: 1 contact"), qPrintable(again.out + again.err));

        const Run refused =
            detached(KORVALE_DB_PATH, {"sync", book.path(), other.book(), "--user", "tester"}, password);
        QVERIFY2(refused.exitCode != 0 && refused.err.contains(server.book().chopped(1)),
                 qPrintable(refused.err));
        QCOMPARE(detached(KORVALE_DB_PATH, {"sync", book.path(), "--forget-account"}).exitCode, 0);
        const Run moved =
            detached(KORVALE_DB_PATH, {"sync", book.path(), other.book(), "--user", "tester"}, password);
        QVERIFY2(moved.out.contains("Went out: 2 contacts (2 new"), qPrintable(moved.out + moved.err));
        QCOMPARE(other.cards().size(), 2);
    }

    void unitFilesVerify() {
        QVERIFY2(QFile::exists(KORVALE_SYSTEMD_ANALYZE), "systemd-analyze is missing (apt install systemd)");
        const QTemporaryDir dir;
        QVERIFY(!placeUnits(dir.path(), KORVALE_DB_PATH).isEmpty());
        // The manual page is not installed in a build tree.
        const Run verify = detached(
            KORVALE_SYSTEMD_ANALYZE,
            {"verify", "--man=no", dir.path() + "/korvale-sync.service", dir.path() + "/korvale-sync.timer"});
        QCOMPARE(verify.exitCode, 0);
        QCOMPARE(verify.out + verify.err, QString());
    }

private:
    QTemporaryDir home_;
    QProcess keyring_;
};

int main(int argc, char* argv[]) {
    // Run again inside a private session bus, whose end takes the keyring daemon with it.
    if (!qEnvironmentVariableIsSet("KORVALE_PRIVATE_BUS")) {
        if (!QFile::exists(KORVALE_DBUS_RUN_SESSION)) {
            std::fputs("FAIL! : tst_Keyring dbus-run-session is missing (apt install dbus)\n", stderr);
            return 1;
        }
        qputenv("KORVALE_PRIVATE_BUS", "1");
        std::vector<char*> again{const_cast<char*>(KORVALE_DBUS_RUN_SESSION), const_cast<char*>("--")};
        again.insert(again.end(), argv, argv + argc);
        again.push_back(nullptr);
        ::execv(KORVALE_DBUS_RUN_SESSION, again.data());
        std::perror("dbus-run-session");
        return 1;
    }
    QCoreApplication application(argc, argv);
    tst_Keyring test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Keyring.moc"
