// The record screens driven as an operator drives them: clicks, keys and focus moves on real widgets,
// every box answered, and afterwards what the operator sees and what the book holds.

#include <QComboBox>
#include <QTest>

#include "tests/kit/App.h"
#include "tests/kit/Boxes.h"

namespace {

using Kind = kit::Boxes::Kind;
constexpr ScreenId kAdd = ScreenId::ADD_FORM, kUpdate = ScreenId::UPDATE_FORM,
                   kSearch = ScreenId::SEARCH_FORM, kDelete = ScreenId::DELETE_FORM;

QString ok(const QString& title, const QString& text, const char* icon = "-") {
    return QStringList{title, text, "OK", icon}.join('|');
}
// A box of the application's own title.
QString said(const QString& text) {
    return ok("KORVALE", text);
}
QString check(const QString& text) {
    return ok("On-Line Korvale", text);
}
QString noneNamed(const QString& name) {
    return said("There is no current record: the book holds no record named \"" + name + "\"");
}
const QString kSureAdd = "CONFIRMATION|Are you sure that you want to be add this record|YN|i";
const QString kSaved = ok("INFORMATION", "Record Is Saved", "i");
const QString kMore = "KORVALE|do you want to add more record|YN|?";
const QString kDate = said("A VALID DATE MUST BE GIVEN (EX. '23/07/87')");
const QString kNoRecord = said("there is no record related to this name");
const QString kRefresh = said("FORM IS REFRESH");
const QString kSureUpdate = "On-Line Korvale|Are You Sure To update This Record|YN|i";
const QString kUpdated = ok("On-Line Korvale", "Record has been updated", "i");
const QString kSureRemove = "On-Line Korvale|Are You Sure To remove This Record|YN|i";
const QString kDeleted = ok("On-Line Korvale", "Record has been deleted", "i");
const QString kName = "customer name cannot be left empty",
              kAddress = "customer address cannot be left empty",
              kDob = "customer date of birth cannot be left empty",
              kCategory = "category cannot be left empty";
const QStringList kSame{"<the rows before>"};

const QString ann = kit::row("ann lee", "a"), bob = kit::row("bob", "b"), bob2 = kit::row("bob", "c");
// Every required field filled, so that moving about runs no check.
const QString kFilled = "Text1=a; Text2=b; Text4=1-1-2000; Combo1=C; ";

// One scenario: the book before, the operator's script with the answers to the questions, and then the
// boxes seen, what the screen shows and the rows of the book. In `shown`, "@NAME" holds the focus,
// "NAME=TEXT" shows TEXT, "#ROW" is what the nine fields show, "Combo1:A|B" the entries the category box
// offers.
struct Scenario {
    ScreenId screen;
    QStringList before;
    QString script, answers;
    Kind kind;
    QStringList boxes;
    QString shown;
    QStringList after;
};

}  // namespace

Q_DECLARE_METATYPE(Scenario)

class tst_Screens : public QObject {
    Q_OBJECT
private slots:

