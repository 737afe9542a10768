#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>

// Answers real modal boxes while they are shown: a timer looks for the active modal widget, notes its
// text and clicks a button. Keeps the real modal loop, the window re-activation and the focus events
// around it in the test. A ceiling stops a looping handler from hanging the test.
class RealBoxes : public QObject {
    Q_OBJECT
public:
    explicit RealBoxes(int ceiling = 10);

    // Queued buttons to click on questions ("Yes"/"No"); OK boxes are closed with OK.
    void answer(std::initializer_list<QString> buttons);
    const QStringList& texts() const { return texts_; }
    int count() const { return static_cast<int>(texts_.size()); }

private:
    void poll();
    QTimer timer_;
    int ceiling_;
    std::deque<QString> answers_;
    QStringList texts_;
};
