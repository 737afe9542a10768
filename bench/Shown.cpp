#include "bench/Shown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

namespace bench {

FirstPaint::FirstPaint(QWidget* window) : window_(window) {
    window_->installEventFilter(this);
}

FirstPaint::~FirstPaint() {
    if (window_) window_->removeEventFilter(this);
}

bool FirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Paint) painted_ = true;
    return false;
}

bool FirstPaint::wait(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // Spinning rather than sleeping: a sleep would put its own granularity into every figure.
    while (!painted_ && clock.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents);
    return painted_;
}

void flushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace bench
