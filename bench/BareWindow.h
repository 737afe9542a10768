#pragma once

#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace bench {

// What a window is made of, reduced to plain Qt widgets: each control's kind, parent, place, text,
// font and colours. Style sheets, event filters, entry rules and the store are left out: that is what
// the screen adds over a bare window.
struct WindowPlan {
    enum class Kind { Plain, Frame, Label, LineEdit, ComboBox, PushButton };
    struct Control {
        Kind kind = Kind::Plain;
        int parent = -1;  // index of the containing control, -1 for the window itself
        QRect geometry;
        QString text;
        QStringList items;
        QFont font;
        bool ownFont = false;
        QPalette palette;
        bool ownPalette = false;
        bool autoFill = false;
        int frameStyle = 0;
        int alignment = 0;
        bool wordWrap = false;
        int maxLength = 32767;
        bool editable = false;
    };
    QString title;
    QPalette palette;
    bool ownPalette = false;
    bool autoFill = false;
    std::vector<Control> controls;
    // The control that holds the focus when the window opens; -1 for none.
    int focus = -1;
};

// Reads the plan off a window that is shown or has been.
WindowPlan planOf(const QWidget& window);

// Builds a hidden top-level window from the plan.
QWidget* buildBareWindow(const WindowPlan& plan);

}  // namespace bench
