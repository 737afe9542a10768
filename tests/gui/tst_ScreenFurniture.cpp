#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "tests/gui/AppUnderTest.h"
#include "tests/gui/BoxAnswers.h"

Q_DECLARE_METATYPE(ScreenId)

// What every screen offers the operator before any handler runs: where the focus starts, where Tab
// leads, how much a field takes, the menu, and the names a screen reader announces.
class tst_ScreenFurniture : public QObject {
    Q_OBJECT
private slots:
    void focusOnOpening_data();
    void focusOnOpening();
    void tabOrder_data();
    void tabOrder();
    void maximumLengths_data();
    void maximumLengths();
    void dateHint_data();
    void dateHint();
    void menuTree();
    void accessibleNames_data();
    void accessibleNames();
    void splashVersionLine();

private:
    static Screen* bringUp(AppUnderTest& app, ScreenId id);
};

Screen* tst_ScreenFurniture::bringUp(AppUnderTest& app, ScreenId id) {
    switch (id) {
        case ScreenId::ENT_FRM: {
            Screen* s = app.screen(id);
            AppUnderTest::activate(s);
            return s;
        }
        case ScreenId::MENU_FORM:
            return app.goToMenu();
        case ScreenId::frmSplash:
            QTest::mouseClick(app.control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT"), Qt::LeftButton);
            return app.screen(id);
        default:
            return app.open(id);
    }
}

void tst_ScreenFurniture::focusOnOpening_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("focused");
    QTest::newRow("entrance") << ScreenId::ENT_FRM << "EXIT";
    QTest::newRow("addition") << ScreenId::ADD_FORM << "REFRESH";
    QTest::newRow("updation") << ScreenId::UPDATE_FORM << "Combo1";
    QTest::newRow("search") << ScreenId::SEARCH_FORM << "BACK";
    QTest::newRow("deletion") << ScreenId::DELETE_FORM << "BACK";
}

void tst_ScreenFurniture::focusOnOpening() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, focused);
    BoxAnswers boxes;
    AppUnderTest app;
    Screen* s = bringUp(app, screen);
    QVERIFY(s);
    QWidget* w = QApplication::focusWidget();
    QVERIFY(w);
    // An editable box hands the focus to its own text part.
    if (w->objectName().isEmpty() && w->parentWidget()) w = w->parentWidget();
    QCOMPARE(w->objectName(), focused);
    // Opening runs no check.
    QVERIFY(boxes.shown().isEmpty());
}

void tst_ScreenFurniture::tabOrder_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("addition") << ScreenId::ADD_FORM
                              << QStringList{"REFRESH", "SUBMIT", "BACK",  "Text1", "Text2", "Text3",
                                             "Text5",   "Text6",  "Text7", "Text4", "Text8", "Combo1"};
    QTest::newRow("updation") << ScreenId::UPDATE_FORM
                              << QStringList{"Combo1", "REFERSH", "UPDATE", "Text10", "OK",    "Text1", "Text2",
                                             "Text3",  "Text5",   "Text6",  "Text7",  "Text4", "Text8", "BACK"};
    QTest::newRow("search") << ScreenId::SEARCH_FORM
                            << QStringList{"BACK",  "Text1", "Text2", "Text3",  "Text5",  "Text6", "Text7",
                                           "Text4", "Text8", "Text9", "Text10", "SEARCH", "REFRESH"};
    QTest::newRow("deletion") << ScreenId::DELETE_FORM
                              << QStringList{"BACK",  "Text1", "Text2",   "Text3", "Text5",  "Text6", "Text7",
                                             "Text4", "Text8", "Text9", "REFRESH", "OK",   "Text10", "REMOVE"};
}

void tst_ScreenFurniture::tabOrder() {
    QFETCH(ScreenId, screen);
    QFETCH(QStringList, order);
    AppUnderTest app;
    Screen* s = bringUp(app, screen);
    QVERIFY(s);
    // Fill every field so that no required-field check sends the focus back on the way round.
    for (auto* edit : s->findChildren<QLineEdit*>()) edit->setText(QStringLiteral("23-07-1987"));
    BoxAnswers boxes;
    QStringList visited;
    for (int i = 0; i <= order.size(); ++i) {
        QWidget* w = QApplication::focusWidget();
        if (w->objectName().isEmpty() && w->parentWidget()) w = w->parentWidget();
        visited << w->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, order + QStringList{order.front()});
    QVERIFY2(boxes.shown().isEmpty(), qPrintable(boxes.texts().join(QLatin1Char('|'))));
}

void tst_ScreenFurniture::maximumLengths_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("keeps");
    QTest::newRow("addition name") << ScreenId::ADD_FORM << "Text1" << 20;
    QTest::newRow("addition e-mail") << ScreenId::ADD_FORM << "Text3" << 25;
    QTest::newRow("addition address") << ScreenId::ADD_FORM << "Text2" << 40;
    QTest::newRow("updation name") << ScreenId::UPDATE_FORM << "Text1" << 40;
    QTest::newRow("updation e-mail") << ScreenId::UPDATE_FORM << "Text3" << 40;
    QTest::newRow("search name") << ScreenId::SEARCH_FORM << "Text1" << 40;
    QTest::newRow("deletion look-up") << ScreenId::DELETE_FORM << "Text10" << 40;
}

