#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <set>

class QWidget;

// Turns Qt's focus events into the operator's moves between the controls of one window, and runs the
// window's GotFocus and LostFocus handlers on them.
//
// A move is Tab, Shift+Tab, a mouse click, a label's shortcut or a handler setting the focus. The
// window itself coming and going (a message box opening or closing, a popup, Alt for the menu) is not
// a move: counting it would make a check's own box run the check again, for ever.
class FocusMoves : public QObject {
    Q_OBJECT
public:
    explicit FocusMoves(QObject* parent = nullptr) : QObject(parent) {}

    void onGotFocus(QWidget* control, std::function<void()> handler);
    void onLostFocus(QWidget* control, std::function<void()> handler);

    static bool isMove(Qt::FocusReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* control);
    void gained(QWidget* control, Qt::FocusReason reason);
    void lost(QWidget* control, Qt::FocusReason reason);
    // A click whose focus move a handler has taken back is lost: the press that is on its way to the
    // control must not arrive, or a button would be left drawn down with its release already gone.
    void dropPendingPress(QWidget* target);

    std::map<QWidget*, std::function<void()>> gotFocus_;
    std::map<QWidget*, std::function<void()>> lostFocus_;
    std::set<QWidget*> watched_;
    std::set<QWidget*> gainedByMove_;
    QPointer<QWidget> dropPressOn_;
};
