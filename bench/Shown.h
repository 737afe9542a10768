#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace bench {

// Tells when a window has been painted for the first time: the moment the operator sees it. Watches
// only the window it is installed on, which may go before the watch does.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window);
    ~FirstPaint() override;
    FirstPaint(const FirstPaint&) = delete;
    FirstPaint& operator=(const FirstPaint&) = delete;

    bool painted() const { return painted_; }

    // Runs the event loop until the window has been painted; false when it was not within the wait.
    bool wait(int timeoutMs = 10000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool painted_ = false;
};

// Deletes what deleteLater has queued, as returning to the event loop would.
void flushDeferredDeletes();

}  // namespace bench
