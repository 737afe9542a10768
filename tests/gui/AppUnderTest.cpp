#include "tests/gui/AppUnderTest.h"

#include <QAbstractButton>
#include <QTest>

#include "store/BookSchema.h"
#include "app/ClickFrame.h"
#include "store/ClientStore.h"

AppUnderTest::AppUnderTest(Book book) {
    if (book == Book::Empty) korvale::createBook(bookPath());
    app_ = std::make_unique<KorvaleApplication>(dir_.path());
}

AppUnderTest::~AppUnderTest() {
    app_.reset();
    // Screens unloaded during the test are destroyed here, before their book goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::filesystem::path AppUnderTest::dir() const { return dir_.path().toStdString(); }

std::filesystem::path AppUnderTest::bookPath() const { return korvale::ClientStore::bookPath(dir()); }

bool AppUnderTest::activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

Screen* AppUnderTest::goToMenu() {
    if (!screen(ScreenId::MENU_FORM)) {
        if (auto* next = control<QAbstractButton>(ScreenId::ENT_FRM, "NEXT")) QTest::mouseClick(next, Qt::LeftButton);
        auto* frame = control<ClickFrame>(ScreenId::frmSplash, "Frame1");
        if (!frame) return nullptr;
        QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(5, 5));
    }
    Screen* menu = screen(ScreenId::MENU_FORM);
    if (menu) activate(menu);
    return menu;
}

Screen* AppUnderTest::open(ScreenId recordScreen) {
    Screen* menu = goToMenu();
    if (!menu) return nullptr;
    const Qt::Key key = recordScreen == ScreenId::ADD_FORM      ? Qt::Key_A
                        : recordScreen == ScreenId::UPDATE_FORM ? Qt::Key_U
                        : recordScreen == ScreenId::SEARCH_FORM ? Qt::Key_S
                                                                : Qt::Key_D;
    QTest::keyClick(menu, key, Qt::ControlModifier);
    Screen* s = screen(recordScreen);
    if (s) activate(s);
    return s;
}
