// The way through the application: entrance, splash, menu, the record screens and back, the end of a
// run, and the boxes themselves.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>

#include "app/ClickFrame.h"
#include "app/MessageBoxes.h"
#include "tests/kit/App.h"
#include "tests/kit/Boxes.h"

Q_DECLARE_METATYPE(ScreenId)

class tst_Shell : public QObject {
    Q_OBJECT
private slots:
    void entrance_data();
    void entrance();
    void splash_data();
    void splash();
    void menu_data();
    void menu();
    void backStartsAfresh();
    void missingBookBringsTheMenuBack();
    void boxWithoutAVisibleOwner();
    void facesHaveTheirStandIns();
};

void tst_Shell::entrance_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("then");  // the screen loaded afterwards, or "ended"
    QTest::newRow("Space on the first button") << "type  "
                                               << "ended";
    QTest::newRow("Return on the first button") << "type {ENTER}"
                                                << "ended";
    QTest::newRow("Tab, then Space") << "tab; type  "
                                     << "frmSplash";
    QTest::newRow("a click on NEXT") << "click NEXT"
                                     << "frmSplash";
}

void tst_Shell::entrance() {
    QFETCH(QString, script);
    QFETCH(QString, then);
    kit::TempBook book;
    kit::App app(book);
    Screen* entrance = app.screen(ScreenId::ENT_FRM);
    QVERIFY(kit::activate(entrance));
    QVERIFY(kit::play(entrance, script));
    QCOMPARE(app.ended(), then == "ended");
    if (then != "ended") QVERIFY(app.screen(ScreenId::frmSplash)->isVisible());
}

void tst_Shell::splash_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<QString>("then");
    QTest::newRow("a letter") << "x"
                              << "ended";
    QTest::newRow("Escape") << "\x1b"
                            << "ended";
    QTest::newRow("Home types nothing") << ""
                                        << "frmSplash";
    QTest::newRow("Delete types nothing") << "\x7f"
                                          << "frmSplash";
    QTest::newRow("a click on the frame") << "click frame"
                                          << "MENU_FORM";
    QTest::newRow("a click on a label") << "click label"
                                        << "frmSplash";
    QTest::newRow("a press on the frame let go outside it") << "drag out"
                                                            << "frmSplash";
}

void tst_Shell::splash() {
    QFETCH(QString, gesture);
    QFETCH(QString, then);
    kit::TempBook book;
    kit::App app(book);
    QVERIFY(kit::play(app.screen(ScreenId::ENT_FRM), "click NEXT"));
    Screen* splash = app.screen(ScreenId::frmSplash);
    QVERIFY(kit::activate(splash));
    auto* frame = splash->findChild<ClickFrame*>();
    if (gesture == "click frame") {
        QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(5, 5));
    } else if (gesture == "click label") {
        auto* label = frame->findChild<QLabel*>();
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    } else if (gesture == "drag out") {
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(-5, -5));
    } else {
        const Qt::Key key = gesture == "x"      ? Qt::Key_X
                            : gesture.isEmpty() ? Qt::Key_Home
                            : gesture == "\x1b" ? Qt::Key_Escape
                                                : Qt::Key_Delete;
        QTest::sendKeyEvent(QTest::Click, splash, key, gesture, Qt::NoModifier);
    }
    QCOMPARE(app.ended(), then == "ended");
    const ScreenId shown = then == "MENU_FORM" ? ScreenId::MENU_FORM : ScreenId::frmSplash;
    if (then != "ended") QVERIFY(app.screen(shown) && app.screen(shown)->isVisible());
}

void tst_Shell::menu_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<ScreenId>("target");
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << ScreenId::ADD_FORM;
    QTest::newRow("Ctrl+U") << int(Qt::Key_U) << ScreenId::UPDATE_FORM;
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ScreenId::SEARCH_FORM;
    QTest::newRow("Ctrl+D") << int(Qt::Key_D) << ScreenId::DELETE_FORM;
    QTest::newRow("Ctrl+E") << int(Qt::Key_E) << ScreenId::MENU_FORM;
}

