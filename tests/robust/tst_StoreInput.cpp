// Hostile texts through ClientStore as the screens use it: stored and found back byte for byte, and a
// look-up selects exactly the rows whose Name equals its text, whatever the text holds.

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "tests/robust/BookContents.h"
#include "store/ClientStore.h"
#include "tests/support/TestBook.h"

using korvale::ClientRecord;
using korvale::ClientStore;
using korvale::Column;
using korvale::RecordSource;
namespace tb = korvale::testbook;

Q_DECLARE_METATYPE(std::string)

namespace {

std::string megabyte(std::string_view pattern) {
    std::string out;
    out.reserve((1u << 20) + pattern.size());
    while (out.size() < (1u << 20)) out += pattern;
    return out;
}

std::string allControlCharacters() {
    std::string out;
    for (char c = 1; c < 0x20; ++c) out.push_back(c);
    out.push_back('\x7f');
    return out;
}

// Names that differ from each other only in ways a loose comparison, a pattern match or a query built
// from text would miss.
const std::vector<std::string>& hostileNames() {
    static const std::vector<std::string> names{
        "bob",
        "Bob",
        " bob",
        "bob ",
        "bo",
        "o'brien",
        "o''brien",
        "x' OR '1'='1",
        "' OR ''='",
        "'; DROP TABLE CLIENT_RECORDS; --",
        "\"; DELETE FROM CLIENT_RECORDS; --",
        "%",
        "b%",
        "_",
        "b_b",
        "*",
        "[a-z]*",
        "?",
        "\\",
        "\\'",
        std::string("a\0b", 3),
        "a",
        "",
        "caf\xc3\xa9",                                           // precomposed e-acute
        "cafe\xcc\x81",                                          // e + combining acute
        "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d",                      // Hebrew, right to left
        "\xe2\x80\x8f\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7",  // right-to-left mark, Arabic
        "\xf0\x9f\x98\x80",                                      // outside the basic plane
        "\xff\xfe\x80",                                          // not UTF-8 at all
        "tab\there",
        "line\nbreak",
        "NULL",
    };
    return names;
}

ClientRecord recordNamed(const std::string& name, const std::string& tag) {
    ClientRecord r = tb::sampleRecord(name, tag);
    return r;
}

std::vector<ClientRecord> lookUpAll(ClientStore& store, const std::string& name) {
    store.lookUp(name);
    std::vector<ClientRecord> found;
    for (auto& rows = store.rows(); !rows.Eof(); rows.MoveNext()) {
        ClientRecord r;
        for (std::size_t i = 0; i < korvale::kColumnCount; ++i)
            r.values[i] = rows.Field(korvale::kColumnNames[i]);
        found.push_back(std::move(r));
    }
    return found;
}

// A row name that shows every byte: printable ASCII as it is, the rest as \xNN.
QByteArray rowName(const std::string& text) {
    QByteArray out;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f)
            out += char(c);
        else
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
    }
    return out.isEmpty() ? QByteArray("(empty)") : out;
}

QStringList describe(const std::vector<ClientRecord>& records) {
    QStringList out;
    for (const auto& r : records) out << tb::describe(tb::rowOf(r));
    return out;
}

}  // namespace

class tst_StoreInput : public QObject {
    Q_OBJECT
private slots:
    void storedAndFoundExactly_data();
    void storedAndFoundExactly();
    void lookUpSelectsExactlyTheRowsOfTheName_data();
    void lookUpSelectsExactlyTheRowsOfTheName();
    void nullColumnIsRefusedWithItsName_data();
    void nullColumnIsRefusedWithItsName();
};

void tst_StoreInput::storedAndFoundExactly_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<std::string>("value");
    QTest::newRow("megabyte remarks") << int(Column::remarks) << megabyte("0123456789 \xc3\xa9\xe6\x9d\xb1 ");
    QTest::newRow("megabyte address") << int(Column::address) << megabyte("x");
    QTest::newRow("megabyte name") << int(Column::Name) << megabyte("abc ");
    QTest::newRow("non-ASCII address") << int(Column::address)
                                       << std::string(
                                              "Stra\xc3\x9f"
                                              "e 5, \xe6\x9d\xb1\xe4\xba\xac");
    QTest::newRow("right-to-left remarks")
        << int(Column::remarks)
        << std::string("\xe2\x80\x8f\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 123 \xd7\xa9\xd7\x9c");
    QTest::newRow("control characters") << int(Column::address) << allControlCharacters();
    QTest::newRow("embedded NUL") << int(Column::email_id) << std::string("a\0b@mail", 8);
    QTest::newRow("not UTF-8") << int(Column::remarks) << std::string("\xff\xfe\x80\xc3");
    QTest::newRow("quote in the category") << int(Column::CATEGORY) << std::string("CLIENT' --");
    QTest::newRow("date not reformatted") << int(Column::dob) << std::string("01-01-0001");
    QTest::newRow("spaces kept") << int(Column::cell_no) << std::string("  ");
    for (const auto& name : hostileNames())
        QTest::addRow("name %s", rowName(name).constData()) << int(Column::Name) << name;
}

