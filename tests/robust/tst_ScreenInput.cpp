// Hostile input through the real screens: what the operator types or pastes is stored exactly (or the
// entry rules refuse it as they type), what another program stored is shown exactly and written back
// unchanged, a column without a value is reported, and no look-up text reaches rows of another name.

#include <QLineEdit>
#include <QStringDecoder>
#include <QTest>

#include "tests/robust/BookContents.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;
using korvale::ClientRecord;
using korvale::Column;
namespace tb = korvale::testbook;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(ScreenId)

namespace {

// Keeps a leading byte-order mark, which QString::fromUtf8 would drop.
QString q(const std::string& s) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
}

QString fieldText(QWidget* screen, const char* name) {
    return fieldTexts(screen).value(QLatin1String(name));
}

void storeRows(AppUnderTest& app, const std::vector<tb::Row>& rows) {
    tb::insertRows(app.bookPath(), rows);
}

std::string longText(std::size_t length) {
    std::string out;
    const std::string pattern = "long remark \xc3\xa9\xd7\xa9 ";
    while (out.size() < length) out += pattern;
    return out;
}

const char* const kFieldOf[] = {"Text1", "Text2", "Text3", "Text4", "Text5",
                                "Text6", "Text7", "Text8", "Combo1"};

}  // namespace

class tst_ScreenInput : public QObject {
    Q_OBJECT
private slots:
    void enteredTextIsStoredAndFoundExactly_data();
    void enteredTextIsStoredAndFoundExactly();
    void storedTextIsShownAndWrittenBackUnchanged_data();
    void storedTextIsShownAndWrittenBackUnchanged();
    void textThatIsNotUtf8IsRefusedByTheLookUp_data();
    void textThatIsNotUtf8IsRefusedByTheLookUp();
    void columnWithoutValueIsReported_data();
    void columnWithoutValueIsReported();
    void nameWithoutValueIsReportedOnOpening_data();
    void nameWithoutValueIsReportedOnOpening();
    void lookUpTextReachesOnlyItsOwnRows_data();
    void lookUpTextReachesOnlyItsOwnRows();
};

void tst_ScreenInput::enteredTextIsStoredAndFoundExactly_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("stored");
    const int address = int(Column::address), remarks = int(Column::remarks), name = int(Column::Name);
    QTest::newRow("typed non-ASCII address")
        << address << false << QStringLiteral("Stra\u00dfe 5, \u6771\u4eac")
        << QStringLiteral("Stra\u00dfe 5, \u6771\u4eac");
    QTest::newRow("typed right-to-left address")
        << address << false << QStringLiteral("\u05e9\u05dc\u05d5\u05dd 12")
        << QStringLiteral("\u05e9\u05dc\u05d5\u05dd 12");
    QTest::newRow("typed right-to-left remarks with marks")
        << remarks << false << QStringLiteral("\u200f\u0645\u0631\u062d\u0628\u0627\u200e 42")
        << QStringLiteral("\u200f\u0645\u0631\u062d\u0628\u0627\u200e 42");
    QTest::newRow("typed emoji") << remarks << false << QStringLiteral("\U0001F600 ok")
                                 << QStringLiteral("\U0001F600 ok");
    QTest::newRow("typed quotes") << remarks << false << QStringLiteral("o'brien \"x\" ' OR '1'='1")
                                  << QStringLiteral("o'brien \"x\" ' OR '1'='1");
    // The name rule lower-cases letters and drops the rest as they are typed.
    QTest::newRow("typed name with capitals, digits, quotes")
        << name << false << QStringLiteral("ZoE' 7x") << QStringLiteral("zoe x");
    QTest::newRow("typed name of non-Latin letters")
        << name << false << QStringLiteral("z\u00e9\u05e9a") << QStringLiteral("za");
    QTest::newRow("pasted control characters in the address")
        << address << true << QStringLiteral("a\tb\u0001c\u007f") << QStringLiteral("a\tb\u0001c\u007f");
    QTest::newRow("pasted a megabyte of remarks")
        << remarks << true << q(longText(1 << 20)) << q(longText(1 << 20));
}

