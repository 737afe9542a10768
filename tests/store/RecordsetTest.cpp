// The record set as a cursor over a real book: where it stands, what it reads, what it writes, and
// that it never holds the book between calls.

#include <QTest>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
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

// Rows named as given, each told apart by its place: the address of row i is "r<i> address".
std::vector<Row> taggedRows(const QStringList& names) {
    std::vector<Row> rows;
    for (qsizetype i = 0; i < names.size(); ++i) {
        rows.push_back(rowOf(sampleRecord(names[i].toStdString(), "r" + std::to_string(i))));
    }
    return rows;
}

// A fresh book in DIR holding the tagged rows named.
std::filesystem::path bookOf(const QTemporaryDir& dir, const QStringList& names) {
    const auto book = createBook(pathOf(dir));
    insertRows(book, taggedRows(names));
    return book;
}

QString address(int place) {
    return QStringLiteral("r%1 address").arg(place);
}

// The Database goes out of scope at once: a record set must not depend on it.
Recordset openSet(const std::filesystem::path& book, const RecordSource& source) {
    Database database = DbEngine::instance().OpenDatabase(book);
    return database.OpenRecordset(source);
}

RecordSource sourceOf(bool byName, const QByteArray& name) {
    return byName ? RecordSource::byName(bytes(name)) : RecordSource::wholeTable();
}

// The record set a row of walksInStoredOrder_data asks for, over a fresh book in DIR that holds the
// row's stored names.
Recordset openWalkedSet(const QTemporaryDir& dir) {
    QFETCH(QStringList, stored);
    QFETCH(bool, byName);
    QFETCH(QByteArray, name);
    return openSet(bookOf(dir, stored), sourceOf(byName, name));
}

// The addresses from the current row to the end, leaving the set past its end.
QStringList walkAddresses(Recordset& rows) {
    QStringList seen;
    while (!rows.Eof()) {
        seen << q(rows.Field("address"));
        rows.MoveNext();
    }
    return seen;
}

// Applies "column=value" texts as SetField calls.
void setFields(Recordset& rows, const QStringList& writes) {
    for (const QString& write : writes) {
        const qsizetype at = write.indexOf(QLatin1Char('='));
        rows.SetField(write.left(at).toStdString(), write.mid(at + 1).toStdString());
    }
}

int checkpointBusy(const std::filesystem::path& book) {
    SQLite::Database other(book, SQLite::OPEN_READWRITE);
    other.exec("INSERT INTO CLIENT_RECORDS (Name) VALUES ('written meanwhile')");
    SQLite::Statement checkpoint(other, "PRAGMA wal_checkpoint(TRUNCATE)");
    checkpoint.executeStep();
    return checkpoint.getColumn(0).getInt();
}

enum class Situation { EmptySet, WalkedPastEnd, MovedToEnd, RowDeleted };
enum class Operation { Field, Edit, Delete };

}  // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

private slots:
    void walksInStoredOrder_data();
    void walksInStoredOrder();
    void moveFirstReturnsToTheFirstRow_data();
    void moveFirstReturnsToTheFirstRow();
    void cursorFollowsTheBook_data();
    void cursorFollowsTheBook();
    void noCurrentRow_data();
    void noCurrentRow();
    void fieldAnyLetterCase_data();
    void fieldAnyLetterCase();
    void unknownColumn_data();
    void unknownColumn();
    void nullColumn_data();
    void nullColumn();
    void updateWithoutBegin_data();
    void updateWithoutBegin();
    void addNewStoresAndStaysPut_data();
    void addNewStoresAndStaysPut();
    void editChangesOnlyTheCurrentRow_data();
    void editChangesOnlyTheCurrentRow();
    void renamedRowKeepsTheCursorsPlace();
    void deleteRemovesOnlyTheCurrentRow_data();
    void deleteRemovesOnlyTheCurrentRow();
    void hostileLookUps_data();
    void hostileLookUps();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void editedRowDeletedMeanwhile_data();
    void editedRowDeletedMeanwhile();
    void deletedRowDeletedMeanwhile();
    void busyBook_data();
    void busyBook();
    void noReadTransactionHeld_data();
    void noReadTransactionHeld();
};

