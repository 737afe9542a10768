#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "tests/gui/ScreenDriver.h"

Q_DECLARE_METATYPE(ScreenId)

namespace {

const QString kTitle = QStringLiteral("On-Line Korvale");
const QString kName = QStringLiteral("customer name cannot be left empty");
const QString kAddress = QStringLiteral("customer address cannot be left empty");
const QString kCustomerDob = QStringLiteral("customer date of birth cannot be left empty");
const QString kDob = QStringLiteral("date of birth cannot be left empty");
const QString kCategory = QStringLiteral("category cannot be left empty");

QString check(const QString& message) {
    return face(kTitle, message);
}

// Every field of the addition or updation screen holding a value no check objects to.
void fillAll(ScreenDriver& s) {
    s.place(QStringLiteral("Text1"), QStringLiteral("ann lee"));
    s.place(QStringLiteral("Text2"), QStringLiteral("1 high street"));
    s.place(QStringLiteral("Text3"), QStringLiteral("ann@mail"));
    s.place(QStringLiteral("Text4"), QStringLiteral("23-07-1987"));
    s.place(QStringLiteral("Text5"), QStringLiteral("0123"));
    s.place(QStringLiteral("Text6"), QStringLiteral("0456"));
    s.place(QStringLiteral("Text7"), QStringLiteral("0789"));
    s.place(QStringLiteral("Text8"), QStringLiteral("likes tea"));
    s.place(QStringLiteral("Combo1"), QStringLiteral("CLIENT"));
}

// The control the Tab key comes from, and the one Shift+Tab comes from, for each checked field.
QString before(ScreenId id, const QString& field) {
    const QStringList order =
        id == ScreenId::ADD_FORM
            ? QStringList{"Text1", "Text2", "Text3", "Text5", "Text6", "Text7", "Text4", "Text8", "Combo1"}
            : QStringList{"Text1", "Text2", "Text3", "Text5", "Text6", "Text7", "Text4", "Text8", "BACK"};
    return order.at(order.indexOf(field) - 1);
}
QString after(ScreenId id, const QString& field) {
    const QStringList order =
        id == ScreenId::ADD_FORM
            ? QStringList{"Text1", "Text2", "Text3", "Text5", "Text6", "Text7", "Text4", "Text8", "Combo1"}
            : QStringList{"Text1", "Text2", "Text3", "Text5", "Text6", "Text7", "Text4", "Text8", "BACK"};
    return order.at(order.indexOf(field) + 1);
}

// Where the operator stands before the move under test. Buttons are not clicked (a click would run
// them); the focus is put there as a label's shortcut would.
void standOn(ScreenDriver& s, const QString& name) {
    if (name == QLatin1String("BACK"))
        s.control(name)->setFocus(Qt::ShortcutFocusReason);
    else
        s.click(name);
}

void move(ScreenDriver& s, const QString& how, const QString& into) {
    if (how == QLatin1String("click"))
        s.click(into);
    else if (how == QLatin1String("Tab"))
        ScreenDriver::tab();
    else
        ScreenDriver::backtab();
}

}  // namespace

// The required-field checks and the date check: which boxes a move between fields brings, in which
// order, and where the focus ends.
class tst_FocusChecks : public QObject {
    Q_OBJECT
private slots:
    void emptyRequiredField_data();
    void emptyRequiredField();
    void filledFieldsLetTheOperatorThrough_data();
    void filledFieldsLetTheOperatorThrough();
    void emailWithNameAndAddressEmptyWalksBackToName_data();
    void emailWithNameAndAddressEmptyWalksBackToName();
    void tabFromEmailWithTheHintInTheDate_data();
    void tabFromEmailWithTheHintInTheDate();
    void dateCheck_data();
    void dateCheck();
    void updationChecksEveryExitFromTheDate();
};

