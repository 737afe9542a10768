#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "tests/gui/AppUnderTest.h"
#include "tests/gui/BoxAnswers.h"
#include "app/ClickFrame.h"

Q_DECLARE_METATYPE(ScreenId)

// The moves between screens and the end of a run, driven as an operator drives them.
class tst_Shell : public QObject {
    Q_OBJECT
private slots:
    void startsOnEntranceWithExitFocused();
    void tabOnEntranceMovesToNext();
    void nextLeadsThroughSplashToMenu();
    void splashVersionLine();
    void splashClicks_data();
    void splashClicks();
    void splashKeys_data();
    void splashKeys();
    void menuItemsOpenTheirScreenAndBackReturns_data();
    void menuItemsOpenTheirScreenAndBackReturns();
    void menuShortcutsOnlyOnTheMenu();
    void reopenedScreenStartsAfresh();
    void runEnds_data();
    void runEnds();
    void missingBookIsReportedAndMenuComesBack_data();
    void missingBookIsReportedAndMenuComesBack();
};

void tst_Shell::startsOnEntranceWithExitFocused() {
    BoxAnswers boxes;
    AppUnderTest app(AppUnderTest::Book::Missing);  // start-up does not touch the book
    Screen* entrance = app.screen(ScreenId::ENT_FRM);
    QVERIFY(entrance);
    QVERIFY(AppUnderTest::activate(entrance));
    QCOMPARE(entrance->objectName(), QStringLiteral("ENT_FRM"));
    QCOMPARE(entrance->windowTitle(), QStringLiteral("ENTRANCE FORM"));
    QVERIFY(entrance->isMaximized());
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("EXIT"));
    QVERIFY(!app.screen(ScreenId::MENU_FORM));
    QVERIFY(boxes.shown().isEmpty());
}

void tst_Shell::tabOnEntranceMovesToNext() {
    AppUnderTest app;
    Screen* entrance = app.screen(ScreenId::ENT_FRM);
    QVERIFY(AppUnderTest::activate(entrance));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("NEXT"));
}

void tst_Shell::nextLeadsThroughSplashToMenu() {
    AppUnderTest app;
    QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT"), Qt::LeftButton);
    QVERIFY(!app.screens().isLoaded(ScreenId::ENT_FRM));
    Screen* splash = app.screen(ScreenId::frmSplash);
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QVERIFY(!splash->isMaximized());
    QTest::mouseClick(app.control<ClickFrame>(ScreenId::frmSplash, "Frame1"), Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!app.screens().isLoaded(ScreenId::frmSplash));
    Screen* menu = app.screen(ScreenId::MENU_FORM);
    QVERIFY(menu);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->windowTitle(), QStringLiteral("MENU FORM"));
    QTest::qWait(0);
    QVERIFY(!app.screens().hasEnded());
}

void tst_Shell::splashVersionLine() {
    AppUnderTest app;
    QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT"), Qt::LeftButton);
    auto* version = app.control<QLabel>(ScreenId::frmSplash, "lblVersion");
    QCOMPARE(version->text(), QStringLiteral("Version 1.0.0"));
    // Sized to its text, so the whole line shows.
    QVERIFY(version->width() >= version->fontMetrics().horizontalAdvance(version->text()));
}

void tst_Shell::splashClicks_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("opensMenu");
    QTest::newRow("frame") << "Frame1" << true;
    QTest::newRow("logo") << "imgLogo" << false;
    QTest::newRow("version label") << "lblVersion" << false;
    QTest::newRow("product name") << "lblProductName" << false;
    QTest::newRow("margin outside the frame") << "frmSplash" << false;
}

void tst_Shell::splashClicks() {
    QFETCH(QString, target);
    QFETCH(bool, opensMenu);
    AppUnderTest app;
    QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT"), Qt::LeftButton);
    Screen* splash = app.screen(ScreenId::frmSplash);
    QWidget* w = target == QLatin1String("frmSplash") ? splash : splash->findChild<QWidget*>(target);
    QVERIFY(w);
    const QPoint where = w == splash ? QPoint(2, 2) : w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, {}, where);
    QCOMPARE(app.screens().isLoaded(ScreenId::MENU_FORM), opensMenu);
    QCOMPARE(app.screens().isLoaded(ScreenId::frmSplash), !opensMenu);
}