void RecordsetTest::walksInStoredOrder_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("whole table, empty") << QStringList{} << false << QByteArray() << QStringList{};
    QTest::newRow("whole table, three rows") << QStringList{"ann", "bob", "cy"} << false << QByteArray()
                                             << QStringList{address(0), address(1), address(2)};
    QTest::newRow("name with no row")
        << QStringList{"ann", "bob"} << true << QByteArray("cy") << QStringList{};
    QTest::newRow("name of one row") << QStringList{"ann", "bob", "cy"} << true << QByteArray("bob")
                                     << QStringList{address(1)};
    QTest::newRow("name of three rows among others")
        << QStringList{"ann", "bob", "ann", "cy", "ann"} << true << QByteArray("ann")
        << QStringList{address(0), address(2), address(4)};
}

void RecordsetTest::walksInStoredOrder() {
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Recordset rows = openWalkedSet(dir);
    QCOMPARE(rows.Eof(), expected.isEmpty());
    QCOMPARE(rows.RecordCount(), expected.isEmpty() ? 0 : 1);

    QStringList seen;
    while (!rows.Eof()) {
        seen << q(rows.Field("address"));
        QCOMPARE(rows.RecordCount(), qint64(seen.size()));
        rows.MoveNext();
    }
    QCOMPARE(seen, expected);
    QCOMPARE(rows.RecordCount(), qint64(expected.size()));

    const auto failure = failureOf([&] { rows.MoveNext(); });
    QVERIFY(failure);
    QVERIFY2(q(failure->what()).contains("past its last row"), failure->what());
    QVERIFY(rows.Eof());
    QCOMPARE(rows.RecordCount(), qint64(expected.size()));
}

void RecordsetTest::moveFirstReturnsToTheFirstRow_data() {
    walksInStoredOrder_data();
}

void RecordsetTest::moveFirstReturnsToTheFirstRow() {
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Recordset rows = openWalkedSet(dir);
    walkAddresses(rows);

    const auto failure = failureOf([&] { rows.MoveFirst(); });
    if (expected.isEmpty()) {
        QVERIFY(failure);
        QVERIFY2(q(failure->what()).contains("No current record"), failure->what());
        QVERIFY(rows.Eof());
        return;
    }
    QVERIFY2(!failure, failure ? failure->what() : "");
    QVERIFY(!rows.Eof());
    // Rows reached once stay counted.
    QCOMPARE(rows.RecordCount(), qint64(expected.size()));
    QCOMPARE(walkAddresses(rows), expected);
}

void RecordsetTest::cursorFollowsTheBook_data() {
    QTest::addColumn<QStringList>("storedAtOpen");
    QTest::addColumn<int>("movesBefore");
    QTest::addColumn<QByteArray>("changeMeanwhile");
    QTest::addColumn<QStringList>("expectedFromThere");

    QTest::newRow("a row stored after open is reached")
        << QStringList{"ann", "bob"} << 1
        << QByteArray("INSERT INTO CLIENT_RECORDS (Name, address) VALUES ('cy', 'late address')")
        << QStringList{address(1), "late address"};
    QTest::newRow("a row deleted after open is skipped")
        << QStringList{"ann", "bob", "cy"} << 0
        << QByteArray("DELETE FROM CLIENT_RECORDS WHERE address = 'r1 address'")
        << QStringList{address(0), address(2)};
    QTest::newRow("a row changed after open shows its new value when reached")
        << QStringList{"ann", "bob"} << 0
        << QByteArray("UPDATE CLIENT_RECORDS SET address = 'moved' WHERE address = 'r1 address'")
        << QStringList{address(0), "moved"};
}