void tst_FocusChecks::emptyRequiredField_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("emptied");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("focus");

    struct Check {
        ScreenId screen;
        const char* entered;
        const char* tested;
        QStringList boxes;
    };
    const auto add = ScreenId::ADD_FORM;
    const auto upd = ScreenId::UPDATE_FORM;
    const Check checks[] = {
        {add, "Text2", "Text1", {check(kName)}},
        {add, "Text3", "Text2", {check(kAddress)}},
        {add, "Text4", "Text2", {check(kAddress)}},
        // The home telephone goes on to the date check, which an empty date fails too.
        {add, "Text5", "Text4", {check(kCustomerDob), dateMessage()}},
        {add, "Text6", "Text4", {check(kDob)}},
        {add, "Text7", "Text4", {check(kCustomerDob)}},
        {add, "Text8", "Combo1", {check(kCategory)}},
        {upd, "Text2", "Text1", {check(kName)}},
        {upd, "Text3", "Text2", {check(kAddress)}},
        {upd, "Text5", "Text4", {check(kCustomerDob)}},
        {upd, "Text6", "Text4", {check(kDob)}},
        {upd, "Text7", "Text4", {check(kCustomerDob)}},
        {upd, "Text8", "Combo1", {check(kCategory)}},
    };
    for (const Check& c : checks) {
        for (const char* how : {"click", "Tab"}) {
            const QString row = QStringLiteral("%1 %2 by %3, %4 empty")
                                    .arg(c.screen == add ? "addition" : "updation", c.entered, how, c.tested);
            QTest::newRow(qPrintable(row)) << c.screen << c.entered << how << c.tested << c.boxes << c.tested;
        }
    }
    QTest::newRow("addition Text7 by Shift+Tab from the emptied date")
        << add << "Text7"
        << "Shift+Tab"
        << "Text4" << QStringList{check(kCustomerDob)} << "Text4";
    QTest::newRow("addition Text4 by Shift+Tab, Text2 empty")
        << add << "Text4"
        << "Shift+Tab"
        << "Text2" << QStringList{check(kAddress)} << "Text2";
    QTest::newRow("addition Text8 by Shift+Tab from the emptied category")
        << add << "Text8"
        << "Shift+Tab"
        << "Combo1" << QStringList{check(kCategory)} << "Combo1";
    QTest::newRow("updation Text3 by Shift+Tab, Text2 empty")
        << upd << "Text3"
        << "Shift+Tab"
        << "Text2" << QStringList{check(kAddress)} << "Text2";
    // Leaving the emptied date runs its own check first; the telephone's check never starts.
    QTest::newRow("updation Text7 by Shift+Tab from the emptied date")
        << upd << "Text7"
        << "Shift+Tab"
        << "Text4" << QStringList{dateMessage()} << "Text4";
}

void tst_FocusChecks::emptyRequiredField() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, entered);
    QFETCH(QString, how);
    QFETCH(QString, emptied);
    QFETCH(QStringList, boxes);
    QFETCH(QString, focus);
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, screen);
    QVERIFY(s.isOpen());
    fillAll(s);
    if (how == QLatin1String("Tab")) standOn(s, before(screen, entered));
    if (how == QLatin1String("Shift+Tab")) standOn(s, after(screen, entered));
    QCOMPARE(facesOf(answers), QStringList());
    s.place(emptied, QString());

    move(s, how, entered);

    QCOMPARE(facesOf(answers), boxes);
    QCOMPARE(ScreenDriver::focusName(), focus);
    QCOMPARE(s.text(emptied), QString());
    QCOMPARE(QApplication::activeWindow(), s.screen());
    QVERIFY(answers.problems().isEmpty());
}