void tst_ScreenFurniture::maximumLengths() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, field);
    QFETCH(int, keeps);
    AppUnderTest app;
    Screen* s = bringUp(app, screen);
    auto* edit = s->findChild<QLineEdit*>(field);
    QVERIFY(edit);
    BoxAnswers boxes;  // moving into a field may run its check; that is not what is looked at here
    edit->clear();
    edit->setFocus();
    // Capitals, so that the name fields' lower-casing is typed past the limit too.
    QTest::keyClicks(edit, QString(40, QLatin1Char('K')));
    QCOMPARE(edit->text().size(), keeps);
}

void tst_ScreenFurniture::dateHint_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("text");
    QTest::newRow("addition") << ScreenId::ADD_FORM << "dd-mm-yyyy";
    QTest::newRow("updation") << ScreenId::UPDATE_FORM << "";
    QTest::newRow("search") << ScreenId::SEARCH_FORM << "";
    QTest::newRow("deletion") << ScreenId::DELETE_FORM << "";
}

void tst_ScreenFurniture::dateHint() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, text);
    AppUnderTest app;
    Screen* s = bringUp(app, screen);
    QCOMPARE(s->findChild<QLineEdit*>(QStringLiteral("Text4"))->text(), text);
}

void tst_ScreenFurniture::menuTree() {
    AppUnderTest app;
    Screen* menu = bringUp(app, ScreenId::MENU_FORM);
    auto* bar = menu->findChild<QMenuBar*>();
    QVERIFY(bar);
    QStringList entries;
    for (QAction* top : bar->actions()) {
        QMenu* drop = top->menu();
        QVERIFY(drop);
        QCOMPARE(drop->actions().size(), 1);
        QAction* item = drop->actions().front();
        QVERIFY(item->isEnabled() && item->isVisible() && !item->isChecked());
        entries << QStringLiteral("%1/%2/%3").arg(top->text(), item->text(), item->shortcut().toString());
    }
    QCOMPARE(entries, QStringList({"ADD/ADDITION FORM/Ctrl+A", "UPDATE/UPDATION FORM/Ctrl+U",
                                   "SEARCH/SEARCH FORM/Ctrl+S", "DELETE/DELETION FORM/Ctrl+D", "EXIT/EXIT/Ctrl+E"}));
}

void tst_ScreenFurniture::accessibleNames_data() {
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("lookUpPrompt");
    QTest::addColumn<QString>("categoryField");
    QTest::newRow("addition") << ScreenId::ADD_FORM << QString() << "Combo1";
    QTest::newRow("updation") << ScreenId::UPDATE_FORM << "ENTER NAME WANT TO UPDATE"
                              << "Combo1";
    QTest::newRow("search") << ScreenId::SEARCH_FORM << "NAME"
                            << "Text9";
    QTest::newRow("deletion") << ScreenId::DELETE_FORM << "ENTER NAME WANT TO DELETE"
                              << "Text9";
}

void tst_ScreenFurniture::accessibleNames() {
    QFETCH(ScreenId, screen);
    QFETCH(QString, lookUpPrompt);
    QFETCH(QString, categoryField);
    AppUnderTest app;
    Screen* s = bringUp(app, screen);
    auto nameOf = [](QObject* o) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
        return a ? a->text(QAccessible::Name) : QStringLiteral("<none>");
    };
    const std::pair<const char*, const char*> fields[] = {
        {"Text1", "NAME"},       {"Text2", "ADDRESS"},    {"Text3", "EMAIL_ID"}, {"Text4", "DATE OF BIRTH"},
        {"Text5", "HOME PH NO"}, {"Text6", "WORK PH NO"}, {"Text7", "CELL NO"},  {"Text8", "REMARKS"},
    };
    for (const auto& [field, caption] : fields)
        QCOMPARE(nameOf(s->findChild<QWidget*>(QLatin1String(field))), QLatin1String(caption));
    QCOMPARE(nameOf(s->findChild<QWidget*>(categoryField)), QStringLiteral("CATEGORY"));
    if (!lookUpPrompt.isEmpty()) QCOMPARE(nameOf(s->findChild<QWidget*>(QStringLiteral("Text10"))), lookUpPrompt);
    for (auto* button : s->findChildren<QAbstractButton*>()) QCOMPARE(nameOf(button), button->text());
    QCOMPARE(nameOf(s), s->windowTitle());
}

void tst_ScreenFurniture::splashVersionLine() {
    AppUnderTest app;
    Screen* splash = bringUp(app, ScreenId::frmSplash);
    auto* version = splash->findChild<QLabel*>(QStringLiteral("lblVersion"));
    QCOMPARE(version->text(), QStringLiteral("Version 1.0.0"));
    QVERIFY(!version->visibleRegion().isEmpty());
    QVERIFY(splash->findChild<QWidget*>(QStringLiteral("Frame1"))->geometry().contains(version->geometry().translated(
        splash->findChild<QWidget*>(QStringLiteral("Frame1"))->pos())));
}

QTEST_MAIN(tst_ScreenFurniture)
#include "tst_ScreenFurniture.moc"