void RecordsetTest::cursorFollowsTheBook() {
    QFETCH(QStringList, storedAtOpen);
    QFETCH(int, movesBefore);
    QFETCH(QByteArray, changeMeanwhile);
    QFETCH(QStringList, expectedFromThere);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, storedAtOpen);

    Recordset rows = openSet(book, RecordSource::wholeTable());
    for (int i = 0; i < movesBefore; ++i) {
        rows.MoveNext();
    }
    execSql(book, changeMeanwhile.constData());
    QCOMPARE(walkAddresses(rows), expectedFromThere);
}

void RecordsetTest::noCurrentRow_data() {
    QTest::addColumn<int>("situation");
    QTest::addColumn<int>("operation");

    const std::pair<Situation, const char*> situations[] = {
        {Situation::EmptySet, "on an empty set"},
        {Situation::WalkedPastEnd, "after walking past the end"},
        {Situation::MovedToEnd, "after MoveToEnd"},
        {Situation::RowDeleted, "on a deleted row"}};
    const std::pair<Operation, const char*> operations[] = {
        {Operation::Field, "Field"}, {Operation::Edit, "Edit"}, {Operation::Delete, "Delete"}};
    for (const auto& [operation, operationName] : operations) {
        for (const auto& [situation, situationName] : situations) {
            QTest::addRow("%s %s", operationName, situationName)
                << static_cast<int>(situation) << static_cast<int>(operation);
        }
    }
}

void RecordsetTest::noCurrentRow() {
    QFETCH(int, situation);
    QFETCH(int, operation);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    if (static_cast<Situation>(situation) != Situation::EmptySet) {
        insertRows(book, taggedRows({"ann", "bob"}));
    }

    Recordset rows = openSet(book, RecordSource::wholeTable());
    switch (static_cast<Situation>(situation)) {
        case Situation::EmptySet:
            break;
        case Situation::WalkedPastEnd:
            walkAddresses(rows);
            break;
        case Situation::MovedToEnd:
            rows.MoveToEnd();
            break;
        case Situation::RowDeleted:
            rows.Delete();
            break;
    }
    const auto before = readAllRows(book);

    const auto failure = failureOf([&] {
        switch (static_cast<Operation>(operation)) {
            case Operation::Field:
                rows.Field("Name");
                break;
            case Operation::Edit:
                rows.Edit();
                break;
            case Operation::Delete:
                rows.Delete();
                break;
        }
    });
    QVERIFY(failure);
    QVERIFY2(q(failure->what()).startsWith("No current record: "), failure->what());
    // A refused Edit begins nothing that a later Update could store.
    QVERIFY(failureOf([&] { rows.Update(); }));
    QCOMPARE(describe(readAllRows(book)), describe(before));
}

void RecordsetTest::fieldAnyLetterCase_data() {
    QTest::addColumn<QByteArray>("column");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Name as the table spells it") << QByteArray("Name") << "ann";
    QTest::newRow("name as the look-up spells it") << QByteArray("name") << "ann";
    QTest::newRow("NAME as the bindings spell it") << QByteArray("NAME") << "ann";
    QTest::newRow("EMAIL_ID") << QByteArray("EMAIL_ID") << "r0@mail";
    QTest::newRow("Cell_No") << QByteArray("Cell_No") << "r0 cell";
    QTest::newRow("h_phone") << QByteArray("h_phone") << "r0 home";
    QTest::newRow("category") << QByteArray("category") << "CLIENT";
    QTest::newRow("DOB") << QByteArray("DOB") << "23-07-1987";
}

void RecordsetTest::fieldAnyLetterCase() {
    QFETCH(QByteArray, column);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann"});

    Recordset rows = openSet(book, RecordSource::byName("ann"));
    QCOMPARE(q(rows.Field(bytes(column))), expected);
}

