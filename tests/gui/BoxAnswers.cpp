#include "tests/gui/BoxAnswers.h"

BoxAnswers::BoxAnswers(int ceiling) : ceiling_(ceiling) {
    MessageBoxes::setAnswerer([this](const BoxRequest& r) { return respond(r); });
}

BoxAnswers::~BoxAnswers() { MessageBoxes::setAnswerer({}); }

void BoxAnswers::answer(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }

QStringList BoxAnswers::texts() const {
    QStringList out;
    for (const auto& r : shown_) out << r.text;
    return out;
}

int BoxAnswers::respond(const BoxRequest& request) {
    shown_ << request;
    if (shown_.size() > ceiling_) {
        // A handler that keeps showing boxes would loop for ever; stop feeding it questions.
        if (problems_.isEmpty() || !problems_.last().startsWith(QLatin1String("more than")))
            problems_ << QStringLiteral("more than %1 boxes").arg(ceiling_);
        return request.buttons == BoxButtons::YesNo ? MessageBoxes::kNo : MessageBoxes::kOk;
    }
    if (request.buttons == BoxButtons::Ok) return MessageBoxes::kOk;
    if (answers_.empty()) {
        problems_ << QStringLiteral("no answer queued for \"%1\"").arg(request.text);
        return MessageBoxes::kNo;
    }
    const int a = answers_.front();
    answers_.pop_front();
    return a;
}
