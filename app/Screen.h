#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/ScreenId.h"

class QAbstractButton;
class ScreenManager;

// A top-level window of the application. It exists only while its screen is loaded; its object name
// is the screen's name and its controls carry their own names.
class Screen : public QWidget {
    Q_OBJECT
public:
    Screen(ScreenManager& screens, ScreenId id);

    ScreenId screenId() const { return id_; }

    // Runs once each time the screen is loaded, after its controls exist. May throw: the screen
    // manager reports the failure.
    virtual void Form_Load() {}
    // Makes the loaded screen visible, modeless. Screens open maximised unless they say otherwise.
    virtual void present();

protected:
    ScreenManager& screens() const { return screens_; }
    // Leaves this screen for another one: unload this, load the target, show it.
    void switchTo(ScreenId target);

    // Runs an event handler. A failure it does not handle itself ends it with the error report; the
    // screen stays usable.
    void handle(const std::function<void()>& handler);

    // Connects a button's click to a handler of the screen, through handle().
    template <class Derived>
    void onClick(QAbstractButton* button, void (Derived::*handler)());

    // The close button unloads the screen like any other way of leaving it.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectClick(QAbstractButton* button, std::function<void()> handler);
    ScreenManager& screens_;
    ScreenId id_;
};

template <class Derived>
void Screen::onClick(QAbstractButton* button, void (Derived::*handler)()) {
    auto* self = static_cast<Derived*>(this);
    connectClick(button, [self, handler] { (self->*handler)(); });
}

// Makes a screen's generated controls on it. Meant for a member initialiser, so that the members after
// it can already reach the controls.
template <class Ui, class Window>
std::unique_ptr<Ui> setUpUi(Window* screen) {
    auto ui = std::make_unique<Ui>();
    ui->setupUi(screen);
    return ui;
}