void RecordsetTest::unknownColumn_data() {
    QTest::addColumn<QByteArray>("column");

    QTest::newRow("a name the table lacks") << QByteArray("phone");
    QTest::newRow("empty text") << QByteArray("");
    QTest::newRow("trailing space") << QByteArray("Name ");
    QTest::newRow("leading space") << QByteArray(" Name");
    QTest::newRow("rowid") << QByteArray("rowid");
    QTest::newRow("the table's name") << QByteArray("CLIENT_RECORDS");
    QTest::newRow("trailing NUL") << QByteArray("Name\0", 5);
    QTest::newRow("Cyrillic look-alike") << QByteArray("N\xd0\xb0me");
    QTest::newRow("prefix of a column") << QByteArray("Nam");
}

void RecordsetTest::unknownColumn() {
    QFETCH(QByteArray, column);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann"});
    Recordset rows = openSet(book, RecordSource::wholeTable());

    const auto readFailure = failureOf([&] { rows.Field(bytes(column)); });
    QVERIFY(readFailure);
    QVERIFY2(q(readFailure->what()).contains("has no column"), readFailure->what());

    rows.Edit();
    const auto writeFailure = failureOf([&] { rows.SetField(bytes(column), "x"); });
    QVERIFY(writeFailure);
    QVERIFY2(q(writeFailure->what()).contains("has no column"), writeFailure->what());
    rows.Update();
    QCOMPARE(describe(readAllRows(book)), describe(taggedRows({"ann"})));
}

void RecordsetTest::nullColumn_data() {
    QTest::addColumn<int>("nullColumn");
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        QTest::addRow("%s", std::string(kColumnNames[i]).c_str()) << static_cast<int>(i);
    }
}

void RecordsetTest::nullColumn() {
    QFETCH(int, nullColumn);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    Row row = rowOf(sampleRecord("ann", "r0"));
    row[static_cast<std::size_t>(nullColumn)].reset();
    insertRows(book, {row});

    Recordset rows = openSet(book, RecordSource::wholeTable());
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const std::string column(kColumnNames[i]);
        if (static_cast<int>(i) == nullColumn) {
            const auto failure = failureOf([&] { rows.Field(column); });
            QVERIFY(failure);
            QCOMPARE(q(failure->what()),
                     "Column " + q(column) + " of the current record holds no value (null)");
        } else {
            QCOMPARE(q(rows.Field(column)), q(*row[i]));
        }
    }
}

void RecordsetTest::updateWithoutBegin_data() {
    QTest::addColumn<int>("scenario");

    QTest::newRow("on a fresh set") << 0;
    QTest::newRow("after the added row was stored") << 1;
    QTest::newRow("after the changed row was stored") << 2;
    QTest::newRow("after Edit and MoveNext") << 3;
    QTest::newRow("after AddNew and MoveFirst") << 4;
    QTest::newRow("after AddNew and MoveToEnd") << 5;
    QTest::newRow("after Edit and Delete") << 6;
}

void RecordsetTest::updateWithoutBegin() {
    QFETCH(int, scenario);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob"});
    Recordset rows = openSet(book, RecordSource::wholeTable());

    switch (scenario) {
        case 1:
            rows.AddNew();
            rows.SetField("Name", "cy");
            rows.Update();
            break;
        case 2:
            rows.Edit();
            rows.SetField("address", "moved");
            rows.Update();
            break;
        case 3:
            rows.Edit();
            rows.SetField("address", "moved");
            rows.MoveNext();
            break;
        case 4:
            rows.AddNew();
            rows.SetField("Name", "cy");
            rows.MoveFirst();
            break;
        case 5:
            rows.AddNew();
            rows.SetField("Name", "cy");
            rows.MoveToEnd();
            break;
        case 6:
            rows.Edit();
            rows.SetField("address", "moved");
            rows.Delete();
            break;
        default:
            break;
    }
    const auto before = readAllRows(book);

    const auto setFailure = failureOf([&] { rows.SetField("remarks", "late"); });
    QVERIFY(setFailure);
    QVERIFY2(q(setFailure->what()).contains("no record has been begun by AddNew or Edit"),
             setFailure->what());

    const auto failure = failureOf([&] { rows.Update(); });
    QVERIFY(failure);
    QCOMPARE(q(failure->what()), "Cannot store the record: neither AddNew nor Edit has begun one");
    QCOMPARE(describe(readAllRows(book)), describe(before));
}

