#pragma once

#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "app/KorvaleApplication.h"
#include "app/ScreenManager.h"

// One run of the application in the test process, on its own temporary book.
class AppUnderTest {
public:
    enum class Book { Empty, Missing };
    explicit AppUnderTest(Book book = Book::Empty);
    ~AppUnderTest();

    std::filesystem::path dir() const;
    std::filesystem::path bookPath() const;
    ScreenManager& screens() { return app_->screens(); }

    // The loaded screen, or null.
    Screen* screen(ScreenId id) { return screens().screen(id); }
    template <class T = QWidget>
    T* control(ScreenId id, const char* name) {
        Screen* s = screen(id);
        return s ? s->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }

    // The way an operator gets there: NEXT on the entrance, a click on the splash frame, the menu
    // item's shortcut. Each returns the screen, shown and active.
    Screen* goToMenu();
    Screen* open(ScreenId recordScreen);

    // Makes a window active so that focus moves happen as they do for an operator.
    static bool activate(QWidget* window);

private:
    QTemporaryDir dir_;
    std::unique_ptr<KorvaleApplication> app_;
};
