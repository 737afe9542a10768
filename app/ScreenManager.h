#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <map>

#include "app/Screen.h"
#include "app/ScreenId.h"

// Loads, shows and unloads the screens, and ends the run when, once a handler has returned, no screen
// is loaded any more.
class ScreenManager : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<Screen*(ScreenManager&)>;

    explicit ScreenManager(std::filesystem::path appDir, QObject* parent = nullptr);
    ~ScreenManager() override;

    void registerScreen(ScreenId id, Factory factory);
    // The directory the book lies in.
    const std::filesystem::path& appDir() const { return appDir_; }

    // Creates the screen's window and controls, hidden, and runs its Form_Load. Loading a loaded screen
    // does nothing. A failure of Form_Load is thrown on, with the screen left loaded.
    void Load(ScreenId id);
    void Show(ScreenId id);
    // Destroys the screen's window and controls; a later Load starts afresh.
    void Unload(ScreenId id);
    // The move between screens inside one handler: unload the current one, load the target, show it.
    // Where loading the target fails, the failure is reported and the operator is brought back to the
    // main menu rather than left without a window.
    void switchScreen(ScreenId from, ScreenId to);

    bool isLoaded(ScreenId id) const;
    bool anyLoaded() const;
    Screen* screen(ScreenId id) const;
    template <class T>
    T* screenAs(ScreenId id) const {
        return qobject_cast<T*>(screen(id));
    }

    bool hasEnded() const { return ended_; }

signals:
    // No screen is loaded any more: the run is over.
    void ended();

private:
    void scheduleEndCheck();
    void checkEnd();

    std::filesystem::path appDir_;
    std::map<ScreenId, Factory> factories_;
    std::map<ScreenId, QPointer<Screen>> loaded_;
    bool ended_ = false;
};