void RecordsetTest::addNewStoresAndStaysPut_data() {
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("expectedRow");

    QTest::newRow("all nine columns")
        << QStringList{"Name=cy",   "address=a", "email_id=e", "dob=01-01-2000", "H_PHONE=1",
                       "W_PHONE=2", "cell_no=3", "remarks=r",  "CATEGORY=FRIEND"}
        << "cy|a|e|01-01-2000|1|2|3|r|FRIEND";
    QTest::newRow("only Name: the rest stay null")
        << QStringList{"Name=cy"} << "cy|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>";
    QTest::newRow("nothing set") << QStringList{}
                                 << "<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>";
    QTest::newRow("empty texts are not nulls")
        << QStringList{"Name=", "address=", "CATEGORY="} << "||<null>|<null>|<null>|<null>|<null>|<null>|";
    QTest::newRow("a column set twice keeps the last")
        << QStringList{"Name=first", "Name=cy"}
        << "cy|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>";
    QTest::newRow("columns in other letter case") << QStringList{"NAME=cy", "Address=a", "category=CLIENT"}
                                                  << "cy|a|<null>|<null>|<null>|<null>|<null>|<null>|CLIENT";
}

void RecordsetTest::addNewStoresAndStaysPut() {
    QFETCH(QStringList, writes);
    QFETCH(QString, expectedRow);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob", "cy"});
    Recordset rows = openSet(book, RecordSource::wholeTable());
    rows.MoveNext();

    rows.AddNew();
    setFields(rows, writes);
    rows.Update();

    const auto stored = readAllRows(book);
    QCOMPARE(stored.size(), std::size_t(4));
    QCOMPARE(describe(stored.back()), expectedRow);

    // The position stays on the row it was on; the new row is reached by moving on, as the last row.
    QVERIFY(!rows.Eof());
    QCOMPARE(q(rows.Field("address")), address(1));
    QCOMPARE(rows.RecordCount(), qint64(2));
    rows.MoveNext();
    QCOMPARE(q(rows.Field("address")), address(2));
    rows.MoveNext();
    QVERIFY(!rows.Eof());
    QCOMPARE(rows.RecordCount(), qint64(4));
    rows.MoveNext();
    QVERIFY(rows.Eof());
}

void RecordsetTest::editChangesOnlyTheCurrentRow_data() {
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("expectedRow");

    QTest::newRow("one column: the rest keep their values")
        << QStringList{"address=moved"}
        << "bob|moved|r1@mail|23-07-1987|r1 home|r1 work|r1 cell|r1 remarks|CLIENT";
    QTest::newRow("all nine columns")
        << QStringList{"Name=cy",   "address=a", "email_id=e", "dob=01-01-2000", "H_PHONE=1",
                       "W_PHONE=2", "cell_no=3", "remarks=r",  "CATEGORY=FRIEND"}
        << "cy|a|e|01-01-2000|1|2|3|r|FRIEND";
    QTest::newRow("nothing set: the row is written back unchanged")
        << QStringList{} << "bob|r1 address|r1@mail|23-07-1987|r1 home|r1 work|r1 cell|r1 remarks|CLIENT";
    QTest::newRow("empty texts replace values")
        << QStringList{"email_id=", "remarks="}
        << "bob|r1 address||23-07-1987|r1 home|r1 work|r1 cell||CLIENT";
}

void RecordsetTest::editChangesOnlyTheCurrentRow() {
    QFETCH(QStringList, writes);
    QFETCH(QString, expectedRow);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    const auto original = taggedRows({"ann", "bob", "cy"});
    insertRows(book, original);
    Recordset rows = openSet(book, RecordSource::wholeTable());
    rows.MoveNext();

    rows.Edit();
    setFields(rows, writes);
    rows.Update();

    const auto stored = readAllRows(book);
    QCOMPARE(describe(stored), QStringList({describe(original[0]), expectedRow, describe(original[2])}));
    // The current row reads as stored.
    QStringList current;
    for (const auto name : kColumnNames) {
        current << q(rows.Field(name));
    }
    QCOMPARE(current.join(QLatin1Char('|')), expectedRow);
    QCOMPARE(rows.RecordCount(), 2);
}