void tst_Shell::splashKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("closes");
    QTest::newRow("letter") << int(Qt::Key_K) << "k" << true;
    QTest::newRow("digit") << int(Qt::Key_7) << "7" << true;
    QTest::newRow("enter") << int(Qt::Key_Return) << "\r" << true;
    QTest::newRow("escape") << int(Qt::Key_Escape) << "\x1b" << true;
    QTest::newRow("space") << int(Qt::Key_Space) << " " << true;
    QTest::newRow("arrow") << int(Qt::Key_Left) << "" << false;
    QTest::newRow("function key") << int(Qt::Key_F5) << "" << false;
    QTest::newRow("shift") << int(Qt::Key_Shift) << "" << false;
    QTest::newRow("delete") << int(Qt::Key_Delete) << "\x7f" << false;
}

void tst_Shell::splashKeys() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, closes);
    AppUnderTest app;
    QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT"), Qt::LeftButton);
    Screen* splash = app.screen(ScreenId::frmSplash);
    QVERIFY(AppUnderTest::activate(splash));
    QTest::sendKeyEvent(QTest::Click, splash, Qt::Key(key), text, Qt::NoModifier);
    QCOMPARE(app.screens().isLoaded(ScreenId::frmSplash), !closes);
    if (closes) {
        QTRY_VERIFY(app.screens().hasEnded());
    } else {
        QTest::qWait(10);
        QVERIFY(!app.screens().hasEnded());
    }
}

void tst_Shell::menuItemsOpenTheirScreenAndBackReturns_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::newRow("addition") << ScreenId::ADD_FORM << "ADD1" << "ADDITION FORM";
    QTest::newRow("updation") << ScreenId::UPDATE_FORM << "UPDATE1" << "UPDATE FORM";
    QTest::newRow("search") << ScreenId::SEARCH_FORM << "SEARCH1" << "SEARCH FORM";
    QTest::newRow("deletion") << ScreenId::DELETE_FORM << "DELETE1" << "SEARCH FORM";
}

void tst_Shell::menuItemsOpenTheirScreenAndBackReturns() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, item);
    QFETCH(QString, caption);
    BoxAnswers boxes;
    AppUnderTest app;

    // By the shortcut.
    Screen* s = app.open(screen);
    QVERIFY(s);
    QCOMPARE(s->windowTitle(), caption);
    QVERIFY(s->isVisible());
    QVERIFY(!app.screens().isLoaded(ScreenId::MENU_FORM));
    QTest::mouseClick(s->findChild<QAbstractButton*>(QStringLiteral("BACK")), Qt::LeftButton);
    QVERIFY(!app.screens().isLoaded(screen));
    Screen* menu = app.screen(ScreenId::MENU_FORM);
    QVERIFY(menu);

    // By the menu item itself.
    auto* action = menu->findChild<QAction*>(item);
    QVERIFY(action);
    action->trigger();
    QVERIFY(app.screens().isLoaded(screen));
    QVERIFY(!app.screens().isLoaded(ScreenId::MENU_FORM));
    QTest::qWait(0);
    QVERIFY(!app.screens().hasEnded());
    QVERIFY(boxes.shown().isEmpty());
}

void tst_Shell::menuShortcutsOnlyOnTheMenu() {
    AppUnderTest app;
    Screen* add = app.open(ScreenId::ADD_FORM);
    QVERIFY(add);
    for (Qt::Key key : {Qt::Key_U, Qt::Key_S, Qt::Key_D, Qt::Key_E}) QTest::keyClick(add, key, Qt::ControlModifier);
    QTest::qWait(0);
    QVERIFY(app.screens().isLoaded(ScreenId::ADD_FORM));
    QVERIFY(!app.screens().isLoaded(ScreenId::MENU_FORM));
    QVERIFY(!app.screens().hasEnded());
}

