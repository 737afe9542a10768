#include "screens/SEARCH_FORM.h"

#include "app/ScreenManager.h"
#include "ui_SEARCH_FORM.h"

SEARCH_FORM::SEARCH_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::SEARCH_FORM),
      ui_(setUpUi<Ui::SEARCH_FORM>(this)),
      fields_(RecordFields::of(*ui_)) {
    ui_->Text10->setKeyRule(korvale::rules::letterRule);
    onClick(ui_->SEARCH, &SEARCH_FORM::SEARCH_Click);
    onClick(ui_->REFRESH, &SEARCH_FORM::REFRESH_Click);
    onClick(ui_->BACK, &SEARCH_FORM::BACK_Click);
}

SEARCH_FORM::~SEARCH_FORM() = default;

void SEARCH_FORM::Form_Load() {
    RecordScreen::openAndWalk(store_, screens().appDir(), ui_->Text10);
}

void SEARCH_FORM::SEARCH_Click() {
    RecordScreen::lookUp(store_, ui_->Text10, fields_,
                         QStringLiteral("there is no record related to this name"));
}

void SEARCH_FORM::REFRESH_Click() {
    RecordScreen::refreshLookUpScreen(this, fields_, ui_->Text10);
}

void SEARCH_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