void tst_ScreenInput::enteredTextIsStoredAndFoundExactly() {
    QFETCH(int, column);
    QFETCH(bool, paste);
    QFETCH(QString, entered);
    QFETCH(QString, stored);
    BoxAnswers boxes;
    AppUnderTest app;
    Screen* add = prepareWrite(app, Write::Add);
    QVERIFY(add);
    const char* field = kFieldOf[column];
    eraseField(add, field);
    if (paste)
        pasteInto(add, field, entered);
    else
        typeInto(add, field, entered);
    pressWrite(add, Write::Add, boxes, true);
    QVERIFY2(shown(boxes, doneMessage(Write::Add)), qPrintable(boxes.texts().join(QLatin1String(" / "))));

    ClientRecord expected = typedRecord();
    expected.values[static_cast<std::size_t>(column)] = stored.toStdString();
    const auto rows = readBook(app.bookPath()).rows;
    QCOMPARE(describe(rows), describe({expected}));

    // Found back on the search screen, which opens on the last row's name.
    click(add, "BACK");
    Screen* search = app.open(ScreenId::SEARCH_FORM);
    QVERIFY(search);
    QCOMPARE(fieldText(search, "Text10"), q(expected[Column::Name]));
    boxes.clear();
    click(search, "SEARCH");
    QCOMPARE(boxes.texts(), QStringList());
    const char* shownIn = column == int(Column::CATEGORY) ? "Text9" : kFieldOf[column];
    QCOMPARE(fieldText(search, shownIn), stored);
}

void tst_ScreenInput::storedTextIsShownAndWrittenBackUnchanged_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<std::string>("value");
    const int remarks = int(Column::remarks), address = int(Column::address);
    QTest::newRow("100 000 characters of remarks") << remarks << longText(100000);
    QTest::newRow("a megabyte of remarks") << remarks << longText(1 << 20);
    QTest::newRow("100 000 characters of category") << int(Column::CATEGORY) << longText(100000);
    QTest::newRow("control characters") << address << std::string("a\tb\nc\rd\x01\x1b\x7f");
    QTest::newRow("embedded NUL") << int(Column::email_id) << std::string("a\0b", 3);
    QTest::newRow("right-to-left") << address
                                   << std::string("\xe2\x80\x8f\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7");
    QTest::newRow("quotes") << remarks << std::string("' OR ''='");
    QTest::newRow("date in another form") << int(Column::dob) << std::string("1987/7/23 ");
    QTest::newRow("leading byte-order mark") << address
                                             << std::string(
                                                    "\xef\xbb\xbf"
                                                    "1 road");
    QTest::newRow("zero-width and combining") << remarks << std::string("e\xcc\x81\xe2\x80\x8b|");
}

// Looked up with OK and written back with UPDATE untouched: the row must come out as it went in.
void tst_ScreenInput::storedTextIsShownAndWrittenBackUnchanged() {
    QFETCH(int, column);
    QFETCH(std::string, value);
    BoxAnswers boxes;
    AppUnderTest app;
    ClientRecord record = tb::sampleRecord("wanda", "w");
    record.values[static_cast<std::size_t>(column)] = value;
    storeRows(app, {tb::rowOf(tb::sampleRecord("alice", "a")), tb::rowOf(record)});
    const auto before = readBook(app.bookPath()).rows;

    Screen* update = app.open(ScreenId::UPDATE_FORM);
    QVERIFY(update);
    typeInto(update, "Text10", QStringLiteral("wanda"));
    click(update, "OK");
    QCOMPARE(boxes.texts(), QStringList());
    QCOMPARE(fieldText(update, kFieldOf[column]), q(value));

    boxes.answer({MessageBoxes::kYes});
    click(update, "UPDATE");
    QVERIFY2(shown(boxes, doneMessage(Write::Update)), qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QCOMPARE(describe(readBook(app.bookPath()).rows), describe(before));
}

void tst_ScreenInput::textThatIsNotUtf8IsRefusedByTheLookUp_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("message");
    QTest::newRow("search screen") << ScreenId::SEARCH_FORM
                                   << QStringLiteral("there is no record related to this name");
    QTest::newRow("updation screen") << ScreenId::UPDATE_FORM
                                     << QStringLiteral("There is no record related to this name");
    QTest::newRow("deletion screen") << ScreenId::DELETE_FORM
                                     << QStringLiteral("there is no record related to this name");
}

