// Opening books, good and bad, and the last stored name found without a walk.

#include <QFile>
#include <QTest>

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#include "store/ClientRecord.h"
#include "store/Database.h"
#include "store/DbEngine.h"
#include "store/RecordSource.h"
#include "store/Recordset.h"
#include "tests/support/TestBook.h"

using namespace korvale;
using namespace korvale::testbook;

namespace {

enum class BadBook { Missing, MissingDirectory, Directory, Garbage, ShortGarbage };

void writeFile(const std::filesystem::path& file, const QByteArray& content) {
    QFile out(q(file.string()));
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(content), content.size());
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

private slots:
    void openFailsNamingTheCause_data();
    void openFailsNamingTheCause();
    void lockedBookFailsAtOpen();
    void openRecordsetFailsNamingTheTable_data();
    void openRecordsetFailsNamingTheTable();
    void columnsMatchInAnyLetterCase();
    void lastStoredName_data();
    void lastStoredName();
    void recordSetOutlivesItsDatabase();
};

void DatabaseTest::openFailsNamingTheCause_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("cause");

    QTest::newRow("missing file") << static_cast<int>(BadBook::Missing) << ": the file does not exist";
    QTest::newRow("missing directory")
        << static_cast<int>(BadBook::MissingDirectory) << ": the file does not exist";
    QTest::newRow("a directory of that name")
        << static_cast<int>(BadBook::Directory) << ": it is a directory, not a file";
    QTest::newRow("a text file") << static_cast<int>(BadBook::Garbage)
                                 << " is not a book: file is not a database (code 26)";
    QTest::newRow("a few bytes of text")
        << static_cast<int>(BadBook::ShortGarbage) << " is not a book: file is not a database (code 26)";
}

void DatabaseTest::openFailsNamingTheCause() {
    QFETCH(int, kind);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::filesystem::path file = pathOf(dir) / kBookFileName;
    switch (static_cast<BadBook>(kind)) {
        case BadBook::Missing:
            break;
        case BadBook::MissingDirectory:
            file = pathOf(dir) / "nowhere" / kBookFileName;
            break;
        case BadBook::Directory:
            std::filesystem::create_directory(file);
            break;
        case BadBook::Garbage:
            writeFile(file, QByteArray("Name,address\nann,somewhere\n").repeated(200));
            break;
        case BadBook::ShortGarbage:
            writeFile(file, "hello");
            break;
    }
    const auto contentBefore = std::filesystem::exists(file) && std::filesystem::is_regular_file(file)
                                   ? std::filesystem::file_size(file)
                                   : 0;

    const auto failure = failureOf([&] { DbEngine::instance().OpenDatabase(file); });

    QVERIFY(failure);
    QVERIFY2(q(failure->what()).contains(q(file.string()) + cause), failure->what());
    QVERIFY(failure->code() != 0);
    if (static_cast<BadBook>(kind) == BadBook::Missing) {
        QVERIFY2(!std::filesystem::exists(file), "a failed open must not create the book");
    }
    if (std::filesystem::is_regular_file(file)) {
        QCOMPARE(std::filesystem::file_size(file), contentBefore);
    }
}

void DatabaseTest::lockedBookFailsAtOpen() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("ann", "r0"))});
    // A rollback-journal book under another program's exclusive lock cannot even be read.
    execSql(book, "PRAGMA journal_mode = DELETE");
    SQLite::Database other(book, SQLite::OPEN_READWRITE);
    other.exec("BEGIN EXCLUSIVE");
    const ShortBusyTimeout shortWait;

    const auto failure = failureOf([&] { DbEngine::instance().OpenDatabase(book); });

    QVERIFY(failure);
    QCOMPARE(failure->code() & 0xff, SQLITE_BUSY);
    QVERIFY2(q(failure->what()).contains("The book " + q(book.string()) + " is busy"), failure->what());
    other.exec("ROLLBACK");
}

void DatabaseTest::openRecordsetFailsNamingTheTable_data() {
    QTest::addColumn<QByteArray>("schema");
    QTest::addColumn<QString>("cause");

    const QString noTable =
        QStringLiteral(" has no table CLIENT_RECORDS: no such table: CLIENT_RECORDS (code 1)");
    QTest::newRow("an empty file") << QByteArray() << noTable;
    QTest::newRow("another table only") << QByteArray("CREATE TABLE CLIENTS (Name TEXT)") << noTable;
    QTest::newRow("a view of that name") << QByteArray("CREATE VIEW CLIENT_RECORDS AS SELECT 1 AS Name")
                                         << QStringLiteral(" has no column address");
    QTest::newRow("no Name")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, "
               "CATEGORY)")
        << " has no column Name";
    QTest::newRow("no address")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, "
               "CATEGORY)")
        << " has no column address";
    QTest::newRow("no email_id")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, dob, H_PHONE, W_PHONE, cell_no, remarks, "
               "CATEGORY)")
        << " has no column email_id";
    QTest::newRow("no dob")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, H_PHONE, W_PHONE, cell_no, "
               "remarks, CATEGORY)")
        << " has no column dob";
    QTest::newRow("no H_PHONE")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, dob, W_PHONE, cell_no, remarks, "
               "CATEGORY)")
        << " has no column H_PHONE";
    QTest::newRow("no W_PHONE")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, cell_no, remarks, "
               "CATEGORY)")
        << " has no column W_PHONE";
    QTest::newRow("no cell_no")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, W_PHONE, remarks, "
               "CATEGORY)")
        << " has no column cell_no";
    QTest::newRow("no remarks")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, "
               "CATEGORY)")
        << " has no column remarks";
    QTest::newRow("no CATEGORY")
        << QByteArray(
               "CREATE TABLE CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, "
               "remarks)")
        << " has no column CATEGORY";
}

