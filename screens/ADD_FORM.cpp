#include "screens/ADD_FORM.h"

#include "app/MessageBoxes.h"
#include "app/ScreenManager.h"
#include "screens/EntryChecks.h"
#include "screens/Messages.h"
#include "ui_ADD_FORM.h"

using korvale::rules::digitRule;
using korvale::rules::letterRule;

ADD_FORM::ADD_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::ADD_FORM), ui_(setUpUi<Ui::ADD_FORM>(this)), fields_(RecordFields::of(*ui_)) {
    RecordScreen::prepareCategoryBox(ui_->Combo1);
    ui_->Text1->setKeyRule(letterRule);
    for (FilteredEdit* field : {ui_->Text4, ui_->Text5, ui_->Text6, ui_->Text7}) field->setKeyRule(digitRule);
    EntryChecks::watch(focusMoves_, fields_, korvale::rules::addScreenChecks());
    onClick(ui_->SUBMIT, &ADD_FORM::SUBMIT_Click);
    onClick(ui_->REFRESH, &ADD_FORM::REFRESH_Click);
    onClick(ui_->BACK, &ADD_FORM::BACK_Click);
}

ADD_FORM::~ADD_FORM() = default;

void ADD_FORM::Form_Load() {
    RecordScreen::openOnFirstRow(store_, screens().appDir());
    RecordScreen::fillCategoryList(ui_->Combo1);
}

void ADD_FORM::SUBMIT_Click() {
    const int sure =
        MessageBoxes::show(this, QStringLiteral("Are you sure that you want to be add this record"),
                           BoxButtons::YesNo, BoxIcon::Information, Titles::kConfirmation);
    if (sure == MessageBoxes::kYes) {
        store_.addRow(fields_.record());
        MessageBoxes::show(this, QStringLiteral("Record Is Saved"), BoxButtons::Ok, BoxIcon::Information,
                           Titles::kInformation);
    }
    const int more = MessageBoxes::show(this, QStringLiteral("do you want to add more record"),
                                        BoxButtons::YesNo, BoxIcon::Question);
    if (more == MessageBoxes::kYes) fields_.clear(true);
}

void ADD_FORM::REFRESH_Click() {
    fields_.clear(false);
    repaint();
}

void ADD_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