void tst_FocusChecks::filledFieldsLetTheOperatorThrough_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    const auto add = ScreenId::ADD_FORM;
    const auto upd = ScreenId::UPDATE_FORM;
    for (const char* f : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"}) {
        QTest::newRow(qPrintable(QStringLiteral("addition %1, all filled").arg(f))) << add << f << ""
                                                                                    << "";
        QTest::newRow(qPrintable(QStringLiteral("updation %1, all filled").arg(f))) << upd << f << ""
                                                                                    << "";
    }
    QTest::newRow("addition: a name of one space is not empty") << add << "Text2"
                                                                << "Text1"
                                                                << " ";
    QTest::newRow("updation: an address of spaces is not empty") << upd << "Text3"
                                                                 << "Text2"
                                                                 << "   ";
    QTest::newRow("addition: the date hint is not empty for the work phone") << add << "Text6"
                                                                             << "Text4"
                                                                             << "dd-mm-yyyy";
    QTest::newRow("addition: the date hint is not empty for the cell") << add << "Text7"
                                                                       << "Text4"
                                                                       << "dd-mm-yyyy";
    QTest::newRow("addition: work phone runs no date check") << add << "Text6"
                                                             << "Text4"
                                                             << "31-02-1987";
    QTest::newRow("addition: the date tests the address, not the e-mail") << add << "Text4"
                                                                          << "Text3"
                                                                          << "";
    QTest::newRow("addition: e-mail never tests the name") << add << "Text3"
                                                           << "Text1"
                                                           << "";
    QTest::newRow("addition: telephones never test the name") << add << "Text5"
                                                              << "Text1"
                                                              << "";
    QTest::newRow("updation: the date is entered without a check") << upd << "Text4"
                                                                   << "Text2"
                                                                   << "";
    QTest::newRow("updation: telephones never test the name") << upd << "Text7"
                                                              << "Text1"
                                                              << "";
    QTest::newRow("updation: a category not in the list is not empty") << upd << "Text8"
                                                                       << "Combo1"
                                                                       << "PARTNER";
}

void tst_FocusChecks::filledFieldsLetTheOperatorThrough() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, entered);
    QFETCH(QString, field);
    QFETCH(QString, value);
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, screen);
    fillAll(s);
    if (!field.isEmpty()) s.place(field, value);

    s.click(entered);

    QCOMPARE(facesOf(answers), QStringList());
    QCOMPARE(ScreenDriver::focusName(), entered);
}

void tst_FocusChecks::emailWithNameAndAddressEmptyWalksBackToName_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("realBoxes");
    for (const char* how : {"click", "Tab", "Shift+Tab"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, answered in place").arg(how))) << how << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, real modal boxes").arg(how))) << how << true;
    }
}

// Each check's focus move makes the tested field gain the focus, so its own check runs in turn.
void tst_FocusChecks::emailWithNameAndAddressEmptyWalksBackToName() {
    QFETCH(QString, how);
    QFETCH(bool, realBoxes);
    std::unique_ptr<BoxAnswers> answers = realBoxes ? nullptr : std::make_unique<BoxAnswers>();
    AppUnderTest app;
    std::unique_ptr<RealBoxFaces> real = realBoxes ? std::make_unique<RealBoxFaces>() : nullptr;
    ScreenDriver s(app, ScreenId::ADD_FORM);
    QVERIFY(s.isOpen());
    if (how == QLatin1String("Tab")) {
        fillAll(s);
        s.click(QStringLiteral("Text2"));
    } else if (how == QLatin1String("Shift+Tab")) {
        fillAll(s);
        s.click(QStringLiteral("Text5"));
    }
    s.place(QStringLiteral("Text1"), QString());
    s.place(QStringLiteral("Text2"), QString());

    move(s, how, QStringLiteral("Text3"));

    const QStringList shown = realBoxes ? real->faces() : facesOf(*answers);
    QCOMPARE(shown, (QStringList{check(kAddress), check(kName)}));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text1"));
    QCOMPARE(QApplication::activeWindow(), s.screen());
    QCOMPARE(s.texts({"Text1", "Text2"}), (QStringList{"", ""}));
    // The operator types on where the focus was left.
    ScreenDriver::typeHere(QStringLiteral("Ann"));
    QCOMPARE(s.text(QStringLiteral("Text1")), QStringLiteral("ann"));
}

void tst_FocusChecks::tabFromEmailWithTheHintInTheDate_data() {
    QTest::addColumn<bool>("realBoxes");
    QTest::newRow("answered in place") << false;
    QTest::newRow("real modal boxes") << true;
}

