#include "screens/DELETE_FORM.h"

#include "screens/EntryChecks.h"
#include "app/MessageBoxes.h"
#include "screens/RecordFields.h"
#include "app/ScreenManager.h"
#include "ui_DELETE_FORM.h"

namespace {
const QString kTitle = QStringLiteral("On-Line Korvale");
}

DELETE_FORM::DELETE_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::DELETE_FORM), ui_(std::make_unique<Ui::DELETE_FORM>()) {
    ui_->setupUi(this);
    EntryChecks::setKeyRule(this, {"Text10"}, korvale::rules::letterRule);
    onClick(ui_->OK, &DELETE_FORM::OK_Click);
    onClick(ui_->REMOVE, &DELETE_FORM::REMOVE_Click);
    onClick(ui_->REFRESH, &DELETE_FORM::REFRESH_Click);
    onClick(ui_->BACK, &DELETE_FORM::BACK_Click);
    ui_->BACK->setFocus();
}

DELETE_FORM::~DELETE_FORM() = default;

void DELETE_FORM::Form_Load() {
    RecordFields::openAndWalk(store_, screens().appDir(), this);
}

void DELETE_FORM::OK_Click() {
    RecordFields::lookUp(store_, this, "Text9", "there is no record related to this name");
}

void DELETE_FORM::REMOVE_Click() {
    // The row removed is the first of the name in the look-up field now, whatever the boxes show.
    store_.lookUp(RecordFields::toStore(ui_->Text10->text()));
    const int sure = MessageBoxes::show(this, QStringLiteral("Are You Sure To remove This Record"),
                                        BoxButtons::YesNo, BoxIcon::Information, kTitle);
    MessageBoxes::show(this, QString::number(store_.rows().RecordCount()));
    if (sure != MessageBoxes::kYes) return;
    store_.rows().Delete();
    MessageBoxes::show(this, QStringLiteral("Record has been deleted"), BoxButtons::Ok, BoxIcon::Information,
                       kTitle);
}

void DELETE_FORM::REFRESH_Click() {
    RecordFields::refreshLookUpScreen(this);
}

void DELETE_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
