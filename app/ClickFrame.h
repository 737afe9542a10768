#pragma once

#include <QFrame>

// A frame that reports a click of its own: a press and release of the left button on the frame
// itself, not on a child that keeps its clicks.
class ClickFrame : public QFrame {
    Q_OBJECT
public:
    explicit ClickFrame(QWidget* parent = nullptr) : QFrame(parent) {}

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
