// A screen's store as the record screens drive it: open, walk, look up, add, change, delete.

#include <QTest>

#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/RecordSource.h"
#include "tests/support/TestBook.h"

using namespace korvale;
using namespace korvale::testbook;

namespace {

ClientRecord onlyRequired(const std::string& name) {
    ClientRecord record;
    record[Column::Name] = name;
    record[Column::address] = "12 high street";
    record[Column::dob] = "23-07-1987";
    record[Column::CATEGORY] = "FRIEND";
    return record;
}

// The nine fields a look-up screen fills, in the table's order.
QStringList shown(Recordset& rows) {
    QStringList fields;
    for (const auto name : kColumnNames) {
        fields << q(rows.Field(name));
    }
    return fields;
}

QStringList fieldsOf(const ClientRecord& record) {
    QStringList fields;
    for (const auto& value : record.values) {
        fields << q(value);
    }
    return fields;
}

enum class Write { Add, Change, Delete };

}  // namespace

class ClientStoreTest : public QObject {
    Q_OBJECT

private slots:
    void bookPath_data();
    void bookPath();
    void stepsBeforeOpenFail();
    void failedOpenRepeatsItsCause_data();
    void failedOpenRepeatsItsCause();
    void failedOpenLetsGoOfThePreviousBook();
    void openOnEmptyTable_data();
    void openOnEmptyTable();
    void walkNames_data();
    void walkNames();
    void addRowStoresTheNineFields_data();
    void addRowStoresTheNineFields();
    void lookUpShowsTheFirstRowOfTheName();
    void failedLookUpKeepsThePreviousSet();
    void twoRowsOfOneName();
    void changeOrDeleteWithNoMatchWritesNothing_data();
    void changeOrDeleteWithNoMatchWritesNothing();
    void writesAreSeenByOtherStores_data();
    void writesAreSeenByOtherStores();
};

void ClientStoreTest::bookPath_data() {
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<QString>("expected");

    QTest::newRow("absolute directory") << "/opt/korvale"
                                        << "/opt/korvale/KORVALE.mdb";
    QTest::newRow("trailing slash") << "/opt/korvale/"
                                    << "/opt/korvale/KORVALE.mdb";
    QTest::newRow("relative directory") << "bin"
                                        << "bin/KORVALE.mdb";
    QTest::newRow("directory with spaces") << "/home/a b/app"
                                           << "/home/a b/app/KORVALE.mdb";
}

void ClientStoreTest::bookPath() {
    QFETCH(QString, appDir);
    QFETCH(QString, expected);
    QCOMPARE(q(ClientStore::bookPath(appDir.toStdString()).string()), expected);
}

void ClientStoreTest::stepsBeforeOpenFail() {
    ClientStore store;
    QVERIFY(!store.isOpen());
    for (const auto& failure :
         {failureOf([&] { store.rows(); }), failureOf([&] { store.lookUp("ann"); }),
          failureOf([&] { store.walkNames(); }), failureOf([&] { store.addRow(sampleRecord("ann", "r0")); }),
          failureOf([&] { store.changeCurrentRow(sampleRecord("ann", "r0")); })}) {
        QVERIFY(failure);
        QCOMPARE(q(failure->what()), QStringLiteral("No book is open: the store has not been opened"));
    }
}

void ClientStoreTest::failedOpenRepeatsItsCause_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no book") << false << ": the file does not exist";
    QTest::newRow("a book without the table") << true << " has no table CLIENT_RECORDS";
}

void ClientStoreTest::failedOpenRepeatsItsCause() {
    QFETCH(bool, fileExists);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto appDir = pathOf(dir);
    if (fileExists) {
        execSql(ClientStore::bookPath(appDir), "CREATE TABLE OTHER (x)");
    }

    ClientStore store;
    const auto openFailure = failureOf([&] { store.open(appDir, RecordSource::wholeTable()); });
    QVERIFY(openFailure);
    QVERIFY2(q(openFailure->what()).contains(cause), openFailure->what());

    // Every later step of the screen reports the same cause.
    for (const auto& failure : {failureOf([&] { store.rows(); }), failureOf([&] { store.walkNames(); }),
                                failureOf([&] { store.addRow(sampleRecord("ann", "r0")); })}) {
        QVERIFY(failure);
        QCOMPARE(q(failure->what()), q(openFailure->what()));
    }
    QVERIFY(failureOf([&] { store.lookUp("ann"); }));
}