void tst_FocusChecks::tabFromEmailWithTheHintInTheDate() {
    QFETCH(bool, realBoxes);
    std::unique_ptr<BoxAnswers> answers = realBoxes ? nullptr : std::make_unique<BoxAnswers>();
    AppUnderTest app;
    std::unique_ptr<RealBoxFaces> real = realBoxes ? std::make_unique<RealBoxFaces>() : nullptr;
    const auto shown = [&] { return realBoxes ? real->faces() : facesOf(*answers); };
    ScreenDriver s(app, ScreenId::ADD_FORM);
    QVERIFY(s.isOpen());

    s.click(QStringLiteral("Text1"));
    ScreenDriver::typeHere(QStringLiteral("Ann Lee"));
    ScreenDriver::tab();
    ScreenDriver::typeHere(QStringLiteral("1 High Street"));
    ScreenDriver::tab();
    ScreenDriver::typeHere(QStringLiteral("ann@mail"));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text3"));
    QCOMPARE(shown(), QStringList());

    // Tab leads to the home telephone, whose check finds the hint: not empty, but no date.
    ScreenDriver::tab();
    QCOMPARE(shown(), QStringList{dateMessage()});
    QCOMPARE(s.text(QStringLiteral("Text4")), QString());
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));
    QCOMPARE(QApplication::activeWindow(), s.screen());

    // From the date, Tab leads to the remarks, which test the category; the date is not checked again.
    ScreenDriver::typeHere(QStringLiteral("31-02-1987"));
    ScreenDriver::tab();
    QCOMPARE(shown(), (QStringList{dateMessage(), check(kCategory)}));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Combo1"));
    QCOMPARE(s.text(QStringLiteral("Text4")), QStringLiteral("31-02-1987"));
}

void tst_FocusChecks::dateCheck_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("focus");

    const auto add = ScreenId::ADD_FORM;
    const auto upd = ScreenId::UPDATE_FORM;
    const QStringList refused{dateMessage()};
    const QStringList none;
    // On the addition screen the check runs on entering the home telephone.
    QTest::newRow("addition, the hint") << add << "load"
                                        << "dd-mm-yyyy" << refused << ""
                                        << "Text4";
    QTest::newRow("addition, empty") << add << "typed"
                                     << "" << QStringList{check(kCustomerDob), dateMessage()} << ""
                                     << "Text4";
    QTest::newRow("addition, 31-02-1987") << add << "typed"
                                          << "31-02-1987" << refused << ""
                                          << "Text4";
    QTest::newRow("addition, 29-02-1987") << add << "typed"
                                          << "29-02-1987" << refused << ""
                                          << "Text4";
    QTest::newRow("addition, 32-01-1987") << add << "typed"
                                          << "32-01-1987" << refused << ""
                                          << "Text4";
    QTest::newRow("addition, digits alone") << add << "typed"
                                            << "23071987" << refused << ""
                                            << "Text4";
    QTest::newRow("addition, 29-02-1988") << add << "typed"
                                          << "29-02-1988" << none << "29-02-1988"
                                          << "Text5";
    QTest::newRow("addition, 23-07-1987") << add << "typed"
                                          << "23-07-1987" << none << "23-07-1987"
                                          << "Text5";
    QTest::newRow("addition, two-digit year") << add << "typed"
                                              << "23-07-87" << none << "23-07-87"
                                              << "Text5";
    QTest::newRow("addition, in the future") << add << "typed"
                                             << "01-01-2099" << none << "01-01-2099"
                                             << "Text5";
    // On the updation screen it runs on leaving the date field (here by Tab, towards the remarks).
    QTest::newRow("updation, empty") << upd << "typed"
                                     << "" << refused << ""
                                     << "Text4";
    QTest::newRow("updation, 31-02-1987") << upd << "typed"
                                          << "31-02-1987" << refused << ""
                                          << "Text4";
    QTest::newRow("updation, 29-02-1988") << upd << "typed"
                                          << "29-02-1988" << none << "29-02-1988"
                                          << "Text8";
    QTest::newRow("updation, 23-07-1987") << upd << "typed"
                                          << "23-07-1987" << none << "23-07-1987"
                                          << "Text8";
    QTest::newRow("updation, 23/07/1987 from the book") << upd << "stored"
                                                        << "23/07/1987" << none << "23/07/1987"
                                                        << "Text8";
    QTest::newRow("updation, 23/07/87 from the book") << upd << "stored"
                                                      << "23/07/87" << none << "23/07/87"
                                                      << "Text8";
    QTest::newRow("updation, 23-07-1987 from the book") << upd << "stored"
                                                        << "23-07-1987" << none << "23-07-1987"
                                                        << "Text8";
    QTest::newRow("updation, the hint from the book") << upd << "stored"
                                                      << "dd-mm-yyyy" << refused << ""
                                                      << "Text4";
    QTest::newRow("updation, 31-02-1987 from the book") << upd << "stored"
                                                        << "31-02-1987" << refused << ""
                                                        << "Text4";
}