// Each shortcut on the menu leaves it for its screen (Ctrl+E ends the run); on a record screen the
// shortcuts do nothing, and its close button ends the run.
void tst_Shell::menu() {
    QFETCH(int, key);
    QFETCH(ScreenId, target);
    kit::TempBook book;
    kit::App app(book);
    QWidget* menu = app.open(ScreenId::MENU_FORM);
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(app.ended(), target == ScreenId::MENU_FORM);
    if (target == ScreenId::MENU_FORM) return;
    QVERIFY(!app.screen(ScreenId::MENU_FORM));
    QWidget* opened = app.screen(target);
    QVERIFY(opened && kit::activate(opened));
    for (Qt::Key other : {Qt::Key_A, Qt::Key_U, Qt::Key_E})
        QTest::keyClick(opened, other, Qt::ControlModifier);
    QCOMPARE(app.screen(target), opened);
    QVERIFY(!app.ended());
    opened->close();
    QVERIFY(app.ended());
}

// BACK returns to the menu; the screen opened again shows its fields as they were designed.
void tst_Shell::backStartsAfresh() {
    kit::TempBook book;
    kit::App app(book);
    QWidget* add = app.open(ScreenId::ADD_FORM);
    QVERIFY(kit::play(add, "Text1=ann; Text4=1-1-2000; click BACK"));
    QVERIFY(app.screen(ScreenId::MENU_FORM) && !app.screen(ScreenId::ADD_FORM));
    add = app.open(ScreenId::ADD_FORM);
    QVERIFY(add);
    QCOMPARE(kit::textOf(add, "Text1"), QString());
    QCOMPARE(kit::textOf(add, "Text4"), QStringLiteral("dd-mm-yyyy"));
    QCOMPARE(add->findChild<QComboBox*>()->count(), 3);
}

void tst_Shell::missingBookBringsTheMenuBack() {
    kit::TempBook book(kit::TempBook::Start::Empty);
    kit::App app(book);
    kit::Boxes boxes;
    QVERIFY(!app.open(ScreenId::SEARCH_FORM));
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].startsWith("KORVALE|Cannot open the book " + QString::fromStdString(book.file()) +
                                      ": the file does not exist"),
             qPrintable(boxes.seen[0]));
    QVERIFY(app.screen(ScreenId::MENU_FORM) && app.screen(ScreenId::MENU_FORM)->isVisible());
}

// A box whose owner is hidden or missing is still shown and answered, and shows no hidden window.
void tst_Shell::boxWithoutAVisibleOwner() {
    QWidget hidden;
    kit::Boxes boxes(kit::Boxes::Kind::Real, "N");
    QCOMPARE(MessageBoxes::show(&hidden, "one"), MessageBoxes::kOk);
    QCOMPARE(MessageBoxes::show(nullptr, "two", BoxButtons::YesNo, BoxIcon::Question), MessageBoxes::kNo);
    QCOMPARE(boxes.seen, QStringList({"KORVALE|one|OK|-", "KORVALE|two|YN|?"}));
    QVERIFY(!hidden.isVisible());
}

// The faces the screens name are drawn with Debian's stand-ins, and a field takes the dialog font.
void tst_Shell::facesHaveTheirStandIns() {
    kit::TempBook book;
    kit::App app(book);
    QWidget* add = app.open(ScreenId::ADD_FORM);
    QVERIFY(add);
    const QFontInfo field(add->findChild<QLineEdit*>("Text1")->font());
    QVERIFY2(field.family().startsWith("Liberation Sans"), qPrintable(field.family()));
    QCOMPARE(field.pointSizeF(), 8.25);
    QSet<QString> faces;
    for (const QLabel* label : add->findChildren<QLabel*>())
        faces << QFontInfo(label->font()).family().section(' ', 0, 1);
    QCOMPARE(faces, QSet<QString>{"URW Bookman"});
}

QTEST_MAIN(tst_Shell)
#include "tst_Shell.moc"
