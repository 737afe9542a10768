#include "app/MessageBoxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>

namespace {

MessageBoxes::Answerer& answerer() {
    static MessageBoxes::Answerer instance;
    return instance;
}

QMessageBox::Icon toQt(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information: return QMessageBox::Information;
        case BoxIcon::Question: return QMessageBox::Question;
        case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

int showReal(QWidget* owner, const BoxRequest& request) {
    QPointer<QWidget> window = owner ? owner->window() : nullptr;
    const auto buttons =
        request.buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(toQt(request.icon), request.title, request.text, buttons, window);
    box.setWindowModality(Qt::ApplicationModal);
    // A box is as wide as its text; with a short text ("1") a window manager cuts the title down to
    // "On-Lin...orvale". Leave room for the whole title and the title bar's buttons.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        const int titleWidth = QFontMetrics(QApplication::font()).horizontalAdvance(request.title);
        label->setMinimumWidth(std::min(std::max(titleWidth * 3 / 2 + 80, label->sizeHint().width()), 600));
    }
    const int pressed = box.exec();

    // A closing modal box leaves no window active, and an inactive window turns setFocus() into a mere
    // wish: the focus checks that follow a box would silently stop. Give the activation back at once.
    if (window && window->isVisible()) {
        QApplication::setActiveWindow(window);
        window->activateWindow();
    }
    if (request.buttons == BoxButtons::Ok) return MessageBoxes::kOk;
    return pressed == QMessageBox::Yes ? MessageBoxes::kYes : MessageBoxes::kNo;
}

}  // namespace

int MessageBoxes::show(QWidget* owner, const QString& text, BoxButtons buttons, BoxIcon icon,
                       const QString& title) {
    const BoxRequest request{text, title.isEmpty() ? QString::fromLatin1(kApplicationTitle) : title, buttons,
                             icon};
    if (answerer()) return answerer()(request);
    return showReal(owner, request);
}

void MessageBoxes::setAnswerer(Answerer a) { answerer() = std::move(a); }
