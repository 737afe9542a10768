#include "tests/kit/Boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace kit {

namespace {
constexpr int kCeiling = 12;

QString face(const QString& title, const QString& text, bool question, bool information, bool asking) {
    const QString icon = information ? QStringLiteral("i")
                         : asking    ? QStringLiteral("?")
                                     : QStringLiteral("-");
    return QStringList{title, text, question ? QStringLiteral("YN") : QStringLiteral("OK"), icon}.join('|');
}
}  // namespace

Boxes::Boxes(Kind kind, QString answers, std::function<QString()> witness)
    : answers_(std::move(answers)), witness_(std::move(witness)) {
    if (kind == Kind::Answered) {
        MessageBoxes::setAnswerer([this](const BoxRequest& r) {
            const bool question = r.buttons == BoxButtons::YesNo;
            return respond(
                face(r.title, r.text, question, r.icon == BoxIcon::Information, r.icon == BoxIcon::Question),
                question);
        });
        return;
    }
    connect(&timer_, &QTimer::timeout, this, &Boxes::poll);
    timer_.start(5);
}

Boxes::~Boxes() {
    MessageBoxes::setAnswerer({});
}

int Boxes::respond(const QString& boxFace, bool question) {
    seen << (witness_ ? boxFace + " @" + witness_() : boxFace);
    if (seen.size() > kCeiling) problems << QStringLiteral("more than %1 boxes").arg(kCeiling);
    if (!question) return MessageBoxes::kOk;
    if (answers_.isEmpty() || seen.size() > kCeiling) {
        problems << "no answer for " + boxFace;
        return MessageBoxes::kNo;
    }
    const QChar answer = answers_.front();
    answers_.remove(0, 1);
    return answer == QLatin1Char('Y') ? MessageBoxes::kYes : MessageBoxes::kNo;
}

void Boxes::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    const bool question = box->button(QMessageBox::Yes) != nullptr;
    const QString boxFace =
        face(box->windowTitle(), box->text(), question, box->icon() == QMessageBox::Information,
             box->icon() == QMessageBox::Question);
    const bool yes = respond(boxFace, question) == MessageBoxes::kYes;
    box->button(question ? (yes ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok)->click();
}

}  // namespace kit
