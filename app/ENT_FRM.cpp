#include "app/ENT_FRM.h"

#include "app/ScreenManager.h"
#include "ui_ENT_FRM.h"

ENT_FRM::ENT_FRM(ScreenManager& screens)
    : Screen(screens, ScreenId::ENT_FRM), ui_(std::make_unique<Ui::ENT_FRM>()) {
    ui_->setupUi(this);
    onClick(ui_->EXIT, &ENT_FRM::EXIT_Click);
    onClick(ui_->NEXT, &ENT_FRM::NEXT_Click);
}

ENT_FRM::~ENT_FRM() = default;

void ENT_FRM::EXIT_Click() {
    screens().Unload(ScreenId::ENT_FRM);
}

// The entrance leads through the splash, which leads on to the main menu.
void ENT_FRM::NEXT_Click() {
    switchTo(ScreenId::frmSplash);
}