    void scenarios_data() {
        QTest::addColumn<Scenario>("s");
        const auto row = [](const char* name, ScreenId screen, const QStringList& before,
                            const QString& script, const QString& answers, const QStringList& boxes,
                            const QString& shown, const QStringList& after, Kind kind = Kind::Answered) {
            QTest::newRow(name) << Scenario{screen, before, script, answers, kind, boxes, shown, after};
        };
        row("add: a typed contact is stored as the rules let it in", kAdd, {},
            "click Text1; type John Smith; tab; type 1 High St; tab; type js@x.io; click Text4; "
            "type {HOME}{SHIFT+END}2x3-07-1987; click Combo1; type friend; click Text5; type 0161 555; tab; "
            "type 02-2; tab; type +44 7700; click Text8; type likes tea; click SUBMIT",
            "YN", {kSureAdd, kSaved, kMore}, "Text1=john smith",
            {"john smith|1 High St|js@x.io|23-07-1987|0161555|02-2|447700|likes tea|friend"});
        row("add: No stores nothing, and Yes to more empties all nine", kAdd, {},
            "Text1=ann; Text8=x; Combo1=CLIENT; click SUBMIT", "NY", {kSureAdd, kMore},
            "Text1=, Text4=, Text8=, Combo1=", {});
        row("add: No to more keeps the fields; the hint is stored as the date", kAdd, {},
            "Text1=ann; click SUBMIT", "YN", {kSureAdd, kSaved, kMore}, "Text1=ann, Text4=dd-mm-yyyy",
            {"ann|||dd-mm-yyyy|||||"});
        row("add: REFRESH empties the texts and keeps the category", kAdd, {},
            "Text1=ann; Text4=1-1-2000; Combo1=FRIEND; click REFRESH", "", {},
            "Text1=, Text4=, Combo1=FRIEND", {});
        row("add: Enter in a field starts nothing", kAdd, {}, "click Text1; type ann{ENTER}", "", {},
            "Text1=ann, @Text1", {});
        row("add: a click into the e-mail walks back to the empty name", kAdd, {}, "click Text3", "",
            {check(kAddress), check(kName)}, "@Text1", {});
        row("add: Tab from the e-mail over the hint brings the date message only", kAdd, {},
            "Text1=a; Text2=b; click Text3; tab", "", {kDate}, "Text4=, @Text4", {});
        row("add, real boxes: the home phone on a fresh screen walks from the date to the name", kAdd, {},
            "click Text5", "", {kDate, check(kAddress), check(kName)}, "Text4=, @Text1", {}, Kind::Real);
        row("add, real boxes: the home phone with the date emptied walks back twice", kAdd, {},
            "Text4=; click Text5", "",
            {check(kDob), check(kAddress), check(kName), kDate, check(kAddress), check(kName)},
            "Text4=, @Text1", {}, Kind::Real);

        row("update: opens with the focus on the category, which offers three", kUpdate, {bob}, "", "", {},
            "@Combo1, Text1=, Combo1:CLIENT|RELATIVE|FRIEND", kSame);
        row("update: OK shows the first row of the name", kUpdate, {bob, ann, bob2}, "Text10=bob; click OK",
            "", {}, "#" + bob, kSame);
        row("update: OK without a row of the name keeps the fields", kUpdate, {ann},
            "Text1=kept; Text10=cy; click OK", "", {said("There is no record related to this name")},
            "Text1=kept", kSame);
        row("update: a null remark stops the copy after the category", kUpdate,
            {"dee|d st|d@m|1-1-2000|d1|d2|d3|~|FRIEND"}, "Text8=old; Text10=dee; click OK", "",
            {said("There is no record related to this name")}, "Text7=d3, Combo1=FRIEND, Text8=old", kSame);
        row("update: UPDATE writes the fields into the row the look-up field names now", kUpdate, {ann, bob},
            "Text10=ann lee; click OK; Text10=bob; click UPDATE", "Y", {kSureUpdate, kUpdated}, "",
            {ann, ann});
        row("update: a click again once the date reads goes through", kUpdate, {bob},
            "Text10=bob; click Text4; type 31-02-1987; click UPDATE; type 23-07-1987; click UPDATE", "N",
            {kDate, kSureUpdate}, "", kSame);
        row("update: No changes nothing", kUpdate, {bob}, "Text10=bob; click OK; Text2=new; click UPDATE",
            "N", {kSureUpdate}, "", kSame);
        row("update: a renamed row is not found by the next UPDATE", kUpdate, {bob},
            "Text10=bob; click OK; Text1=rob; click UPDATE; click UPDATE", "YY",
            {kSureUpdate, kUpdated, kSureUpdate, noneNamed("bob")}, "", {kit::row("rob", "b")});
        row("update: REFERSH empties the nine fields and keeps the look-up", kUpdate, {bob},
            "Text10=bob; click OK; click REFERSH", "", {}, "#||||||||, Text10=bob", kSame);
        row("update, real boxes: every exit from an empty date is checked", kUpdate, {},
            "click Text4; click Text2; click Text2", "", {kDate, kDate}, "@Text4", kSame, Kind::Real);
        row("update: a click on UPDATE that leaves an unreadable date is lost", kUpdate, {bob},
            "Text10=bob; Text1=kept; click Text4; type 31-02-1987; click UPDATE", "", {kDate},
            "Text4=, Text1=kept, @Text4", kSame);

        row("search: opens on the name of the last stored row", kSearch, {bob, ann}, "", "", {},
            "Text10=ann lee, @BACK", kSame);
        row("search: a leading byte-order mark is kept", kSearch, {kit::row("bom", "\uFEFFx")},
            "click SEARCH", "", {}, "#" + kit::row("bom", "\uFEFFx"), kSame);
        row("search: SEARCH shows the first row of the name", kSearch, {bob, bob2, ann},
            "Text10=bob; click SEARCH", "", {}, "#" + bob, kSame);
        row("search: a name of no row", kSearch, {bob}, "Text10=cy; click SEARCH", "", {kNoRecord},
            "Text1=", kSame);
        row("search: bytes that are not text are no record", kSearch,
            {"SQL INSERT INTO CLIENT_RECORDS VALUES ('x', X'FF', '', '', '', '', '', '', '')"},
            "click SEARCH", "", {kNoRecord}, "Text10=x", kSame);
        row("search: REFRESH empties every box, then says so", kSearch, {bob}, "click SEARCH; click REFRESH",
            "", {kRefresh}, "#||||||||, Text10=", kSame);
        row("search: an empty book leaves the look-up field empty", kSearch, {}, "", "", {},
            "Text10=", kSame);

        row("delete: REMOVE at once deletes the first row of the last name", kDelete, {bob, ann, bob2},
            "click REMOVE", "Y", {kSureRemove, said("1"), kDeleted}, "", {ann, bob2});
        row("delete: opens on the name of the last stored row", kDelete, {bob, ann}, "", "", {},
            "Text10=ann lee, @BACK", kSame);
        row("delete: No still shows the count", kDelete, {bob}, "click REMOVE", "N", {kSureRemove, said("1")},
            "", kSame);
        row("delete: a name of no row counts 0 and is reported on Yes", kDelete, {bob},
            "Text10=cy; click REMOVE", "Y", {kSureRemove, said("0"), noneNamed("cy")}, "", kSame);
        row("delete: the name typed now goes, not the record on show", kDelete, {ann, bob},
            "Text10=ann lee; click OK; Text10=bob; click REMOVE", "Y", {kSureRemove, said("1"), kDeleted},
            "#" + ann, {ann});
        row("delete: two rows of a name take two REMOVEs", kDelete, {ann, bob, bob2},
            "click REMOVE; click REMOVE", "YY",
            {kSureRemove, said("1"), kDeleted, kSureRemove, said("1"), kDeleted}, "", {ann});
        row("delete: OK after the delete finds nothing and keeps the boxes", kDelete, {bob},
            "click OK; click REMOVE; click OK", "Y", {kSureRemove, said("1"), kDeleted, kNoRecord}, "#" + bob,
            {});
        row("delete: a row without values goes like any other", kDelete, {"cy|~|~|~|~|~|~|~|~"},
            "click REMOVE", "Y", {kSureRemove, said("1"), kDeleted}, "", {});
        row("delete: REMOVE after REFRESH finds no empty name", kDelete, {bob}, "click REFRESH; click REMOVE",
            "Y", {kRefresh, kSureRemove, said("0"), noneNamed("")}, "Text10=", kSame);

        // Each required check alone, all other required fields filled.
        const QString dob = "date of birth cannot be left empty";
        for (ScreenId s : {kAdd, kUpdate}) {
            const std::string at = s == kAdd ? "add: " : "update: ";
            const auto checkRow = [&](const std::string& name, const QString& script, const QString& message,
                                      const QString& focus) {
                row((at + name).c_str(), s, {}, kFilled + script, "",
                    message.isEmpty() ? QStringList{} : QStringList{check(message)}, "@" + focus, {});
            };
            checkRow("the address tests the name", "Text1=; click Text2", kName, "Text1");
            checkRow("the e-mail tests the address", "Text2=; click Text3", kAddress, "Text2");
            checkRow("the work phone tests the date", "Text4=; click Text6", dob, "Text4");
            checkRow("the cell tests the date", "Text4=; click Text7", kDob, "Text4");
            checkRow("the remarks test the category", "Combo1=; click Text8", kCategory, "Combo1");
            checkRow("Tab from an empty name", "Text1=; click Text1; tab", kName, "Text1");
            checkRow("a name of one space is not empty", "Text1= ; click Text2", "", "Text2");
            checkRow("the e-mail never tests the name", "Text1=; click Text3", "", "Text3");
            checkRow("a category of its own is no empty one", "Combo1=VIP; click Text8", "", "Text8");
            // The key rules, one row for each field that has one, and one for a field without: a backspace,
            // the characters either side of the ones taken, digits of another script, a sign whose small
            // form is a Latin letter (KELVIN SIGN).
            const auto keys = [&](const char* field, const QString& typed, const QString& kept) {
                row((at + "keys into " + field).c_str(), s, {},
                    kFilled + "click " + field + "; type {HOME}{SHIFT+END}{BS}" + typed, "", {},
                    QStringLiteral("%1=%2").arg(field, kept), {});
            };
            for (const char* field : {"Text4", "Text5", "Text6", "Text7"})
                keys(field, "+4 (1)/2-39{BS}:.x; compose ²٣", "412-3");
            keys("Text1", "O'Neil Smith-2@[`z{BS}; compose Xé\u212A; type {CTRL+V}", "oneil smithxk");
            keys("Text2", "O'Neil St. #4; compose é", "O'Neil St. #4é");
        }
        row("add: the date field tests the address", kAdd, {}, kFilled + "Text2=; click Text4", "",
            {check(kAddress)}, "@Text2", {});
        row("add: the home phone tests the date, then reads it", kAdd, {}, kFilled + "Text4=; click Text5",
            "", {check(kDob), kDate}, "@Text4", {});
        row("add: the home phone passes a readable date", kAdd, {}, kFilled + "Text4=29-02-1988; click Text5",
            "", {}, "@Text5", {});
        row("add: the hint is no empty date to the work phone", kAdd, {}, "Text1=a; Text2=b; click Text6", "",
            {}, "@Text6", {});
        row("add: Delete deletes in a field with a key rule", kAdd, {}, "click Text1; type ab{HOME}{DEL}", "",
            {}, "Text1=b", {});
        row("update: the home phone tests the date only", kUpdate, {}, kFilled + "Text4=; click Text5", "",
            {check(kDob)}, "@Text4", {});
        row("update: the date field is entered without a check", kUpdate, {}, kFilled + "Text2=; click Text4",
            "", {}, "@Text4", {});
        row("update: Shift+Tab into the e-mail", kUpdate, {}, kFilled + "Text2=; click Text5; backtab", "",
            {check(kAddress)}, "@Text2", {});
        row("update: leaving a date with slashes passes", kUpdate, {},
            kFilled + "Text4=23/07/87; click Text4; click Text3", "", {}, "@Text3", {});
        for (const auto& [s, name] : {std::pair{kUpdate, "update"}, {kSearch, "search"}, {kDelete, "delete"}})
            row((std::string(name) + ": keys into the look-up field").c_str(), s, {},
                "click Text10; type Bo B1; compose é", "", {}, "Text10=bo b", kSame);
    }