void RecordsetTest::renamedRowKeepsTheCursorsPlace() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob", "ann"});
    Recordset rows = openSet(book, RecordSource::byName("ann"));

    rows.Edit();
    rows.SetField("Name", "zed");
    rows.Update();

    QCOMPARE(q(rows.Field("Name")), "zed");
    QCOMPARE(walkAddresses(rows), QStringList({address(0), address(2)}));
    const auto stored = readAllRows(book);
    QCOMPARE(q(*stored[0][0]), "zed");
    QCOMPARE(q(*stored[2][0]), "ann");
}

void RecordsetTest::deleteRemovesOnlyTheCurrentRow_data() {
    QTest::addColumn<int>("place");
    QTest::newRow("first of three") << 0;
    QTest::newRow("middle of three") << 1;
    QTest::newRow("last of three") << 2;
}

void RecordsetTest::deleteRemovesOnlyTheCurrentRow() {
    QFETCH(int, place);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    auto remaining = taggedRows({"ann", "bob", "cy"});
    insertRows(book, remaining);
    Recordset rows = openSet(book, RecordSource::wholeTable());
    for (int i = 0; i < place; ++i) {
        rows.MoveNext();
    }

    rows.Delete();

    remaining.erase(remaining.begin() + place);
    QCOMPARE(describe(readAllRows(book)), describe(remaining));
    QVERIFY(!rows.Eof());
    QCOMPARE(rows.RecordCount(), qint64(place));
    const auto again = failureOf([&] { rows.Delete(); });
    QVERIFY(again);
    QCOMPARE(q(again->what()), "No current record: the current row has been deleted");

    // Moving on goes to the row after the deleted one.
    rows.MoveNext();
    QStringList expected;
    for (int i = place + 1; i < 3; ++i) {
        expected << address(i);
    }
    QCOMPARE(walkAddresses(rows), expected);
}

void RecordsetTest::hostileLookUps_data() {
    QTest::addColumn<QByteArray>("lookUp");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("quote that closes the text") << QByteArray("' or '1'='1") << QStringList{};
    QTest::newRow("quote and comment") << QByteArray("ann' --") << QStringList{};
    QTest::newRow("second statement") << QByteArray("ann'; DELETE FROM CLIENT_RECORDS; --") << QStringList{};
    QTest::newRow("union") << QByteArray("x' UNION SELECT rowid, * FROM CLIENT_RECORDS --") << QStringList{};
    QTest::newRow("percent") << QByteArray("%") << QStringList{};
    QTest::newRow("underscore") << QByteArray("_") << QStringList{};
    QTest::newRow("pattern of a stored name") << QByteArray("a%") << QStringList{};
    QTest::newRow("underscore is no wildcard") << QByteArray("aXb") << QStringList{};
    QTest::newRow("name with an underscore") << QByteArray("a_b") << QStringList{address(3)};
    QTest::newRow("name with a quote") << QByteArray("o'brien") << QStringList{address(1)};
    QTest::newRow("doubled quote") << QByteArray("o''brien") << QStringList{};
    QTest::newRow("name with a percent") << QByteArray("50%") << QStringList{address(2)};
    QTest::newRow("name with a backslash") << QByteArray("back\\slash") << QStringList{address(4)};
    QTest::newRow("trailing backslash") << QByteArray("back\\") << QStringList{};
    QTest::newRow("non-ASCII") << QByteArray("zo\xc3\xab") << QStringList{address(5)};
    QTest::newRow("non-ASCII, decomposed") << QByteArray("zoe\xcc\x88") << QStringList{};
    QTest::newRow("other letter case") << QByteArray("ANN") << QStringList{};
    QTest::newRow("leading space is not trimmed") << QByteArray(" ann") << QStringList{};
    QTest::newRow("empty text") << QByteArray("") << QStringList{address(6)};
    QTest::newRow("embedded NUL") << QByteArray("x\0y", 3) << QStringList{address(7)};
    QTest::newRow("text before the NUL") << QByteArray("x") << QStringList{};
    QTest::newRow("two rows of a name") << QByteArray("ann") << QStringList{address(0), address(8)};
}

