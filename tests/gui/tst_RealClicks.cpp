#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "tests/gui/AppUnderTest.h"
#include "tests/gui/RealBoxes.h"

// Clicks that come from the X server itself, as an operator's mouse makes them. Only there does a box
// shown inside a mouse press swallow the release, which is what can leave a button drawn down.
class tst_RealClicks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clickIntoEmailWithNameAndAddressEmpty();
    void buttonClickedWhileDateUnreadableIsLost_data();
    void buttonClickedWhileDateUnreadableIsLost();

private:
    static void clickAt(QWidget* w);
};

void tst_RealClicks::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
}

void tst_RealClicks::clickAt(QWidget* w) {
    const QPoint p = w->mapToGlobal(w->rect().center());
    // Detached: the click arrives while the test's event loop runs, like an operator's.
    QProcess::startDetached(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(p.x()),
                                                        QString::number(p.y()), QStringLiteral("click"),
                                                        QStringLiteral("1")});
}

void tst_RealClicks::clickIntoEmailWithNameAndAddressEmpty() {
    AppUnderTest app;
    Screen* add = app.open(ScreenId::ADD_FORM);
    QVERIFY(add);
    RealBoxes boxes;
    clickAt(app.control<QLineEdit>(ScreenId::ADD_FORM, "Text3"));
    QTRY_COMPARE(boxes.count(), 2);
    QTest::qWait(300);
    QCOMPARE(boxes.texts(), QStringList({QStringLiteral("customer address cannot be left empty"),
                                         QStringLiteral("customer name cannot be left empty")}));
    QTRY_COMPARE(QApplication::focusWidget(), app.control<QWidget>(ScreenId::ADD_FORM, "Text1"));
}

void tst_RealClicks::buttonClickedWhileDateUnreadableIsLost_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("look-up") << "OK";
    QTest::newRow("update") << "UPDATE";
    QTest::newRow("refresh") << "REFERSH";
}

void tst_RealClicks::buttonClickedWhileDateUnreadableIsLost() {
    QFETCH(QString, button);
    AppUnderTest app;
    Screen* update = app.open(ScreenId::UPDATE_FORM);
    QVERIFY(update);
    auto* dob = app.control<QLineEdit>(ScreenId::UPDATE_FORM, "Text4");
    auto* name = app.control<QLineEdit>(ScreenId::UPDATE_FORM, "Text1");
    name->setText(QStringLiteral("kept"));
    dob->setFocus();
    QTest::keyClicks(dob, QStringLiteral("31-02-1987"));
    RealBoxes boxes;
    auto* target = update->findChild<QAbstractButton*>(button);
    clickAt(target);
    QTRY_COMPARE(boxes.count(), 1);
    QTest::qWait(400);
    // Only the date check spoke: no look-up, no confirmation.
    QCOMPARE(boxes.texts(), QStringList(QStringLiteral("A VALID DATE MUST BE GIVEN (EX. '23/07/87')")));
    QCOMPARE(QApplication::focusWidget(), dob);
    QCOMPARE(dob->text(), QString());
    QVERIFY(!target->isDown());
    QCOMPARE(name->text(), QStringLiteral("kept"));
}

QTEST_MAIN(tst_RealClicks)
#include "tst_RealClicks.moc"
