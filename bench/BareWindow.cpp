#include "bench/BareWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace bench {

namespace {

using Kind = WindowPlan::Kind;

Kind kindOf(const QWidget* w) {
    if (qobject_cast<const QComboBox*>(w)) return Kind::ComboBox;
    if (qobject_cast<const QLineEdit*>(w)) return Kind::LineEdit;
    if (qobject_cast<const QAbstractButton*>(w)) return Kind::PushButton;
    if (qobject_cast<const QLabel*>(w)) return Kind::Label;
    if (qobject_cast<const QFrame*>(w)) return Kind::Frame;
    return Kind::Plain;
}

// Composite widgets build their inner parts themselves; only containers are looked into.
bool holdsControls(Kind kind) {
    return kind == Kind::Plain || kind == Kind::Frame;
}

void collect(const QWidget* parent, int parentIndex, WindowPlan& plan, const QWidget* focus) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        WindowPlan::Control c;
        c.kind = kindOf(w);
        c.parent = parentIndex;
        c.geometry = w->geometry();
        c.font = w->font();
        c.ownFont = w->testAttribute(Qt::WA_SetFont);
        c.palette = w->palette();
        c.ownPalette = w->testAttribute(Qt::WA_SetPalette);
        c.autoFill = w->autoFillBackground();
        if (auto* frame = qobject_cast<QFrame*>(w)) c.frameStyle = frame->frameStyle();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            c.text = label->text();
            c.alignment = static_cast<int>(label->alignment());
            c.wordWrap = label->wordWrap();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            c.text = edit->text();
            c.maxLength = edit->maxLength();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            c.text = button->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            c.editable = combo->isEditable();
            for (int i = 0; i < combo->count(); ++i) c.items << combo->itemText(i);
        }
        plan.controls.push_back(c);
        const int index = static_cast<int>(plan.controls.size()) - 1;
        // The focus of a combo box with a text part rests on its inner line edit.
        if (focus && (w == focus || w->isAncestorOf(focus))) plan.focus = index;
        if (holdsControls(c.kind)) collect(w, index, plan, focus);
    }
}

QWidget* make(const WindowPlan::Control& c, QWidget* parent) {
    switch (c.kind) {
        case Kind::Frame: {
            auto* frame = new QFrame(parent);
            frame->setFrameStyle(c.frameStyle);
            return frame;
        }
        case Kind::Label: {
            auto* label = new QLabel(c.text, parent);
            label->setFrameStyle(c.frameStyle);
            label->setAlignment(Qt::Alignment(c.alignment));
            label->setWordWrap(c.wordWrap);
            return label;
        }
        case Kind::LineEdit: {
            auto* edit = new QLineEdit(c.text, parent);
            edit->setMaxLength(c.maxLength);
            return edit;
        }
        case Kind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(c.editable);
            combo->addItems(c.items);
            return combo;
        }
        case Kind::PushButton:
            return new QPushButton(c.text, parent);
        case Kind::Plain:
            break;
    }
    return new QWidget(parent);
}

}  // namespace

WindowPlan planOf(const QWidget& window) {
    WindowPlan plan;
    plan.title = window.windowTitle();
    plan.palette = window.palette();
    plan.ownPalette = window.testAttribute(Qt::WA_SetPalette);
    plan.autoFill = window.autoFillBackground();
    collect(&window, -1, plan, window.focusWidget());
    return plan;
}

QWidget* buildBareWindow(const WindowPlan& plan) {
    auto* window = new QWidget;
    window->setWindowTitle(plan.title);
    if (plan.ownPalette) window->setPalette(plan.palette);
    window->setAutoFillBackground(plan.autoFill);
    std::vector<QWidget*> made;
    made.reserve(plan.controls.size());
    for (const WindowPlan::Control& c : plan.controls) {
        QWidget* parent = c.parent < 0 ? window : made[static_cast<std::size_t>(c.parent)];
        QWidget* w = make(c, parent);
        w->setGeometry(c.geometry);
        if (c.ownFont) w->setFont(c.font);
        if (c.ownPalette) w->setPalette(c.palette);
        w->setAutoFillBackground(c.autoFill);
        made.push_back(w);
    }
    if (plan.focus >= 0) made[static_cast<std::size_t>(plan.focus)]->setFocus();
    return window;
}

}  // namespace bench