void tst_Shell::reopenedScreenStartsAfresh() {
    AppUnderTest app;
    Screen* add = app.open(ScreenId::ADD_FORM);
    auto* dob = add->findChild<QLineEdit*>(QStringLiteral("Text4"));
    QCOMPARE(dob->text(), QStringLiteral("dd-mm-yyyy"));
    dob->setText(QStringLiteral("01-01-2001"));
    QTest::mouseClick(add->findChild<QAbstractButton*>(QStringLiteral("BACK")), Qt::LeftButton);
    QTest::qWait(0);
    add = app.open(ScreenId::ADD_FORM);
    QCOMPARE(add->findChild<QLineEdit*>(QStringLiteral("Text4"))->text(), QStringLiteral("dd-mm-yyyy"));
}

void tst_Shell::runEnds_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("EXIT clicked on the entrance") << "entrance exit";
    QTest::newRow("Enter on the focused EXIT") << "entrance enter";
    QTest::newRow("Space on the focused EXIT") << "entrance space";
    QTest::newRow("entrance closed") << "entrance close";
    QTest::newRow("EXIT item of the menu, Ctrl+E") << "menu exit";
    QTest::newRow("menu closed") << "menu close";
    QTest::newRow("addition screen closed") << "ADD_FORM close";
    QTest::newRow("updation screen closed") << "UPDATE_FORM close";
    QTest::newRow("search screen closed") << "SEARCH_FORM close";
    QTest::newRow("deletion screen closed") << "DELETE_FORM close";
}

void tst_Shell::runEnds() {
    QFETCH(QString, how);
    AppUnderTest app;
    QSignalSpy ended(&app.screens(), &ScreenManager::ended);
    Screen* entrance = app.screen(ScreenId::ENT_FRM);
    QVERIFY(AppUnderTest::activate(entrance));
    if (how == QLatin1String("entrance exit")) {
        QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "EXIT"), Qt::LeftButton);
    } else if (how == QLatin1String("entrance enter")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    } else if (how == QLatin1String("entrance space")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    } else if (how == QLatin1String("entrance close")) {
        entrance->close();
    } else if (how == QLatin1String("menu exit")) {
        QTest::keyClick(app.goToMenu(), Qt::Key_E, Qt::ControlModifier);
    } else if (how == QLatin1String("menu close")) {
        app.goToMenu()->close();
    } else {
        const QString name = how.section(QLatin1Char(' '), 0, 0);
        const ScreenId id = name == QLatin1String("ADD_FORM")      ? ScreenId::ADD_FORM
                            : name == QLatin1String("UPDATE_FORM") ? ScreenId::UPDATE_FORM
                            : name == QLatin1String("SEARCH_FORM") ? ScreenId::SEARCH_FORM
                                                                   : ScreenId::DELETE_FORM;
        app.open(id)->close();
    }
    QVERIFY(!app.screens().anyLoaded());
    QTRY_COMPARE(ended.count(), 1);
}

void tst_Shell::missingBookIsReportedAndMenuComesBack_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::newRow("addition") << ScreenId::ADD_FORM;
    QTest::newRow("updation") << ScreenId::UPDATE_FORM;
    QTest::newRow("search") << ScreenId::SEARCH_FORM;
    QTest::newRow("deletion") << ScreenId::DELETE_FORM;
}

void tst_Shell::missingBookIsReportedAndMenuComesBack() {
    QFETCH(ScreenId, screen);
    BoxAnswers boxes;
    AppUnderTest app(AppUnderTest::Book::Missing);
    app.open(screen);
    QCOMPARE(boxes.shown().size(), 1);
    const BoxRequest report = boxes.shown().front();
    QCOMPARE(report.title, QStringLiteral("KORVALE"));
    QVERIFY2(report.text.contains(QStringLiteral("KORVALE.mdb")), qPrintable(report.text));
    QVERIFY2(report.text.contains(QStringLiteral("does not exist")), qPrintable(report.text));
    QVERIFY(!app.screens().isLoaded(screen));
    Screen* menu = app.screen(ScreenId::MENU_FORM);
    QVERIFY(menu);
    QVERIFY(menu->isVisible());
    QTest::qWait(10);
    QVERIFY(!app.screens().hasEnded());
    QVERIFY(!std::filesystem::exists(app.bookPath()));
}

QTEST_MAIN(tst_Shell)
#include "tst_Shell.moc"
