#include "app/ScreenManager.h"

#include <QApplication>
#include <QTimer>

#include "app/ErrorReport.h"

ScreenManager::ScreenManager(std::filesystem::path appDir, QObject* parent)
    : QObject(parent), appDir_(std::move(appDir)) {}

ScreenManager::~ScreenManager() {
    for (auto& [id, screen] : loaded_) delete screen.data();
}

void ScreenManager::registerScreen(ScreenId id, Factory factory) {
    factories_[id] = std::move(factory);
}

void ScreenManager::Load(ScreenId id) {
    if (isLoaded(id)) return;
    Screen* screen = factories_.at(id)(*this);
    loaded_[id] = screen;
    screen->Form_Load();
}

void ScreenManager::Show(ScreenId id) {
    if (Screen* s = screen(id)) s->present();
}

void ScreenManager::Unload(ScreenId id) {
    auto it = loaded_.find(id);
    if (it == loaded_.end()) return;
    QPointer<Screen> screen = it->second;
    loaded_.erase(it);
    if (screen) {
        screen->hide();
        // The handler that unloads a screen is usually one of its own slots: destroy it once that
        // handler has returned.
        screen->deleteLater();
    }
    scheduleEndCheck();
}

void ScreenManager::switchScreen(ScreenId from, ScreenId to) {
    Unload(from);
    try {
        Load(to);
    } catch (const std::exception& failure) {
        reportFailure(nullptr, failure);
        Unload(to);
        if (to != ScreenId::MENU_FORM) {
            Load(ScreenId::MENU_FORM);
            Show(ScreenId::MENU_FORM);
        }
        return;
    }
    Show(to);
}

bool ScreenManager::isLoaded(ScreenId id) const {
    auto it = loaded_.find(id);
    return it != loaded_.end() && it->second;
}

bool ScreenManager::anyLoaded() const {
    for (const auto& [id, screen] : loaded_)
        if (screen) return true;
    return false;
}

Screen* ScreenManager::screen(ScreenId id) const {
    auto it = loaded_.find(id);
    return it == loaded_.end() ? nullptr : it->second.data();
}

void ScreenManager::scheduleEndCheck() {
    // Queued, so that the test is made only once the running handler has returned: in the middle of a
    // screen switch no screen is loaded, and that is no reason to stop.
    QTimer::singleShot(0, this, &ScreenManager::checkEnd);
}

void ScreenManager::checkEnd() {
    if (ended_ || anyLoaded()) return;
    if (QApplication::activeModalWidget()) {
        // A handler is still waiting on a box; its own moves will decide.
        QTimer::singleShot(50, this, &ScreenManager::checkEnd);
        return;
    }
    ended_ = true;
    emit ended();
}
