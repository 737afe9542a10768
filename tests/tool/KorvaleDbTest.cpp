// korvale-db as an operator runs it: through its binary, judged by exit status, output and the files
// it leaves.

#include <sys/stat.h>

#include <QFile>
#include <QProcess>
#include <QTest>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/RecordSource.h"
#include "tests/support/TestBook.h"

using namespace korvale;
using namespace korvale::testbook;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(KORVALE_DB_PATH), arguments);
    Run run;
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit) {
        run.err = QStringLiteral("korvale-db did not finish normally: ") + tool.errorString();
        return run;
    }
    run.exitCode = tool.exitCode();
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

int permissionsOf(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

QByteArray contentOf(const std::filesystem::path& file) {
    QFile in(q(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace

class KorvaleDbTest : public QObject {
    Q_OBJECT

private slots:
    void helpPrintsUsage_data();
    void helpPrintsUsage();
    void initMakesABookTheStoreOpens_data();
    void initMakesABookTheStoreOpens();
    void initRefusesAnExistingBook();
    void initRefusesABadDirectory_data();
    void initRefusesABadDirectory();
    void wrongArgumentsPrintUsage_data();
    void wrongArgumentsPrintUsage();
};

void KorvaleDbTest::helpPrintsUsage_data() {
    QTest::addColumn<QString>("option");
    QTest::newRow("--help") << "--help";
    QTest::newRow("-h") << "-h";
}

void KorvaleDbTest::helpPrintsUsage() {
    QFETCH(QString, option);
    const Run run = runTool({option});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("korvale-db init DIR"), qPrintable(run.out));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
}

void KorvaleDbTest::initMakesABookTheStoreOpens_data() {
    QTest::addColumn<int>("umask");
    QTest::newRow("run under umask 000") << 0;
    QTest::newRow("run under umask 022") << 022;
}

void KorvaleDbTest::initMakesABookTheStoreOpens() {
    QFETCH(int, umask);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = pathOf(dir) / kBookFileName;

    // The tool inherits the umask; the book's mode must not depend on it.
    const mode_t previous = ::umask(static_cast<mode_t>(umask));
    const Run run = runTool({"init", dir.path()});
    ::umask(previous);

    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(q(book.string())), qPrintable(run.out));
    QCOMPARE(permissionsOf(book), 0600);
    {
        SQLite::Database db(book, SQLite::OPEN_READONLY);
        SQLite::Statement journal(db, "PRAGMA journal_mode");
        QVERIFY(journal.executeStep());
        QCOMPARE(QString::fromUtf8(journal.getColumn(0).getText()), QStringLiteral("wal"));
    }

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    QVERIFY(store.rows().Eof());
    store.addRow(sampleRecord("ann", "a"));
    store.lookUp("ann");
    QCOMPARE(q(store.rows().Field("dob")), QStringLiteral("23-07-1987"));
}

void KorvaleDbTest::initRefusesAnExistingBook() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = pathOf(dir) / kBookFileName;
    QCOMPARE(runTool({"init", dir.path()}).exitCode, 0);
    insertRows(book, {rowOf(sampleRecord("ann", "a"))});
    const QByteArray before = contentOf(book);

    const Run run = runTool({"init", dir.path()});

    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(q(book.string())) && run.err.contains("already exists"), qPrintable(run.err));
    QCOMPARE(contentOf(book), before);
    QCOMPARE(readAllRows(book).size(), std::size_t(1));
}

void KorvaleDbTest::initRefusesABadDirectory_data() {
    QTest::addColumn<bool>("fileInstead");
    QTest::addColumn<QString>("cause");
    QTest::newRow("missing directory") << false << "does not exist";
    QTest::newRow("a file instead of a directory") << true << "is not a directory";
}

void KorvaleDbTest::initRefusesABadDirectory() {
    QFETCH(bool, fileInstead);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath("app");
    if (fileInstead) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const Run run = runTool({"init", target});

    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(target) && run.err.contains(cause), qPrintable(run.err));
    QVERIFY(!std::filesystem::exists(std::filesystem::path(target.toStdString()) / kBookFileName));
}

void KorvaleDbTest::wrongArgumentsPrintUsage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList{};
    QTest::newRow("init with two directories") << QStringList{"init", "a", "b"};
    QTest::newRow("unknown command") << QStringList{"create", "a"};
}

void KorvaleDbTest::wrongArgumentsPrintUsage() {
    QFETCH(QStringList, arguments);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start(QStringLiteral(KORVALE_DB_PATH), arguments);
    QVERIFY(tool.waitForFinished(30000));

    QVERIFY(tool.exitCode() != 0);
    QVERIFY(QString::fromUtf8(tool.readAllStandardError()).contains("Usage: korvale-db init DIR"));
    QVERIFY2(QDir(dir.path()).isEmpty(), "wrong arguments must create nothing");
}

QTEST_GUILESS_MAIN(KorvaleDbTest)
#include "KorvaleDbTest.moc"
