#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include "tests/gui/ScreenDriver.h"

Q_DECLARE_METATYPE(ScreenId)

namespace {

// A record whose required fields hold values no check objects to, so that the operator can move into
// any field of the addition or updation screen without a box.
void fillRequired(ScreenDriver& s) {
    s.place(QStringLiteral("Text1"), QStringLiteral("ann lee"));
    s.place(QStringLiteral("Text2"), QStringLiteral("1 high street"));
    s.place(QStringLiteral("Text4"), QStringLiteral("23-07-1987"));
    s.place(QStringLiteral("Combo1"), QStringLiteral("CLIENT"));
}

bool writes(ScreenId id) {
    return id == ScreenId::ADD_FORM || id == ScreenId::UPDATE_FORM;
}

// Puts the operator into an empty field: the field is emptied, then clicked into.
void enterEmpty(ScreenDriver& s, ScreenId id, const QString& field) {
    if (writes(id)) fillRequired(s);
    s.place(field, QString());
    s.click(field);
}

const QString kClipboard = QStringLiteral("Pasted 42-x");

}  // namespace

// What typed keys leave in the fields of the four record screens.
class tst_FieldFilters : public QObject {
    Q_OBJECT
private slots:
    void init();
    void typedKeys_data();
    void typedKeys();
    void enterStartsNothing_data();
    void enterStartsNothing();
    void composedCharacters_data();
    void composedCharacters();
    void programmaticPasteIsNotFiltered_data();
    void programmaticPasteIsNotFiltered();
};

void tst_FieldFilters::init() {
    QGuiApplication::clipboard()->setText(kClipboard);
}