void DatabaseTest::openRecordsetFailsNamingTheTable() {
    QFETCH(QByteArray, schema);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto file = pathOf(dir) / kBookFileName;
    writeFile(file, {});
    if (!schema.isEmpty()) {
        execSql(file, schema.constData());
    }

    // The file is a database, so opening succeeds; the table is what fails.
    Database database = DbEngine::instance().OpenDatabase(file);
    for (const auto& source : {RecordSource::wholeTable(), RecordSource::byName("ann")}) {
        const auto failure = failureOf([&] { database.OpenRecordset(source); });
        QVERIFY(failure);
        QVERIFY2(q(failure->what()).contains(q(file.string())), failure->what());
        QVERIFY2(q(failure->what()).contains(cause), failure->what());
    }
    // The last stored name needs the table and its Name column only.
    if (cause.contains("no table") || cause.endsWith("no column Name")) {
        const auto nameFailure = failureOf([&] { database.lastStoredName(); });
        QVERIFY(nameFailure);
        QVERIFY2(q(nameFailure->what()).contains(q(file.string()) + cause), nameFailure->what());
    }
}

void DatabaseTest::columnsMatchInAnyLetterCase() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto file = pathOf(dir) / kBookFileName;
    writeFile(file, {});
    execSql(file,
            "CREATE TABLE CLIENT_RECORDS (NAME TEXT, ADDRESS TEXT, EMAIL_ID TEXT, DOB TEXT, h_phone TEXT, "
            "w_phone TEXT, CELL_NO TEXT, REMARKS TEXT, category TEXT)");
    insertRows(file, {rowOf(sampleRecord("ann", "r0"))});

    Database database = DbEngine::instance().OpenDatabase(file);
    Recordset rows = database.OpenRecordset(RecordSource::byName("ann"));
    QCOMPARE(q(rows.Field("remarks")), QStringLiteral("r0 remarks"));
    QCOMPARE(database.lastStoredName(), std::optional<std::string>("ann"));
}

void DatabaseTest::lastStoredName_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("nullAt");
    QTest::addColumn<bool>("deleteLast");
    QTest::addColumn<QString>("expected");

    // "<none>" stands for an empty table's answer, "<fails>" for a refusal.
    QTest::newRow("empty table") << QStringList{} << -1 << false << "<none>";
    QTest::newRow("one row") << QStringList{"ann"} << -1 << false << "ann";
    QTest::newRow("three rows") << QStringList{"cy", "ann", "bob"} << -1 << false << "bob";
    QTest::newRow("the last row's name is empty") << QStringList{"ann", ""} << -1 << false << "";
    QTest::newRow("after the last row was deleted") << QStringList{"ann", "bob"} << -1 << true << "ann";
    QTest::newRow("after the only row was deleted") << QStringList{"ann"} << -1 << true << "<none>";
    QTest::newRow("a null Name first") << QStringList{"x", "ann", "bob"} << 0 << false << "<fails>";
    QTest::newRow("a null Name in the middle") << QStringList{"ann", "x", "bob"} << 1 << false << "<fails>";
    QTest::newRow("a null Name last") << QStringList{"ann", "bob", "x"} << 2 << false << "<fails>";
}

void DatabaseTest::lastStoredName() {
    QFETCH(QStringList, names);
    QFETCH(int, nullAt);
    QFETCH(bool, deleteLast);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, rowsNamed(names, nullAt));
    if (deleteLast) {
        execSql(book, "DELETE FROM CLIENT_RECORDS WHERE rowid = (SELECT max(rowid) FROM CLIENT_RECORDS)");
    }

    Database database = DbEngine::instance().OpenDatabase(book);
    const auto failure = failureOf([&] { database.lastStoredName(); });
    if (expected == "<fails>") {
        QVERIFY(failure);
        QVERIFY2(q(failure->what()).contains("Column Name"), failure->what());
        QVERIFY2(q(failure->what()).contains("holds no value (null)"), failure->what());
        return;
    }
    QVERIFY2(!failure, failure ? failure->what() : "");
    const std::optional<std::string> last = database.lastStoredName();
    QCOMPARE(last ? q(*last) : QStringLiteral("<none>"), expected);
}

void DatabaseTest::recordSetOutlivesItsDatabase() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("ann", "r0")), rowOf(sampleRecord("bob", "r1"))});

    std::optional<Database> database = DbEngine::instance().OpenDatabase(book);
    Recordset rows = database->OpenRecordset(RecordSource::wholeTable());
    Database moved = std::move(*database);
    database.reset();

    rows.MoveNext();
    rows.Edit();
    rows.SetField("remarks", "still writable");
    rows.Update();
    QCOMPARE(q(*readAllRows(book)[1][static_cast<std::size_t>(Column::remarks)]),
             QStringLiteral("still writable"));
}

QTEST_GUILESS_MAIN(DatabaseTest)
#include "DatabaseTest.moc"
