#pragma once

#include <QObject>
#include <QString>
#include <memory>

class ScreenManager;

// The whole application for one run: constructing it with the application directory registers the
// screens and shows the entrance; `ended` tells that the last screen has gone.
class KorvaleApplication : public QObject {
    Q_OBJECT
public:
    explicit KorvaleApplication(const QString& appDir, QObject* parent = nullptr);
    ~KorvaleApplication() override;

    ScreenManager& screens() { return *screens_; }

signals:
    void ended();

private:
    std::unique_ptr<ScreenManager> screens_;
};