    void scenarios() {
        QFETCH(Scenario, s);
        kit::TempBook book;
        for (const QString& row : s.before)
            row.startsWith("SQL ") ? book.exec(qPrintable(row.mid(4))) : book.add({row});
        const QStringList rowsBefore = book.rows();
        kit::App app(book);
        QWidget* window = app.open(s.screen);
        QVERIFY(window);
        kit::Boxes seen(s.kind, s.answers);
        QVERIFY(kit::play(window, s.script));
        if (s.kind == Kind::Real) {
            QTRY_COMPARE(seen.seen, s.boxes);
            QTest::qWait(100);
        }
        QCOMPARE(seen.seen, s.boxes);
        QCOMPARE(seen.problems, QStringList());
        for (const QString& expect : s.shown.split(", ", Qt::SkipEmptyParts)) {
            if (expect.startsWith("Combo1:")) {
                const auto* box = window->findChild<QComboBox*>();
                QStringList offered;
                for (int i = 0; i < box->count(); ++i) offered << box->itemText(i);
                QCOMPARE(offered.join('|'), expect.mid(7));
            } else if (expect.startsWith('@')) {
                QCOMPARE(kit::focusName(), expect.mid(1));
            } else if (expect.startsWith('#')) {
                QCOMPARE(kit::shownRow(window), expect.mid(1));
            } else {
                const qsizetype eq = expect.indexOf('=');
                QCOMPARE(kit::textOf(window, expect.left(eq)), expect.mid(eq + 1));
            }
        }
        QCOMPARE(book.rows(), s.after == kSame ? rowsBefore : s.after);
    }
};

QTEST_MAIN(tst_Screens)
#include "tst_Screens.moc"