// Another program stored Latin-1 bytes. A field can only hold Unicode text: showing them would show
// a replacement character, and the next UPDATE would write that back over the original bytes without
// the operator having touched them. The look-up must refuse the row as it refuses a null column.
void tst_ScreenInput::textThatIsNotUtf8IsRefusedByTheLookUp() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, message);
    BoxAnswers boxes;
    AppUnderTest app;
    ClientRecord record = tb::sampleRecord("wanda", "w");
    record[Column::remarks] = "caf\xe9 \xff";
    storeRows(app, {tb::rowOf(record), tb::rowOf(tb::sampleRecord("zed", "z"))});
    const auto before = readBook(app.bookPath()).rows;

    Screen* s = app.open(screen);
    QVERIFY(s);
    eraseField(s, "Text10");
    typeInto(s, "Text10", QStringLiteral("wanda"));
    click(s, screen == ScreenId::SEARCH_FORM ? "SEARCH" : "OK");
    QCOMPARE(boxes.texts(), QStringList{message});
    QVERIFY2(!fieldText(s, "Text8").contains(QChar(QChar::ReplacementCharacter)),
             "the remarks are shown altered");
    QCOMPARE(describe(readBook(app.bookPath()).rows), describe(before));
}

void tst_ScreenInput::columnWithoutValueIsReported_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("message");
    for (std::size_t c = 1; c < korvale::kColumnCount; ++c) {
        const std::string name(korvale::kColumnNames[c]);
        QTest::addRow("search screen, %s", name.c_str())
            << ScreenId::SEARCH_FORM << int(c) << QStringLiteral("there is no record related to this name");
        QTest::addRow("updation screen, %s", name.c_str())
            << ScreenId::UPDATE_FORM << int(c) << QStringLiteral("There is no record related to this name");
        QTest::addRow("deletion screen, %s", name.c_str())
            << ScreenId::DELETE_FORM << int(c) << QStringLiteral("there is no record related to this name");
    }
}

// Another program left a column without a value: the look-up says it found nothing usable, and the
// deletion screen can still remove the row.
void tst_ScreenInput::columnWithoutValueIsReported() {
    QFETCH(ScreenId, screen);
    QFETCH(int, column);
    QFETCH(QString, message);
    BoxAnswers boxes;
    AppUnderTest app;
    tb::Row nully = tb::rowOf(tb::sampleRecord("nelly", "n"));
    nully[static_cast<std::size_t>(column)].reset();
    storeRows(app,
              {tb::rowOf(tb::sampleRecord("alice", "a")), nully, tb::rowOf(tb::sampleRecord("zed", "z"))});

    Screen* s = app.open(screen);
    QVERIFY(s);
    eraseField(s, "Text10");
    typeInto(s, "Text10", QStringLiteral("nelly"));
    click(s, screen == ScreenId::SEARCH_FORM ? "SEARCH" : "OK");
    QCOMPARE(boxes.texts(), QStringList{message});
    QCOMPARE(fieldText(s, "Text1"), QStringLiteral("nelly"));

    if (screen == ScreenId::DELETE_FORM) {
        boxes.clear();
        boxes.answer({MessageBoxes::kYes});
        click(s, "REMOVE");
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("Are You Sure To remove This Record"),
                                             QStringLiteral("1"), doneMessage(Write::Delete)}));
        const auto rows = readBook(app.bookPath()).rows;
        QCOMPARE(describe(rows), describe({tb::sampleRecord("alice", "a"), tb::sampleRecord("zed", "z")}));
    }
    QVERIFY(boxes.problems().isEmpty());
}

void tst_ScreenInput::nameWithoutValueIsReportedOnOpening_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::newRow("search screen") << ScreenId::SEARCH_FORM;
    QTest::newRow("deletion screen") << ScreenId::DELETE_FORM;
}