void ClientStoreTest::failedOpenLetsGoOfThePreviousBook() {
    QTemporaryDir good;
    QTemporaryDir empty;
    QVERIFY(good.isValid() && empty.isValid());
    const auto book = createBook(pathOf(good));

    ClientStore store;
    store.open(pathOf(good), RecordSource::wholeTable());
    QVERIFY(failureOf([&] { store.open(pathOf(empty), RecordSource::wholeTable()); }));

    QVERIFY(!store.isOpen());
    QVERIFY(failureOf([&] { store.addRow(sampleRecord("ann", "r0")); }));
    QVERIFY(readAllRows(book).empty());
}

void ClientStoreTest::openOnEmptyTable_data() {
    QTest::addColumn<bool>("wholeTable");
    QTest::newRow("source: the table") << true;
    QTest::newRow("source: a name") << false;
}

void ClientStoreTest::openOnEmptyTable() {
    QFETCH(bool, wholeTable);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));

    ClientStore store;
    store.open(pathOf(dir), wholeTable ? RecordSource::wholeTable() : RecordSource::byName(""));
    QVERIFY(store.isOpen());
    QVERIFY(store.rows().Eof());
    QCOMPARE(store.rows().RecordCount(), qint64(0));

    // The first row can then be added.
    store.addRow(onlyRequired("ann"));
    QCOMPARE(readAllRows(book).size(), std::size_t(1));
}

void ClientStoreTest::walkNames_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("nullAt");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty table") << QStringList{} << -1 << "<none>";
    QTest::newRow("rows: the last stored one") << QStringList{"zed", "ann", "mo"} << -1 << "mo";
    QTest::newRow("a null Name") << QStringList{"ann", "x", "bob"} << 1 << "<fails>";
}

void ClientStoreTest::walkNames() {
    QFETCH(QStringList, names);
    QFETCH(int, nullAt);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, rowsNamed(names, nullAt));

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    std::optional<std::string> last;
    const auto failure = failureOf([&] { last = store.walkNames(); });
    if (expected == "<fails>") {
        QVERIFY(failure);
        QVERIFY2(q(failure->what()).contains("Column Name"), failure->what());
        QVERIFY2(q(failure->what()).contains("(null)"), failure->what());
        return;
    }
    QVERIFY2(!failure, failure ? failure->what() : "");
    QCOMPARE(last ? q(*last) : QStringLiteral("<none>"), expected);
    QVERIFY(store.rows().Eof());
}

void ClientStoreTest::addRowStoresTheNineFields_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("every field filled") << 0;
    QTest::newRow("only the required fields: empty texts elsewhere") << 1;
    QTest::newRow("every field empty") << 2;
}

void ClientStoreTest::addRowStoresTheNineFields() {
    QFETCH(int, kind);
    const ClientRecord record =
        kind == 0 ? sampleRecord("ann", "a") : (kind == 1 ? onlyRequired("ann") : ClientRecord{});

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("bob", "b"))});

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    store.addRow(record);
    store.addRow(record);

    // Nothing stops two identical rows.
    const auto stored = readAllRows(book);
    QCOMPARE(describe(stored), QStringList({describe(rowOf(sampleRecord("bob", "b"))),
                                            describe(rowOf(record)), describe(rowOf(record))}));
    store.lookUp(record[Column::Name]);
    QCOMPARE(shown(store.rows()), fieldsOf(record));
}

void ClientStoreTest::lookUpShowsTheFirstRowOfTheName() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("ann", "first")), rowOf(sampleRecord("bob", "b")),
                      rowOf(sampleRecord("ann", "second"))});

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    store.lookUp("ann");
    QCOMPARE(shown(store.rows()), fieldsOf(sampleRecord("ann", "first")));
    QCOMPARE(store.rows().RecordCount(), qint64(1));

    store.lookUp("nobody");
    QVERIFY(store.rows().Eof());
    QCOMPARE(store.rows().RecordCount(), qint64(0));
    QVERIFY(failureOf([&] { store.rows().Field("Name"); }));
}

void ClientStoreTest::failedLookUpKeepsThePreviousSet() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("ann", "a"))});

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    store.lookUp("ann");
    execSql(book, "DROP TABLE CLIENT_RECORDS");

    const auto failure = failureOf([&] { store.lookUp("bob"); });
    QVERIFY(failure);
    QVERIFY2(q(failure->what()).contains("has no table CLIENT_RECORDS"), failure->what());
    QCOMPARE(q(store.rows().Field("address")), QStringLiteral("a address"));
}