void RecordsetTest::hostileLookUps() {
    QFETCH(QByteArray, lookUp);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    const std::vector<std::string> names{
        "ann", "o'brien", "50%", "a_b", "back\\slash", "zo\xc3\xab", "", std::string("x\0y", 3), "ann"};
    std::vector<Row> stored;
    for (std::size_t i = 0; i < names.size(); ++i) {
        stored.push_back(rowOf(sampleRecord(names[i], "r" + std::to_string(i))));
    }
    insertRows(book, stored);

    Recordset rows = openSet(book, RecordSource::byName(bytes(lookUp)));
    QCOMPARE(walkAddresses(rows), expected);
    QCOMPARE(describe(readAllRows(book)), describe(stored));
}

void RecordsetTest::valuesRoundTrip_data() {
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("date as typed") << QByteArray("23-07-1987");
    QTest::newRow("empty text") << QByteArray("");
    QTest::newRow("spaces only") << QByteArray("   ");
    QTest::newRow("leading and trailing spaces") << QByteArray("  ann  ");
    QTest::newRow("quotes") << QByteArray("it's \"quoted\"");
    QTest::newRow("non-ASCII") << QByteArray("Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m \xe6\x97\xa5\xe6\x9c\xac");
    QTest::newRow("embedded NUL") << QByteArray("before\0after", 12);
    QTest::newRow("line break") << QByteArray("first\nsecond");
    QTest::newRow("statement text") << QByteArray("'); DROP TABLE CLIENT_RECORDS; --");
    QTest::newRow("digits keep their leading zero") << QByteArray("007");
    QTest::newRow("ten thousand characters") << QByteArray(10000, 'a');
}

void RecordsetTest::valuesRoundTrip() {
    QFETCH(QByteArray, value);
    const std::string text = bytes(value);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    {
        Recordset rows = openSet(book, RecordSource::wholeTable());
        rows.AddNew();
        for (const auto name : kColumnNames) {
            rows.SetField(name, text);
        }
        rows.Update();
    }

    Row expected;
    expected.fill(text);
    QCOMPARE(describe(readAllRows(book)), QStringList{describe(expected)});

    Recordset found = openSet(book, RecordSource::byName(text));
    QVERIFY(!found.Eof());
    for (const auto name : kColumnNames) {
        QVERIFY(found.Field(name) == text);
    }
}

void RecordsetTest::editedRowDeletedMeanwhile_data() {
    QTest::addColumn<bool>("byThisProgram");
    QTest::newRow("by another record set of this program") << true;
    QTest::newRow("by another program") << false;
}

void RecordsetTest::editedRowDeletedMeanwhile() {
    QFETCH(bool, byThisProgram);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob"});
    Recordset rows = openSet(book, RecordSource::byName("ann"));
    rows.Edit();
    rows.SetField("address", "moved");

    if (byThisProgram) {
        Recordset other = openSet(book, RecordSource::byName("ann"));
        other.Delete();
    } else {
        execSql(book, "DELETE FROM CLIENT_RECORDS WHERE Name = 'ann'");
    }

    const auto failure = failureOf([&] { rows.Update(); });
    QVERIFY(failure);
    QVERIFY2(q(failure->what()).contains("no longer exists"), failure->what());
    QVERIFY2(q(failure->what()).contains(q(book.string())), failure->what());
    QCOMPARE(describe(readAllRows(book)), QStringList{describe(taggedRows({"ann", "bob"})[1])});
    QVERIFY(failureOf([&] { rows.Field("Name"); }));
}

