#include "screens/UPDATE_FORM.h"

#include "app/MessageBoxes.h"
#include "app/ScreenManager.h"
#include "screens/EntryChecks.h"
#include "screens/Messages.h"
#include "ui_UPDATE_FORM.h"

using korvale::rules::digitRule;
using korvale::rules::letterRule;

UPDATE_FORM::UPDATE_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::UPDATE_FORM),
      ui_(setUpUi<Ui::UPDATE_FORM>(this)),
      fields_(RecordFields::of(*ui_)) {
    RecordScreen::prepareCategoryBox(ui_->Combo1);
    for (FilteredEdit* field : {ui_->Text10, ui_->Text1}) field->setKeyRule(letterRule);
    for (FilteredEdit* field : {ui_->Text4, ui_->Text5, ui_->Text6, ui_->Text7}) field->setKeyRule(digitRule);
    EntryChecks::watch(focusMoves_, fields_, korvale::rules::updateScreenChecks());
    focusMoves_.onLostFocus(ui_->Text4, [this] { handle([this] { Text4_LostFocus(); }); });
    onClick(ui_->OK, &UPDATE_FORM::OK_Click);
    onClick(ui_->UPDATE, &UPDATE_FORM::UPDATE_Click);
    onClick(ui_->REFERSH, &UPDATE_FORM::REFERSH_Click);
    onClick(ui_->BACK, &UPDATE_FORM::BACK_Click);
}

UPDATE_FORM::~UPDATE_FORM() = default;

void UPDATE_FORM::Form_Load() {
    RecordScreen::openOnFirstRow(store_, screens().appDir());
    RecordScreen::fillCategoryList(ui_->Combo1);
}

void UPDATE_FORM::OK_Click() {
    RecordScreen::lookUp(store_, ui_->Text10, fields_,
                         QStringLiteral("There is no record related to this name"));
}

void UPDATE_FORM::UPDATE_Click() {
    // The row written is the one the look-up field names now, not necessarily the one on show.
    store_.lookUp(RecordScreen::toStore(ui_->Text10->text()));
    const int sure = MessageBoxes::show(this, QStringLiteral("Are You Sure To update This Record"),
                                        BoxButtons::YesNo, BoxIcon::Information, Titles::kOnLineKorvale);
    if (sure != MessageBoxes::kYes) return;
    store_.changeCurrentRow(fields_.record());
    MessageBoxes::show(this, QStringLiteral("Record has been updated"), BoxButtons::Ok, BoxIcon::Information,
                       Titles::kOnLineKorvale);
}

void UPDATE_FORM::REFERSH_Click() {
    fields_.clear(true);
    repaint();
}

void UPDATE_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}

void UPDATE_FORM::Text4_LostFocus() {
    EntryChecks::runDateCheck(fields_);
}