void tst_FocusChecks::dateCheck() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, source);
    QFETCH(QString, date);
    QFETCH(QStringList, boxes);
    QFETCH(QString, left);
    QFETCH(QString, focus);
    BoxAnswers answers;
    AppUnderTest app;
    if (source == QLatin1String("stored")) storeRows(app, {sampleRow(QStringLiteral("ann lee"), "a", date)});
    ScreenDriver s(app, screen);
    QVERIFY(s.isOpen());
    if (source == QLatin1String("stored")) {
        s.click(QStringLiteral("Text10"));
        ScreenDriver::typeHere(QStringLiteral("Ann Lee"));
        s.click(QStringLiteral("OK"));
        QCOMPARE(s.text(QStringLiteral("Text4")), date);
    } else {
        s.place(QStringLiteral("Text1"), QStringLiteral("ann lee"));
        s.place(QStringLiteral("Text2"), QStringLiteral("1 high street"));
        s.place(QStringLiteral("Combo1"), QStringLiteral("CLIENT"));
    }
    if (source == QLatin1String("typed")) {
        s.click(QStringLiteral("Text4"));
        s.wipe(QStringLiteral("Text4"));
        ScreenDriver::typeHere(date);
        QCOMPARE(s.text(QStringLiteral("Text4")), date);
    } else if (source == QLatin1String("stored")) {
        s.click(QStringLiteral("Text4"));
    }
    QCOMPARE(facesOf(answers), QStringList());

    if (screen == ScreenId::ADD_FORM)
        s.click(QStringLiteral("Text5"));
    else
        ScreenDriver::tab();

    QCOMPARE(facesOf(answers), boxes);
    QCOMPARE(s.text(QStringLiteral("Text4")), left);
    QCOMPARE(ScreenDriver::focusName(), focus);
}

// The operator cannot leave the updation screen's date field with an unreadable date: each exit is
// checked afresh, and a readable date lets the operator go on.
void tst_FocusChecks::updationChecksEveryExitFromTheDate() {
    BoxAnswers answers;
    AppUnderTest app;
    ScreenDriver s(app, ScreenId::UPDATE_FORM);
    QVERIFY(s.isOpen());
    s.place(QStringLiteral("Combo1"), QStringLiteral("CLIENT"));
    s.click(QStringLiteral("Text4"));

    ScreenDriver::tab();
    QCOMPARE(facesOf(answers), QStringList{dateMessage()});
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));
    ScreenDriver::backtab();
    QCOMPARE(facesOf(answers), (QStringList{dateMessage(), dateMessage()}));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));
    s.click(QStringLiteral("Text10"));
    QCOMPARE(facesOf(answers), (QStringList{dateMessage(), dateMessage(), dateMessage()}));
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));

    ScreenDriver::typeHere(QStringLiteral("23-07-1987"));
    s.click(QStringLiteral("Text10"));
    QCOMPARE(answers.shown().size(), 3);
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text10"));
}

QTEST_MAIN(tst_FocusChecks)
#include "tst_FocusChecks.moc"
