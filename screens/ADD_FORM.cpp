#include "screens/ADD_FORM.h"

#include <cstring>

#include "screens/EntryChecks.h"
#include "app/MessageBoxes.h"
#include "screens/RecordFields.h"
#include "app/ScreenManager.h"
#include "ui_ADD_FORM.h"

using korvale::rules::digitRule;
using korvale::rules::letterRule;

ADD_FORM::ADD_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::ADD_FORM), ui_(std::make_unique<Ui::ADD_FORM>()) {
    ui_->setupUi(this);
    RecordFields::prepareCategoryBox(ui_->Combo1);
    EntryChecks::setKeyRule(this, {"Text1"}, letterRule);
    EntryChecks::setKeyRule(this, {"Text4", "Text5", "Text6", "Text7"}, digitRule);
    for (const auto& check : korvale::rules::addScreenChecks()) {
        // Entering the home telephone also checks that the date of birth reads as a date, whatever the
        // empty test found.
        const bool thenDate = std::strcmp(check.entered, "Text5") == 0;
        focusMoves_.onGotFocus(findChild<QWidget*>(QString::fromLatin1(check.entered)),
                               [this, &check, thenDate] {
                                   EntryChecks::runRequiredCheck(this, check);
                                   if (thenDate) EntryChecks::runDateCheck(this);
                               });
    }
    onClick(ui_->SUBMIT, &ADD_FORM::SUBMIT_Click);
    onClick(ui_->REFRESH, &ADD_FORM::REFRESH_Click);
    onClick(ui_->BACK, &ADD_FORM::BACK_Click);
    ui_->REFRESH->setFocus();
}

ADD_FORM::~ADD_FORM() = default;

void ADD_FORM::Form_Load() {
    RecordFields::openOnFirstRow(store_, screens().appDir());
    RecordFields::fillCategoryList(ui_->Combo1);
}

void ADD_FORM::SUBMIT_Click() {
    const int sure =
        MessageBoxes::show(this, QStringLiteral("Are you sure that you want to be add this record"),
                           BoxButtons::YesNo, BoxIcon::Information, QStringLiteral("CONFIRMATION"));
    if (sure == MessageBoxes::kYes) {
        store_.addRow(RecordFields::fromFields(this));
        MessageBoxes::show(this, QStringLiteral("Record Is Saved"), BoxButtons::Ok, BoxIcon::Information,
                           QStringLiteral("INFORMATION"));
    }
    const int more = MessageBoxes::show(this, QStringLiteral("do you want to add more record"),
                                        BoxButtons::YesNo, BoxIcon::Question);
    if (more == MessageBoxes::kYes) {
        RecordFields::clear(
            this, {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Combo1"});
    }
}

void ADD_FORM::REFRESH_Click() {
    RecordFields::clear(this, {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"});
    repaint();
}

void ADD_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}