void ClientStoreTest::twoRowsOfOneName() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    const Row bob = rowOf(sampleRecord("bob", "b"));
    const Row secondAnn = rowOf(sampleRecord("ann", "second"));
    insertRows(book, {rowOf(sampleRecord("ann", "first")), bob, secondAnn});

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());

    // Change: only the first row of the name is rewritten.
    store.lookUp("ann");
    const ClientRecord changed = sampleRecord("ann", "changed");
    store.changeCurrentRow(changed);
    QCOMPARE(describe(readAllRows(book)), describe(std::vector<Row>{rowOf(changed), bob, secondAnn}));

    // Delete: the first one goes, then the other.
    store.lookUp("ann");
    QCOMPARE(shown(store.rows()), fieldsOf(changed));
    store.rows().Delete();
    QCOMPARE(describe(readAllRows(book)), describe(std::vector<Row>{bob, secondAnn}));

    store.lookUp("ann");
    QCOMPARE(shown(store.rows()), fieldsOf(sampleRecord("ann", "second")));
    store.rows().Delete();
    QCOMPARE(describe(readAllRows(book)), describe(std::vector<Row>{bob}));

    store.lookUp("ann");
    QVERIFY(store.rows().Eof());
}

void ClientStoreTest::changeOrDeleteWithNoMatchWritesNothing_data() {
    QTest::addColumn<bool>("change");
    QTest::newRow("change") << true;
    QTest::newRow("delete") << false;
}

void ClientStoreTest::changeOrDeleteWithNoMatchWritesNothing() {
    QFETCH(bool, change);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto book = createBook(pathOf(dir));
    insertRows(book, {rowOf(sampleRecord("ann", "a"))});
    const auto before = readAllRows(book);

    ClientStore store;
    store.open(pathOf(dir), RecordSource::wholeTable());
    store.lookUp("nobody");
    const auto failure = failureOf([&] {
        if (change) {
            store.changeCurrentRow(sampleRecord("nobody", "x"));
        } else {
            store.rows().Delete();
        }
    });
    QVERIFY(failure);
    QVERIFY2(q(failure->what()).startsWith("No current record"), failure->what());
    QCOMPARE(describe(readAllRows(book)), describe(before));
}

void ClientStoreTest::writesAreSeenByOtherStores_data() {
    QTest::addColumn<int>("write");
    QTest::addColumn<bool>("openedBefore");

    const std::pair<Write, const char*> writes[] = {
        {Write::Add, "added row"}, {Write::Change, "changed row"}, {Write::Delete, "deleted row"}};
    for (const auto& [write, name] : writes) {
        QTest::addRow("%s, store opened afterwards", name) << static_cast<int>(write) << false;
        QTest::addRow("%s, store already open", name) << static_cast<int>(write) << true;
    }
}

void ClientStoreTest::writesAreSeenByOtherStores() {
    QFETCH(int, write);
    QFETCH(bool, openedBefore);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    createBook(pathOf(dir));
    insertRows(ClientStore::bookPath(pathOf(dir)), {rowOf(sampleRecord("ann", "a"))});

    ClientStore reader;
    if (openedBefore) {
        reader.open(pathOf(dir), RecordSource::wholeTable());
    }

    ClientStore writer;
    writer.open(pathOf(dir), RecordSource::wholeTable());
    switch (static_cast<Write>(write)) {
        case Write::Add:
            writer.addRow(sampleRecord("bob", "b"));
            break;
        case Write::Change:
            writer.lookUp("ann");
            writer.changeCurrentRow(sampleRecord("ann", "changed"));
            break;
        case Write::Delete:
            writer.lookUp("ann");
            writer.rows().Delete();
            break;
    }

    if (!openedBefore) {
        reader.open(pathOf(dir), RecordSource::wholeTable());
    }
    switch (static_cast<Write>(write)) {
        case Write::Add:
            reader.lookUp("bob");
            QCOMPARE(shown(reader.rows()), fieldsOf(sampleRecord("bob", "b")));
            QCOMPARE(reader.walkNames(), std::optional<std::string>("bob"));
            break;
        case Write::Change:
            reader.lookUp("ann");
            QCOMPARE(shown(reader.rows()), fieldsOf(sampleRecord("ann", "changed")));
            break;
        case Write::Delete:
            reader.lookUp("ann");
            QVERIFY(reader.rows().Eof());
            QCOMPARE(reader.walkNames(), std::optional<std::string>());
            break;
    }
}

QTEST_GUILESS_MAIN(ClientStoreTest)
#include "ClientStoreTest.moc"
