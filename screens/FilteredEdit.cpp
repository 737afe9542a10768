#include "screens/FilteredEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {
constexpr char32_t kDeleteCode = 0x7f;
}

int FilteredEdit::characterCode(const QKeyEvent* event) {
    const QList<uint> text = event->text().toUcs4();
    if (text.size() != 1) return 0;
    const char32_t code = text.front();
    // Delete deletes; it types nothing.
    if (code == kDeleteCode) return 0;
    // Ctrl with a letter types a control code (Ctrl+V is 22). Some platforms hand over the plain
    // letter instead; the rules must see the same code everywhere.
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods == Qt::ControlModifier && code < 0x80 && QChar::isLetter(code))
        return static_cast<int>(code & 0x1f);
    return static_cast<int>(code);
}

QString FilteredEdit::filtered(const QString& text) const {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        const int kept = rule_(static_cast<int>(c));
        if (kept == korvale::rules::kDrop) continue;
        const char32_t k = static_cast<char32_t>(kept);
        out += QString::fromUcs4(&k, 1);
    }
    return out;
}

void FilteredEdit::keyPressEvent(QKeyEvent* event) {
    const int code = rule_ ? characterCode(event) : 0;
    if (code == 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int kept = rule_(code);
    if (kept == korvale::rules::kDrop) {
        // Swallowed here, so that Enter, for one, starts nothing anywhere else either.
        event->accept();
        return;
    }
    if (kept == code && event->text().toUcs4().front() == static_cast<char32_t>(code)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // A replaced character (a letter made small) goes in as typed text, so the field's maximum
    // length still holds.
    const char32_t k = static_cast<char32_t>(kept);
    QKeyEvent replaced(event->type(), event->key(), event->modifiers() & ~Qt::ControlModifier,
                       QString::fromUcs4(&k, 1), event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void FilteredEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!rule_ || event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    const QString kept = filtered(event->commitString());
    if (kept == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent replaced(event->preeditString(), event->attributes());
    replaced.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&replaced);
}
