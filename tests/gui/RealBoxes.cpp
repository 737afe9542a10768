#include "tests/gui/RealBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

RealBoxes::RealBoxes(int ceiling) : ceiling_(ceiling) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &RealBoxes::poll);
    timer_.start();
}

void RealBoxes::answer(std::initializer_list<QString> buttons) { answers_.insert(answers_.end(), buttons); }

void RealBoxes::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    texts_ << box->text();
    if (texts_.size() > ceiling_) {
        box->reject();
        return;
    }
    QAbstractButton* button = box->button(QMessageBox::Ok);
    if (!button) {
        const QString wanted = answers_.empty() ? QStringLiteral("No") : answers_.front();
        if (!answers_.empty()) answers_.pop_front();
        button = box->button(wanted == QLatin1String("Yes") ? QMessageBox::Yes : QMessageBox::No);
    }
    button->click();
}
