// Clicks made by the X server itself, under a window manager, as an operator's mouse makes them. Only
// there does a box shown inside a mouse press swallow the release, which could leave a button drawn
// down or click it after all.

#include <QAbstractButton>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "tests/kit/App.h"
#include "tests/kit/Boxes.h"

class tst_RealClicks : public QObject {
    Q_OBJECT
private slots:

    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(), "xdotool is not installed");
    }

    void clickLostToTheDateCheck_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("look-up") << "OK";
        QTest::newRow("update") << "UPDATE";
        QTest::newRow("refresh") << "REFERSH";
    }

    // Leaving an unreadable date for a button: only the date check speaks, and the button comes back up.
    void clickLostToTheDateCheck() {
        QFETCH(QString, button);
        kit::TempBook book(QStringList{kit::row("bob", "b")});
        kit::App app(book);
        QWidget* update = app.open(ScreenId::UPDATE_FORM);
        QVERIFY(update);
        // The window manager maps and activates the window in its own time.
        QTRY_VERIFY_WITH_TIMEOUT(update->isActiveWindow(), 20000);
        QVERIFY(kit::play(update, "Text10=bob; Text1=kept; click Text4; type 31-02-1987"));
        kit::Boxes boxes(kit::Boxes::Kind::Real);
        auto* target = update->findChild<QAbstractButton*>(button);
        const QPoint p = target->mapToGlobal(target->rect().center());
        QProcess::startDetached("xdotool",
                                {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
        // xdotool starts as a process of its own, which a busy machine can take seconds over.
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 1, 20000);
        QTest::qWait(400);
        QCOMPARE(boxes.seen, QStringList{"KORVALE|A VALID DATE MUST BE GIVEN (EX. '23/07/87')|OK|-"});
        QCOMPARE(kit::focusName(), QStringLiteral("Text4"));
        QCOMPARE(kit::textOf(update, "Text1"), QStringLiteral("kept"));
        QVERIFY(!target->isDown());
    }
};

QTEST_MAIN(tst_RealClicks)
#include "tst_RealClicks.moc"