void tst_FieldFilters::typedKeys_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");

    const auto add = ScreenId::ADD_FORM;
    const auto upd = ScreenId::UPDATE_FORM;
    const auto sea = ScreenId::SEARCH_FORM;
    const auto del = ScreenId::DELETE_FORM;

    // Names: small letters and spaces only.
    QTest::newRow("add name: capitals become small, space stays") << add << "Text1"
                                                                  << "John Smith"
                                                                  << "john smith";
    QTest::newRow("add name: apostrophe dropped") << add << "Text1"
                                                  << "O'Neil"
                                                  << "oneil";
    QTest::newRow("add name: digits, hyphen, full stop dropped") << add << "Text1"
                                                                 << "Mary-Jo 2nd."
                                                                 << "maryjo nd";
    QTest::newRow("add name: accented letter dropped") << add << "Text1"
                                                       << "Zo\u00EB M\u00FCller"
                                                       << "zo mller";
    QTest::newRow("add name: stops at 20, lower-cased characters too") << add << "Text1"
                                                                       << "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                       << "abcdefghijklmnopqrst";
    QTest::newRow("add name: backspace deletes") << add << "Text1"
                                                 << "Jonn{BS}{BS}hn"
                                                 << "john";
    QTest::newRow("add name: delete deletes") << add << "Text1"
                                              << "xann{HOME}{DEL}"
                                              << "ann";
    QTest::newRow("add name: enter inserts nothing") << add << "Text1"
                                                     << "ann{ENTER}{KPENTER}"
                                                     << "ann";
    QTest::newRow("add name: ctrl+v pastes nothing") << add << "Text1"
                                                     << "ann{CTRL+V}"
                                                     << "ann";
    QTest::newRow("add name: ctrl+x cuts nothing") << add << "Text1"
                                                   << "ann{HOME}{SHIFT+END}{CTRL+X}"
                                                   << "ann";
    QTest::newRow("add name: escape inserts nothing") << add << "Text1"
                                                      << "ann{ESC}"
                                                      << "ann";

    // Dates and telephone numbers: digits, "-" and backspace.
    QTest::newRow("add date: slashes dropped") << add << "Text4"
                                               << "23/07/1987"
                                               << "23071987";
    QTest::newRow("add date: hyphens stay") << add << "Text4"
                                            << "23-07-1987"
                                            << "23-07-1987";
    QTest::newRow("add date: delete still deletes") << add << "Text4"
                                                    << "23-07-1987{HOME}{DEL}"
                                                    << "3-07-1987";
    QTest::newRow("add date: backspace deletes") << add << "Text4"
                                                 << "23-07-19877{BS}"
                                                 << "23-07-1987";
    QTest::newRow("add date: letters, dots and spaces dropped") << add << "Text4"
                                                                << "23.Jul 87"
                                                                << "2387";
    QTest::newRow("add date: enter inserts nothing") << add << "Text4"
                                                     << "12{ENTER}{KPENTER}"
                                                     << "12";
    QTest::newRow("add date: ctrl+v pastes nothing") << add << "Text4"
                                                     << "12{CTRL+V}"
                                                     << "12";
    QTest::newRow("add home phone: plus and spaces dropped") << add << "Text5"
                                                             << "+44 20 7946 0958"
                                                             << "442079460958";
    QTest::newRow("add work phone: parentheses dropped, hyphen stays") << add << "Text6"
                                                                       << "(020) 7946-0958"
                                                                       << "0207946-0958";
    QTest::newRow("add cell: enter inserts nothing") << add << "Text7"
                                                     << "07700{ENTER}900"
                                                     << "07700900";
    QTest::newRow("add cell: ctrl+c and ctrl+v type nothing") << add << "Text7"
                                                              << "077{CTRL+C}{CTRL+V}"
                                                              << "077";

    // Fields without a rule take what is typed, within their length.
    QTest::newRow("add address takes anything") << add << "Text2"
                                                << "O'Neil 23/07 +44"
                                                << "O'Neil 23/07 +44";
    QTest::newRow("add address: ctrl+v pastes") << add << "Text2"
                                                << "at {CTRL+V}"
                                                << "at Pasted 42-x";
    QTest::newRow("add e-mail stops at 25") << add << "Text3"
                                            << "abcdefghijklmnopqrstuvwxyz@mail"
                                            << "abcdefghijklmnopqrstuvwxy";

    QTest::newRow("update name: capitals become small") << upd << "Text1"
                                                        << "John Smith"
                                                        << "john smith";
    QTest::newRow("update name: longer than 20") << upd << "Text1"
                                                 << "abcdefghijklmnopqrstuvwxyz"
                                                 << "abcdefghijklmnopqrstuvwxyz";
    QTest::newRow("update name: ctrl+v pastes nothing") << upd << "Text1"
                                                        << "ann{CTRL+V}"
                                                        << "ann";
    QTest::newRow("update date: slashes dropped") << upd << "Text4"
                                                  << "23/07/1987"
                                                  << "23071987";
    QTest::newRow("update date: delete still deletes") << upd << "Text4"
                                                       << "23-07-1987{HOME}{DEL}"
                                                       << "3-07-1987";
    QTest::newRow("update home phone: digits and hyphens only") << upd << "Text5"
                                                                << "+44 (20) 7946-0958"
                                                                << "44207946-0958";
    QTest::newRow("update work phone: backspace deletes") << upd << "Text6"
                                                          << "0207{BS}"
                                                          << "020";
    QTest::newRow("update cell: letters dropped") << upd << "Text7"
                                                  << "o77OO-9"
                                                  << "77-9";
    QTest::newRow("update look-up: O'Neil") << upd << "Text10"
                                            << "O'Neil"
                                            << "oneil";
    QTest::newRow("update look-up: backspace and enter") << upd << "Text10"
                                                         << "Annn{BS}{ENTER} Lee"
                                                         << "ann lee";
    QTest::newRow("update look-up: ctrl+v pastes nothing") << upd << "Text10"
                                                           << "ann{CTRL+V}"
                                                           << "ann";
    QTest::newRow("update e-mail has no limit") << upd << "Text3"
                                                << "abcdefghijklmnopqrstuvwxyz@mail"
                                                << "abcdefghijklmnopqrstuvwxyz@mail";

    QTest::newRow("search look-up: John Smith") << sea << "Text10"
                                                << "John Smith"
                                                << "john smith";
    QTest::newRow("search look-up: O'Neil") << sea << "Text10"
                                            << "O'Neil"
                                            << "oneil";
    QTest::newRow("search look-up: digits, delete") << sea << "Text10"
                                                    << "x2ann{HOME}{DEL}"
                                                    << "ann";
    QTest::newRow("search look-up: ctrl+v pastes nothing") << sea << "Text10"
                                                           << "ann{CTRL+V}"
                                                           << "ann";
    QTest::newRow("search display box takes anything") << sea << "Text4"
                                                       << "23/07/1987"
                                                       << "23/07/1987";

    QTest::newRow("delete look-up: John Smith") << del << "Text10"
                                                << "John Smith"
                                                << "john smith";
    QTest::newRow("delete look-up: O'Neil, backspace") << del << "Text10"
                                                       << "O'Neill{BS}"
                                                       << "oneil";
    QTest::newRow("delete look-up: ctrl+v pastes nothing") << del << "Text10"
                                                           << "ann{CTRL+V}"
                                                           << "ann";
    QTest::newRow("delete display box takes anything") << del << "Text1"
                                                       << "John O'Neil"
                                                       << "John O'Neil";
}

void tst_FieldFilters::typedKeys() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    BoxAnswers boxes;
    AppUnderTest app;
    ScreenDriver s(app, screen);
    QVERIFY(s.isOpen());
    enterEmpty(s, screen, field);
    QCOMPARE(ScreenDriver::focusName(), field);

    s.type(field, keys);

    QCOMPARE(s.text(field), shown);
    QCOMPARE(ScreenDriver::focusName(), field);
    QCOMPARE(facesOf(boxes), QStringList());
    QVERIFY(boxes.problems().isEmpty());
}

