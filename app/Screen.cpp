#include "app/Screen.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "app/ErrorReport.h"
#include "app/ScreenManager.h"

Screen::Screen(ScreenManager& screens, ScreenId id) : QWidget(nullptr), screens_(screens), id_(id) {}

void Screen::present() {
    showMaximized();
}

void Screen::switchTo(ScreenId target) {
    screens_.switchScreen(id_, target);
}

void Screen::handle(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        reportFailure(this, failure);
    }
}

void Screen::connectClick(QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler = std::move(handler)] { handle(handler); });
}

void Screen::closeEvent(QCloseEvent* event) {
    event->accept();
    screens_.Unload(id_);
}