void tst_StoreInput::storedAndFoundExactly() {
    QFETCH(int, column);
    QFETCH(std::string, value);
    QTemporaryDir dir;
    const auto book = tb::createBook(tb::pathOf(dir));
    // Decoys around it: rows whose names differ from the one stored in every way that matters.
    std::vector<tb::Row> decoys;
    for (const auto& n : hostileNames())
        if (n != value) decoys.push_back(tb::rowOf(recordNamed(n, "decoy")));
    tb::insertRows(book, decoys);

    ClientRecord record = tb::sampleRecord("hostile", "mine");
    record.values[static_cast<std::size_t>(column)] = value;
    ClientStore store;
    store.open(tb::pathOf(dir), RecordSource::wholeTable());
    store.addRow(record);

    const auto contents = korvale::robust::readBook(book);
    QCOMPARE(contents.integrity, std::vector<std::string>{"ok"});
    QCOMPARE(contents.rows.size(), decoys.size() + 1);
    QVERIFY(contents.rows.back() == record);

    ClientStore again;
    again.open(tb::pathOf(dir), RecordSource::wholeTable());
    const auto found = lookUpAll(again, record[Column::Name]);
    QCOMPARE(found.size(), std::size_t{1});
    QVERIFY(found.front() == record);
}

void tst_StoreInput::lookUpSelectsExactlyTheRowsOfTheName_data() {
    QTest::addColumn<std::string>("name");
    for (const auto& name : hostileNames()) QTest::addRow("%s", rowName(name).constData()) << name;
    QTest::newRow("absent, quote only") << std::string("'");
    QTest::newRow("absent, comment") << std::string("--");
    QTest::newRow("absent, statement end") << std::string(";");
}

void tst_StoreInput::lookUpSelectsExactlyTheRowsOfTheName() {
    QFETCH(std::string, name);
    QTemporaryDir dir;
    const auto book = tb::createBook(tb::pathOf(dir));
    // Every hostile name once, and every second one twice, so that the count of a match matters.
    std::vector<tb::Row> rows;
    int n = 0;
    for (const auto& stored : hostileNames()) {
        rows.push_back(tb::rowOf(recordNamed(stored, "first " + std::to_string(n))));
        if (n++ % 2 == 0) rows.push_back(tb::rowOf(recordNamed(stored, "second " + std::to_string(n))));
    }
    tb::insertRows(book, rows);

    std::vector<ClientRecord> expected;
    for (const auto& row : korvale::robust::readBook(book).rows)
        if (row[Column::Name] == name) expected.push_back(row);

    ClientStore store;
    store.open(tb::pathOf(dir), RecordSource::wholeTable());
    const auto found = lookUpAll(store, name);
    QCOMPARE(describe(found), describe(expected));
    // And the look-up left the book as it was.
    QCOMPARE(korvale::robust::readBook(book).rows.size(), rows.size());
}

void tst_StoreInput::nullColumnIsRefusedWithItsName_data() {
    QTest::addColumn<int>("column");
    for (std::size_t i = 1; i < korvale::kColumnCount; ++i)
        QTest::newRow(std::string(korvale::kColumnNames[i]).c_str()) << int(i);
}

void tst_StoreInput::nullColumnIsRefusedWithItsName() {
    QFETCH(int, column);
    QTemporaryDir dir;
    const auto book = tb::createBook(tb::pathOf(dir));
    tb::Row row = tb::rowOf(tb::sampleRecord("nully", "n"));
    row[static_cast<std::size_t>(column)].reset();
    tb::insertRows(book, {row});

    ClientStore store;
    store.open(tb::pathOf(dir), RecordSource::wholeTable());
    store.lookUp("nully");
    const std::string columnName(korvale::kColumnNames[static_cast<std::size_t>(column)]);
    const auto failure = tb::failureOf([&] { store.rows().Field(columnName); });
    QVERIFY(failure);
    QVERIFY2(std::string(failure->what()).find(columnName) != std::string::npos, failure->what());
    QVERIFY2(std::string(failure->what()).find("null") != std::string::npos, failure->what());
    QCOMPARE(store.rows().Field("Name"), std::string("nully"));

    // Writing the row back replaces the null with a text; deleting it works like any other.
    ClientRecord replacement = tb::sampleRecord("nully", "fixed");
    store.changeCurrentRow(replacement);
    QVERIFY(korvale::robust::readBook(book).rows.at(0) == replacement);
    store.lookUp("nully");
    store.rows().Delete();
    QVERIFY(korvale::robust::readBook(book).rows.empty());
}

QTEST_GUILESS_MAIN(tst_StoreInput)
#include "tst_StoreInput.moc"
