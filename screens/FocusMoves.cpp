#include "screens/FocusMoves.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

bool FocusMoves::isMove(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        default:
            return false;
    }
}

void FocusMoves::onGotFocus(QWidget* control, std::function<void()> handler) {
    gotFocus_[control] = std::move(handler);
    watch(control);
}

void FocusMoves::onLostFocus(QWidget* control, std::function<void()> handler) {
    lostFocus_[control] = std::move(handler);
    watch(control);
}

void FocusMoves::watch(QWidget* control) {
    if (!watched_.insert(control).second) return;
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this, control] {
        watched_.erase(control);
        gainedByMove_.erase(control);
        gotFocus_.erase(control);
        lostFocus_.erase(control);
    });
}

bool FocusMoves::eventFilter(QObject* watched, QEvent* event) {
    auto* control = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::FocusIn:
            if (watched_.count(control)) gained(control, static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::FocusOut:
            if (watched_.count(control)) lost(control, static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (control == dropPressOn_) {
                dropPressOn_ = nullptr;
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void FocusMoves::gained(QWidget* control, Qt::FocusReason reason) {
    if (!isMove(reason)) return;
    gainedByMove_.insert(control);
    auto it = gotFocus_.find(control);
    if (it == gotFocus_.end()) return;
    const auto handler = it->second;
    QPointer<QWidget> self = control;
    handler();
    if (reason == Qt::MouseFocusReason && self && QApplication::focusWidget() != self) dropPendingPress(self);
}

void FocusMoves::lost(QWidget* control, Qt::FocusReason reason) {
    const bool hadGainedByMove = gainedByMove_.erase(control) > 0;
    if (!isMove(reason) || !hadGainedByMove) return;
    // Only a move to another control of the same window counts; the focus leaving for another window
    // is no move between fields.
    QPointer<QWidget> headingFor = QApplication::focusWidget();
    if (!headingFor || headingFor == control || headingFor->window() != control->window()) return;
    auto it = lostFocus_.find(control);
    if (it == lostFocus_.end()) return;
    const auto handler = it->second;
    handler();
    if (reason == Qt::MouseFocusReason && headingFor && QApplication::focusWidget() != headingFor)
        dropPendingPress(headingFor);
}

void FocusMoves::dropPendingPress(QWidget* target) {
    dropPressOn_ = target;
    // Installing twice keeps one filter; a filter on a control that has no handlers only drops presses.
    target->installEventFilter(this);
    // The press follows the focus move at once; should none come, forget it once this event is done.
    QTimer::singleShot(0, this, [this, guard = QPointer<QWidget>(target)] {
        if (guard == dropPressOn_) dropPressOn_ = nullptr;
    });
}
