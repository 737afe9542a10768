#include "screens/SEARCH_FORM.h"

#include "screens/EntryChecks.h"
#include "screens/RecordFields.h"
#include "app/ScreenManager.h"
#include "ui_SEARCH_FORM.h"

SEARCH_FORM::SEARCH_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::SEARCH_FORM), ui_(std::make_unique<Ui::SEARCH_FORM>()) {
    ui_->setupUi(this);
    EntryChecks::setKeyRule(this, {"Text10"}, korvale::rules::letterRule);
    onClick(ui_->SEARCH, &SEARCH_FORM::SEARCH_Click);
    onClick(ui_->REFRESH, &SEARCH_FORM::REFRESH_Click);
    onClick(ui_->BACK, &SEARCH_FORM::BACK_Click);
    ui_->BACK->setFocus();
}

SEARCH_FORM::~SEARCH_FORM() = default;

void SEARCH_FORM::Form_Load() {
    RecordFields::openAndWalk(store_, screens().appDir(), this);
}

void SEARCH_FORM::SEARCH_Click() {
    RecordFields::lookUp(store_, this, "Text9", "there is no record related to this name");
}

void SEARCH_FORM::REFRESH_Click() {
    RecordFields::refreshLookUpScreen(this);
}

void SEARCH_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
