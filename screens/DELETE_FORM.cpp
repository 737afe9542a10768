#include "screens/DELETE_FORM.h"

#include "app/MessageBoxes.h"
#include "app/ScreenManager.h"
#include "screens/Messages.h"
#include "ui_DELETE_FORM.h"

DELETE_FORM::DELETE_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::DELETE_FORM),
      ui_(setUpUi<Ui::DELETE_FORM>(this)),
      fields_(RecordFields::of(*ui_)) {
    ui_->Text10->setKeyRule(korvale::rules::letterRule);
    onClick(ui_->OK, &DELETE_FORM::OK_Click);
    onClick(ui_->REMOVE, &DELETE_FORM::REMOVE_Click);
    onClick(ui_->REFRESH, &DELETE_FORM::REFRESH_Click);
    onClick(ui_->BACK, &DELETE_FORM::BACK_Click);
}

DELETE_FORM::~DELETE_FORM() = default;

void DELETE_FORM::Form_Load() {
    RecordScreen::openAndWalk(store_, screens().appDir(), ui_->Text10);
}

void DELETE_FORM::OK_Click() {
    RecordScreen::lookUp(store_, ui_->Text10, fields_,
                         QStringLiteral("there is no record related to this name"));
}

void DELETE_FORM::REMOVE_Click() {
    // The row removed is the first of the name in the look-up field now, whatever the boxes show.
    store_.lookUp(RecordScreen::toStore(ui_->Text10->text()));
    const int sure = MessageBoxes::show(this, QStringLiteral("Are You Sure To remove This Record"),
                                        BoxButtons::YesNo, BoxIcon::Information, Titles::kOnLineKorvale);
    MessageBoxes::show(this, QString::number(store_.rows().RecordCount()));
    if (sure != MessageBoxes::kYes) return;
    store_.rows().Delete();
    MessageBoxes::show(this, QStringLiteral("Record has been deleted"), BoxButtons::Ok, BoxIcon::Information,
                       Titles::kOnLineKorvale);
}

void DELETE_FORM::REFRESH_Click() {
    RecordScreen::refreshLookUpScreen(this, fields_, ui_->Text10);
}

void DELETE_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
