// The way through the application: entrance, splash, menu, the record screens and back, the end of a
// run, and the boxes themselves.

#include <QComboBox>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
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

    void moves_data() {
        QTest::addColumn<ScreenId>("from");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<ScreenId>("then");  // the screen shown afterwards, unless the run ends
        const auto row = [](const char* name, ScreenId from, const char* gesture, ScreenId then) {
            QTest::newRow(name) << from << QString(gesture) << then;
        };
        const ScreenId ends = ScreenId(-1);
        const ScreenId entrance = ScreenId::ENT_FRM, splash = ScreenId::frmSplash, menu = ScreenId::MENU_FORM;
        row("entrance: Space on the first button ends the run", entrance, "type  ", ends);
        row("entrance: Return on the first button ends the run", entrance, "type {ENTER}", ends);
        row("entrance: Tab, then Space", entrance, "tab; type  ", splash);
        row("splash: a letter ends the run", splash, "key X x", ends);
        row("splash: Escape ends the run", splash, "key Esc \x1b", ends);
        row("splash: Home types nothing", splash, "key Home", splash);
        row("splash: Delete types nothing", splash, "key Del \x7f", splash);
        row("splash: a click on the frame", splash, "click frame", menu);
        row("splash: a click on a label", splash, "click label", splash);
        row("splash: a press on the frame let go outside it", splash, "drag out", splash);
        row("menu: Ctrl+A", menu, "key Ctrl+A", ScreenId::ADD_FORM);
        row("menu: Ctrl+U", menu, "key Ctrl+U", ScreenId::UPDATE_FORM);
        row("menu: Ctrl+S", menu, "key Ctrl+S", ScreenId::SEARCH_FORM);
        row("menu: Ctrl+D", menu, "key Ctrl+D", ScreenId::DELETE_FORM);
        row("menu: Ctrl+E ends the run", menu, "key Ctrl+E", ends);
    }

    // Where each gesture of the operator leads. Once on a record screen, the menu's shortcuts do nothing
    // there, and its close button ends the run.
    void moves() {
        QFETCH(ScreenId, from);
        QFETCH(QString, gesture);
        QFETCH(ScreenId, then);
        kit::TempBook book;
        kit::App app(book);
        if (from != ScreenId::ENT_FRM) QVERIFY(kit::play(app.screen(ScreenId::ENT_FRM), "click NEXT"));
        QWidget* screen = from == ScreenId::MENU_FORM ? app.open(from) : app.screen(from);
        QVERIFY(screen && kit::activate(screen));
        auto* frame = screen->findChild<ClickFrame*>();
        QWidget* target =
            gesture == "click label" ? static_cast<QWidget*>(frame->findChild<QLabel*>()) : frame;
        if (gesture.startsWith("click ")) {
            QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        } else if (gesture == "drag out") {
            QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(-5, -5));
        } else if (gesture.startsWith("key ")) {
            // "key KEY TEXT": the key as the keyboard sends it, with the character it types, if any.
            const QKeyCombination key = QKeySequence(gesture.section(' ', 1, 1))[0];
            QTest::sendKeyEvent(QTest::Click, screen, key.key(), gesture.section(' ', 2),
                                key.keyboardModifiers());
        } else {
            QVERIFY(kit::play(screen, gesture));
        }
        QCOMPARE(app.ended(), then == ScreenId(-1));
        if (then == ScreenId(-1)) return;
        QWidget* shown = app.screen(then);
        QVERIFY(shown && shown->isVisible() && (then == from || !app.screen(from)));
        // The splash stands in the middle of the screen, at a size the operator cannot change.
        const QPoint offCentre = shown->geometry().center() - shown->screen()->availableGeometry().center();
        if (then == ScreenId::frmSplash)
            QVERIFY(offCentre.manhattanLength() <= 4 && shown->minimumSize() == shown->maximumSize());
        if (from != ScreenId::MENU_FORM) return;
        QVERIFY(kit::activate(shown));
        for (Qt::Key other : {Qt::Key_A, Qt::Key_U, Qt::Key_E})
            QTest::keyClick(shown, other, Qt::ControlModifier);
        QVERIFY(app.screen(then) == shown && !app.ended());
        shown->close();
        QVERIFY(app.ended());
    }

    // BACK returns to the menu; the screen opened again shows its fields as they were designed.
    void backStartsAfresh() {
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

    void missingBookBringsTheMenuBack() {
        kit::TempBook book(kit::TempBook::Start::Empty);
        kit::App app(book);
        kit::Boxes boxes;
        QVERIFY(!app.open(ScreenId::SEARCH_FORM));
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].startsWith("KORVALE|Cannot open the book " +
                                          QString::fromStdString(book.file()) + ": the file does not exist"),
                 qPrintable(boxes.seen[0]));
        QVERIFY(app.screen(ScreenId::MENU_FORM) && app.screen(ScreenId::MENU_FORM)->isVisible());
    }

    // A box whose owner is hidden or missing is still shown and answered, and shows no hidden window.
    void boxWithoutAVisibleOwner() {
        QWidget hidden;
        kit::Boxes boxes(kit::Boxes::Kind::Real, "N");
        QCOMPARE(MessageBoxes::show(&hidden, "one"), MessageBoxes::kOk);
        QCOMPARE(MessageBoxes::show(nullptr, "two", BoxButtons::YesNo, BoxIcon::Question), MessageBoxes::kNo);
        QCOMPARE(boxes.seen, QStringList({"KORVALE|one|OK|-", "KORVALE|two|YN|?"}));
        QVERIFY(!hidden.isVisible());
    }

    // The faces the screens name are drawn with Debian's stand-ins, and a field takes the dialog font. A
    // button's face is framed on all four sides; the button with the focus has a dotted frame.
    void facesAndButtonsAsDrawn() {
        kit::TempBook book;
        kit::App app(book);
        QWidget* add = app.open(ScreenId::ADD_FORM);
        QVERIFY(add && kit::focusName() == "REFRESH");
        const QFontInfo field(add->findChild<QLineEdit*>("Text1")->font());
        QVERIFY2(field.family().startsWith("Liberation Sans"), qPrintable(field.family()));
        QCOMPARE(field.pointSizeF(), 8.25);
        QSet<QString> faces;
        for (const QLabel* label : add->findChildren<QLabel*>())
            faces << QFontInfo(label->font()).family().section(' ', 0, 1);
        QCOMPARE(faces, QSet<QString>{"URW Bookman"});
        for (const char* name : {"SUBMIT", "REFRESH"}) {
            auto* button = add->findChild<QWidget*>(name);
            const QImage face = button->grab().toImage();
            const QRgb frame = button->palette().color(QPalette::WindowText).rgb();
            const int middle = face.height() / 2, right = face.width() - 1, bottom = face.height() - 1;
            QCOMPARE(QList<QRgb>({face.pixel(0, middle), face.pixel(right, middle), face.pixel(middle, 0),
                                  face.pixel(middle, bottom)}),
                     QList<QRgb>(4, frame));
            QSet<QRgb> dotted;
            for (int x = 2; x < right - 1; ++x) dotted << face.pixel(x, 1);
            QCOMPARE(dotted.size() > 1, button->hasFocus());
        }
    }
};

QTEST_MAIN(tst_Shell)
#include "tst_Shell.moc"