void RecordsetTest::deletedRowDeletedMeanwhile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    const auto stored = taggedRows({"ann", "bob", "ann"});
    insertRows(book, stored);
    Recordset first = openSet(book, RecordSource::byName("ann"));
    Recordset second = openSet(book, RecordSource::byName("ann"));

    first.Delete();
    const auto failure = failureOf([&] { second.Delete(); });

    QVERIFY(failure);
    QVERIFY2(q(failure->what()).contains("no longer exists"), failure->what());
    // One delete removed one row: the second ann is still there.
    QCOMPARE(describe(readAllRows(book)), describe(std::vector<Row>{stored[1], stored[2]}));
}

void RecordsetTest::busyBook_data() {
    QTest::addColumn<int>("operation");
    QTest::newRow("storing a new row") << 0;
    QTest::newRow("storing a changed row") << 1;
    QTest::newRow("deleting a row") << 2;
}

void RecordsetTest::busyBook() {
    QFETCH(int, operation);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob"});
    const ShortBusyTimeout shortWait;
    Recordset rows = openSet(book, RecordSource::wholeTable());
    const auto before = readAllRows(book);

    auto write = [&] {
        if (operation == 2) {
            rows.Delete();
        } else {
            rows.Update();
        }
    };
    if (operation == 0) {
        rows.AddNew();
        rows.SetField("Name", "cy");
    } else if (operation == 1) {
        rows.Edit();
        rows.SetField("address", "moved");
    }

    SQLite::Database other(book, SQLite::OPEN_READWRITE);
    other.exec("BEGIN IMMEDIATE");
    const auto failure = failureOf(write);
    QVERIFY(failure);
    QCOMPARE(failure->code() & 0xff, SQLITE_BUSY);
    QCOMPARE(q(failure->what()), "The book " + q(book.string()) +
                                     " is busy: another program is writing to it (database is locked)");
    QCOMPARE(describe(readAllRows(book)), describe(before));

    // Once the lock is gone the same write goes through.
    other.exec("ROLLBACK");
    write();
    auto expected = before;
    if (operation == 0) {
        Row added;
        added[static_cast<std::size_t>(Column::Name)] = "cy";
        expected.push_back(added);
    } else if (operation == 1) {
        expected[0][static_cast<std::size_t>(Column::address)] = "moved";
    } else {
        expected.erase(expected.begin());
    }
    QCOMPARE(describe(readAllRows(book)), describe(expected));
}

void RecordsetTest::noReadTransactionHeld_data() {
    QTest::addColumn<int>("scenario");
    QTest::newRow("right after opening on a row") << 0;
    QTest::newRow("in the middle of a walk") << 1;
    QTest::newRow("after walking past the end") << 2;
    QTest::newRow("after storing a new row") << 3;
    QTest::newRow("after storing a changed row") << 4;
    QTest::newRow("after deleting a row") << 5;
    QTest::newRow("after MoveFirst") << 6;
    QTest::newRow("after the last stored name") << 7;
}

void RecordsetTest::noReadTransactionHeld() {
    QFETCH(int, scenario);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = bookOf(dir, {"ann", "bob", "cy"});

    Database database = DbEngine::instance().OpenDatabase(book);
    Recordset rows = database.OpenRecordset(RecordSource::wholeTable());
    switch (scenario) {
        case 1:
            rows.MoveNext();
            rows.Field("Name");
            break;
        case 2:
            walkAddresses(rows);
            break;
        case 3:
            rows.AddNew();
            rows.SetField("Name", "dee");
            rows.Update();
            break;
        case 4:
            rows.Edit();
            rows.SetField("Name", "dee");
            rows.Update();
            break;
        case 5:
            rows.Delete();
            break;
        case 6:
            rows.MoveNext();
            rows.MoveFirst();
            break;
        case 7:
            database.lastStoredName();
            break;
        default:
            break;
    }

    // A full checkpoint completes only when no connection holds a snapshot of the book.
    QCOMPARE(checkpointBusy(book), 0);
}

QTEST_GUILESS_MAIN(RecordsetTest)
#include "RecordsetTest.moc"
