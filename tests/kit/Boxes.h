#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "app/MessageBoxes.h"

namespace kit {

// Answers every message box the application shows and keeps each one's face as one line,
// "title|text|buttons|icon" (buttons OK or YN, icon -, i or ?), followed by " @" and what the witness
// saw while the box was up (the book's rows, a count of syncs) when there is a witness.
//
// Answered boxes go through the application's box service and are never drawn; Real boxes are real
// modal QMessageBoxes, closed by a timer, so that the modal loop and the focus and activation changes
// around it are part of the test. Questions take the answers queued as 'Y' and 'N'; a question with no
// answer left, or more boxes than the ceiling, is noted in problems() and answered No.
class Boxes : public QObject {
public:
    enum class Kind { Answered, Real };
    explicit Boxes(Kind kind = Kind::Answered, QString answers = QString(),
                   std::function<QString()> witness = {});
    ~Boxes() override;

    QStringList seen;
    QStringList problems;

private:
    int respond(const QString& face, bool question);
    void poll();
    QString answers_;
    std::function<QString()> witness_;
    QTimer timer_;
};

}  // namespace kit
