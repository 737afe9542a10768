// korvale-db sync with nobody at a terminal: the account the book remembers, the password kept in GNOME
// Keyring on a private session bus (ctest runs the suite under dbus-run-session, so that no desktop's
// own keyring is ever touched), and the systemd user units of the source tree, run as they run.

#include <unistd.h>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

#include "tests/kit/Radicale.h"
#include "tests/kit/TempBook.h"

namespace {

using kit::bytesOf;
using kit::Run;

// A program in a session of its own, without a controlling terminal, as systemd starts a service, with
// the variables ("NAME=value") added to the suite's environment.
Run detached(const QString& program, const QStringList& arguments, const QStringList& variables = {}) {
    return kit::run(program, arguments, {variables, [] { ::setsid(); }});
}

// The unit files of the source tree copied into `dir`, the service's ExecStart naming `program` for the
// installed one; returns the service's command line.
QStringList placeUnits(const QString& dir, const QString& program) {
    const QString units = QStringLiteral(KORVALE_UNITS_DIR);
    const QByteArray service =
        bytesOf(units + "/korvale-sync.service.in").replace("@KORVALE_DB@", program.toUtf8());
    QFile out(dir + "/korvale-sync.service");
    if (!out.open(QIODevice::WriteOnly) || out.write(service) != service.size()) return {};
    QFile::copy(units + "/korvale-sync.timer", dir + "/korvale-sync.timer");
    const QRegularExpression execStart("^ExecStart=(.*)$", QRegularExpression::MultilineOption);
    return execStart.match(service).captured(1).split(' ', Qt::SkipEmptyParts);
}

}  // namespace

class tst_Keyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // ctest runs the suite in a private session bus, whose end takes the keyring daemon with it.
        QVERIFY2(qEnvironmentVariableIsSet("KORVALE_PRIVATE_BUS"),
                 "not under dbus-run-session (apt install dbus)");
        const QString missing = kit::Radicale::missing();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        QVERIFY2(QFile::exists(KORVALE_KEYRING_DAEMON),
                 "gnome-keyring-daemon is missing (apt install gnome-keyring)");
        QVERIFY2(QFile::exists(KORVALE_SYSTEMD_ANALYZE), "systemd-analyze is missing (apt install systemd)");
        // The keyring's files, and whatever else a program keeps at home, go to a fresh home folder.
        qputenv("HOME", home_.path().toUtf8());
        for (const char* name : {"XDG_DATA_HOME", "XDG_RUNTIME_DIR", "KORVALE_PASSWORD"}) qunsetenv(name);
        keyring_.start(KORVALE_KEYRING_DAEMON, {"--foreground", "--unlock", "--components=secrets"});
        keyring_.write("keyring-pw-3x9");
        keyring_.closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(
            kit::run("dbus-send",
                     {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"})
                .out.contains("true"),
            10000);
    }
    // The unit files pass systemd-analyze, and the sync the timer starts: the service's own command line,
    // run by a copy of korvale-db beside the book so that the book is the one it uses by default, after a
    // first sync and the row's step.
    void unattendedSync_data() {
        QTest::addColumn<bool>("synced");  // a first sync with --save-password
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("noService");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("fails");
        QTest::newRow("password kept in the keyring") << true << "" << false << "Came in: 1 contact" << false;
        QTest::newRow("password forgotten")
            << true << "--forget-password" << false << "no password in the keyring for tester" << true;
        QTest::newRow("no Secret Service") << true << "" << true << "no Secret Service answered" << true;
        QTest::newRow("book never synced") << false << "" << false << "syncs with no server" << false;
        QTest::newRow("account forgotten")
            << true << "--forget-account" << false << "syncs with no server" << false;
    }
    void unattendedSync() {
        QFETCH(bool, synced);
        QFETCH(QString, step);
        QFETCH(bool, noService);
        QFETCH(QString, said);
        QFETCH(bool, fails);
        const kit::Radicale server;
        const kit::TempBook book;
        const QString program = book.path() + "/korvale-db";
        QVERIFY(QFile::copy(KORVALE_DB_PATH, program));
        const QStringList command = placeUnits(book.path(), program);
        QVERIFY(!command.isEmpty());
        // The manual page is not installed in a build tree.
        const Run verify =
            detached(KORVALE_SYSTEMD_ANALYZE, {"verify", "--man=no", book.path() + "/korvale-sync.service",
                                               book.path() + "/korvale-sync.timer"});
        QVERIFY2(verify.exitCode == 0 && (verify.out + verify.err).isEmpty(),
                 qPrintable(verify.out + verify.err));
        QStringList bus;
        if (noService) bus << "DBUS_SESSION_BUS_ADDRESS=unix:path=" + book.path() + "/none";
        if (synced) {
            const Run first =
                detached(program, {"sync", server.book(), "--user", "tester", "--save-password"},
                         bus + QStringList{"KORVALE_PASSWORD=" + kit::Radicale::password()});
            // A password that cannot be kept makes the sync say so and fail.
            QVERIFY2((first.exitCode != 0) == noService && first.err.contains(said) == noService,
                     qPrintable(first.err));
        }
        if (!step.isEmpty()) QCOMPARE(detached(program, {"sync", step}).exitCode, 0);
        server.dav({"put", server.book(), "zq@x.org", "zoe quinn"});
        const QByteArray before = bytesOf(book.file().c_str());

        const Run run = detached(command.front(), command.mid(1), bus);
        QVERIFY2((run.out + run.err).contains(said, Qt::CaseInsensitive), qPrintable(run.out + run.err));
        QCOMPARE(run.exitCode != 0, fails);
        // A failure is one line in the journal.
        QCOMPARE(run.err.count('\n'), fails ? 1 : 0);
        const bool cameIn = said.startsWith("Came in");
        QCOMPARE(book.rows(), cameIn ? QStringList{"zoe quinn||zq@x.org||||||"} : QStringList{});
        if (!cameIn && !fails) QCOMPARE(bytesOf(book.file().c_str()), before);
        // The password is in no file of the book's folder or the home folder but the keyring's own.
        for (const QString& dir : {book.path(), home_.path()}) {
            for (QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
                 it.hasNext();) {
                const QString file = it.next();
                QVERIFY2(file.contains("/keyrings/") ||
                             !bytesOf(file).contains(kit::Radicale::password().toUtf8()),
                         qPrintable(file));
            }
        }
    }

private:
    QTemporaryDir home_;
    QProcess keyring_;
};

QTEST_MAIN(tst_Keyring)
#include "tst_Keyring.moc"