void tst_ScreenInput::nameWithoutValueIsReportedOnOpening() {
    QFETCH(ScreenId, screen);
    BoxAnswers boxes;
    AppUnderTest app;
    tb::Row nameless = tb::rowOf(tb::sampleRecord("x", "n"));
    nameless[0].reset();
    storeRows(app, {tb::rowOf(tb::sampleRecord("alice", "a")), nameless});
    QVERIFY(!app.open(screen));
    const BoxRequest* report = reportNaming(boxes, app.bookPath());
    QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(report->text.contains(QLatin1String("null")), qPrintable(report->text));
    QVERIFY(app.screen(ScreenId::MENU_FORM));
}

void tst_ScreenInput::lookUpTextReachesOnlyItsOwnRows_data() {
    QTest::addColumn<bool>("fromWalk");  // the name arrives through the opening walk, or is pasted
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stored");  // a row of exactly that name exists
    const QString texts[] = {QStringLiteral("x' OR '1'='1"),
                             QStringLiteral("' OR ''='"),
                             QStringLiteral("%"),
                             QStringLiteral("_"),
                             QStringLiteral("'; DELETE FROM CLIENT_RECORDS; --"),
                             QStringLiteral("alice\t"),
                             QStringLiteral("\u05e9\u05dc\u05d5\u05dd")};
    for (const auto& t : texts) {
        const QByteArray label = t.toUtf8().replace('\t', "\\t");
        QTest::addRow("opening walk, %s", label.constData()) << true << t << true;
        QTest::addRow("pasted, stored, %s", label.constData()) << false << t << true;
        QTest::addRow("pasted, not stored, %s", label.constData()) << false << t << false;
    }
}

// On the deletion screen, REMOVE with a hostile name in the look-up field deletes the first row of
// exactly that name and nothing else, or nothing at all.
void tst_ScreenInput::lookUpTextReachesOnlyItsOwnRows() {
    QFETCH(bool, fromWalk);
    QFETCH(QString, text);
    QFETCH(bool, stored);
    BoxAnswers boxes;
    AppUnderTest app;
    std::vector<tb::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(tb::rowOf(r));
    const std::string name = text.toStdString();
    if (stored) {
        rows.push_back(tb::rowOf(tb::sampleRecord(name, "first")));
        rows.push_back(tb::rowOf(tb::sampleRecord("bob", "b")));
        rows.push_back(tb::rowOf(tb::sampleRecord(name, "second")));
    }
    if (!fromWalk) rows.push_back(tb::rowOf(tb::sampleRecord("zed", "z")));
    storeRows(app, rows);
    const auto before = readBook(app.bookPath()).rows;

    Screen* del = app.open(ScreenId::DELETE_FORM);
    QVERIFY(del);
    if (!fromWalk) {
        eraseField(del, "Text10");
        pasteInto(del, "Text10", text);
    }
    QCOMPARE(fieldText(del, "Text10"), text);

    boxes.answer({MessageBoxes::kYes});
    click(del, "REMOVE");
    auto expected = before;
    if (stored) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if ((*it)[Column::Name] == name) {
                expected.erase(it);
                break;
            }
        }
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("Are You Sure To remove This Record"),
                                             QStringLiteral("1"), doneMessage(Write::Delete)}));
    } else {
        // Nothing to delete: the count says 0 and the delete itself is reported as impossible.
        QCOMPARE(boxes.shown().size(), 3);
        QCOMPARE(boxes.texts().mid(0, 2),
                 (QStringList{QStringLiteral("Are You Sure To remove This Record"), QStringLiteral("0")}));
        QCOMPARE(boxes.shown().at(2).title, QLatin1String(MessageBoxes::kApplicationTitle));
    }
    QCOMPARE(describe(readBook(app.bookPath()).rows), describe(expected));

    // The search screen, given the same text, shows that row's own values or says there is none.
    click(del, "BACK");
    Screen* search = app.open(ScreenId::SEARCH_FORM);
    QVERIFY(search);
    eraseField(search, "Text10");
    pasteInto(search, "Text10", text);
    boxes.clear();
    click(search, "SEARCH");
    if (stored) {
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(fieldText(search, "Text1"), text);
        QCOMPARE(fieldText(search, "Text2"), QStringLiteral("second address"));
    } else {
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("there is no record related to this name")});
    }
}

QTEST_MAIN(tst_ScreenInput)
#include "tst_ScreenInput.moc"