void tst_FieldFilters::enterStartsNothing_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("field");
    QTest::newRow("addition, name") << ScreenId::ADD_FORM << "Text1";
    QTest::newRow("addition, date of birth") << ScreenId::ADD_FORM << "Text4";
    QTest::newRow("addition, home phone") << ScreenId::ADD_FORM << "Text5";
    QTest::newRow("addition, work phone") << ScreenId::ADD_FORM << "Text6";
    QTest::newRow("addition, cell") << ScreenId::ADD_FORM << "Text7";
    QTest::newRow("updation, look-up") << ScreenId::UPDATE_FORM << "Text10";
    QTest::newRow("updation, name") << ScreenId::UPDATE_FORM << "Text1";
    QTest::newRow("updation, date of birth") << ScreenId::UPDATE_FORM << "Text4";
    QTest::newRow("updation, cell") << ScreenId::UPDATE_FORM << "Text7";
    QTest::newRow("search, look-up") << ScreenId::SEARCH_FORM << "Text10";
    QTest::newRow("deletion, look-up") << ScreenId::DELETE_FORM << "Text10";
}

// Enter in a filtered field: no character, no look-up, no record stored, no move of the focus.
void tst_FieldFilters::enterStartsNothing() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, field);
    BoxAnswers boxes;
    AppUnderTest app;
    storeRows(app, {sampleRow(QStringLiteral("ann lee"), QStringLiteral("a"))});
    ScreenDriver s(app, screen);
    QVERIFY(s.isOpen());
    if (writes(screen)) fillRequired(s);
    // The name of a stored row in the look-up field: a look-up would overwrite the boxes.
    if (screen != ScreenId::ADD_FORM) s.place(QStringLiteral("Text10"), QStringLiteral("ann lee"));
    s.click(field);
    s.type(field, QStringLiteral("{END}"));
    const QString before = s.text(field);
    const QStringList fields{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"};
    const QStringList fieldsBefore = s.texts(fields);

    s.type(field, QStringLiteral("{ENTER}{KPENTER}"));

    QCOMPARE(s.text(field), before);
    QCOMPARE(ScreenDriver::focusName(), field);
    QCOMPARE(s.texts(fields), fieldsBefore);
    QCOMPARE(facesOf(boxes), QStringList());
    QCOMPARE(bookRows(app), QStringList{sampleRow(QStringLiteral("ann lee"), QStringLiteral("a"))});
    QVERIFY(s.isOpen());
}

void tst_FieldFilters::composedCharacters_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("commits");
    QTest::addColumn<QString>("shown");
    QTest::newRow("add name: accents dropped, capitals made small")
        << ScreenId::ADD_FORM << "Text1" << QStringList{"\u00E9", "A", "Zo\u00EB", "o'n"} << "azoon";
    QTest::newRow("add date: only digits and hyphens")
        << ScreenId::ADD_FORM << "Text4" << QStringList{"1/2", "\u0663", "-3"} << "12-3";
    QTest::newRow("search look-up: an accented capital")
        << ScreenId::SEARCH_FORM << "Text10" << QStringList{"\u00C4", "B"} << "b";
    QTest::newRow("add address takes them")
        << ScreenId::ADD_FORM << "Text2" << QStringList{"\u00E9", "A"} << "\u00E9A";
}

// Dead keys and compose hand their character over without a key press; the same rules apply.
void tst_FieldFilters::composedCharacters() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, field);
    QFETCH(QStringList, commits);
    QFETCH(QString, shown);
    BoxAnswers boxes;
    AppUnderTest app;
    ScreenDriver s(app, screen);
    enterEmpty(s, screen, field);

    for (const QString& commit : commits) {
        QInputMethodEvent composed;
        composed.setCommitString(commit);
        QApplication::sendEvent(QApplication::focusWidget(), &composed);
    }

    QCOMPARE(s.text(field), shown);
    QCOMPARE(facesOf(boxes), QStringList());
}

void tst_FieldFilters::programmaticPasteIsNotFiltered_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("field");
    QTest::newRow("addition, name") << ScreenId::ADD_FORM << "Text1";
    QTest::newRow("addition, date of birth") << ScreenId::ADD_FORM << "Text4";
    QTest::newRow("updation, home phone") << ScreenId::UPDATE_FORM << "Text5";
    QTest::newRow("search, look-up") << ScreenId::SEARCH_FORM << "Text10";
}

// A paste that produces no character code (the context menu's, here through paste()) is not a
// keystroke: the rules never see it, unlike Ctrl+V typed on the keyboard.
void tst_FieldFilters::programmaticPasteIsNotFiltered() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, field);
    BoxAnswers boxes;
    AppUnderTest app;
    ScreenDriver s(app, screen);
    enterEmpty(s, screen, field);

    s.type(field, QStringLiteral("{CTRL+V}"));
    QCOMPARE(s.text(field), QString());
    s.edit(field)->paste();
    QCOMPARE(s.text(field), kClipboard);
    QCOMPARE(facesOf(boxes), QStringList());
}

QTEST_MAIN(tst_FieldFilters)
#include "tst_FieldFilters.moc"
