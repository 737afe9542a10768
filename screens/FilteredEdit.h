#pragma once

#include <QLineEdit>

#include "rules/KeyRules.h"

// A text field whose typed characters pass a keystroke rule before the field sees them. Keys that
// produce no character (arrows, Home, End, Delete, function keys, Shift) reach the field untouched;
// text a handler puts into the field is never filtered.
class FilteredEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FilteredEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

    // No rule: the field takes every character.
    void setKeyRule(korvale::rules::KeyRule rule) { rule_ = rule; }

    // The character code a key press produces, as the rules see it; 0 when it produces none.
    static int characterCode(const QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Dead keys and compose deliver their text here, without a key press.
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString filtered(const QString& text) const;
    korvale::rules::KeyRule rule_ = nullptr;
};
