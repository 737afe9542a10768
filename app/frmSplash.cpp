#include "app/frmSplash.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include "app/ScreenManager.h"
#include "app/Version.h"
#include "ui_frmSplash.h"

namespace {

// Keys such as arrows, function keys and Shift produce no character; neither does Delete, although
// some platforms hand it over as code 127.
bool producesCharacter(const QKeyEvent* event) {
    const QString text = event->text();
    return !text.isEmpty() && text != QChar(0x7f);
}

// A label sized to its text that keeps its right edge where it was placed.
void fitToTextKeepingRightEdge(QLabel* label) {
    const int right = label->geometry().right();
    label->adjustSize();
    label->move(right - label->width() + 1, label->y());
}

}  // namespace

frmSplash::frmSplash(ScreenManager& screens)
    : Screen(screens, ScreenId::frmSplash), ui_(std::make_unique<Ui::frmSplash>()) {
    ui_->setupUi(this);
    // A fixed border and no caption.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setFixedSize(size());
    // The labels and the logo lie on the frame; a click on them must not count as a click on the frame.
    for (QLabel* label : ui_->Frame1->findChildren<QLabel*>()) label->setAttribute(Qt::WA_NoMousePropagation);
    for (QLabel* label : {ui_->lblCompanyProduct, ui_->lblProductName}) fitToTextKeepingRightEdge(label);
    connect(ui_->Frame1, &ClickFrame::clicked, this, [this] { handle([this] { Frame1_Click(); }); });
}

frmSplash::~frmSplash() = default;

QString frmSplash::versionLine() {
    return QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

void frmSplash::Form_Load() {
    ui_->lblVersion->setText(versionLine());
    fitToTextKeepingRightEdge(ui_->lblVersion);
}

void frmSplash::present() {
    if (const QScreen* where = QGuiApplication::primaryScreen()) {
        const QRect area = where->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (!producesCharacter(event)) {
        Screen::keyPressEvent(event);
        return;
    }
    Form_KeyPress();
}

void frmSplash::Form_KeyPress() {
    screens().Unload(ScreenId::frmSplash);
}

void frmSplash::Frame1_Click() {
    switchTo(ScreenId::MENU_FORM);
}
