#pragma once

#include <QList>
#include <QStringList>
#include <deque>

#include "app/MessageBoxes.h"

// Answers every message box the application shows, without showing it, and keeps what each box said.
// A Yes/No box takes the next queued answer; a box beyond the ceiling or a question with no answer
// queued is an error the test reports, never a hang.
class BoxAnswers {
public:
    explicit BoxAnswers(int ceiling = 20);
    ~BoxAnswers();
    BoxAnswers(const BoxAnswers&) = delete;
    BoxAnswers& operator=(const BoxAnswers&) = delete;

    // Queues answers to the questions to come, in order (MessageBoxes::kYes or kNo).
    void answer(std::initializer_list<int> answers);

    const QList<BoxRequest>& shown() const { return shown_; }
    QStringList texts() const;
    // Forgets the boxes shown so far.
    void clear() { shown_.clear(); }
    // What went wrong on the way: a question without a queued answer, or too many boxes.
    const QStringList& problems() const { return problems_; }
    int unusedAnswers() const { return static_cast<int>(answers_.size()); }

private:
    int respond(const BoxRequest& request);
    int ceiling_;
    std::deque<int> answers_;
    QList<BoxRequest> shown_;
    QStringList problems_;
};
