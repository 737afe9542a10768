#pragma once

#include <QColor>
#include <QPushButton>

// A push button drawn in the graphical style: its face shows its own colour, with a thin border,
// a dotted one while it has the focus. Drawn directly rather than through a style sheet, which
// would build a style per button each time a screen is loaded.
class GraphicalButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QColor faceColor READ faceColor WRITE setFaceColor)
public:
    explicit GraphicalButton(QWidget* parent = nullptr) : QPushButton(parent) {}

    QColor faceColor() const { return faceColor_; }
    void setFaceColor(const QColor& color) {
        faceColor_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor faceColor_{Qt::white};
};
