#include "screens/UPDATE_FORM.h"

#include "screens/EntryChecks.h"
#include "app/MessageBoxes.h"
#include "screens/RecordFields.h"
#include "app/ScreenManager.h"
#include "ui_UPDATE_FORM.h"

using korvale::rules::digitRule;
using korvale::rules::letterRule;

namespace {
const QString kTitle = QStringLiteral("On-Line Korvale");
}

UPDATE_FORM::UPDATE_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::UPDATE_FORM), ui_(std::make_unique<Ui::UPDATE_FORM>()) {
    ui_->setupUi(this);
    RecordFields::prepareCategoryBox(ui_->Combo1);
    EntryChecks::setKeyRule(this, {"Text10", "Text1"}, letterRule);
    EntryChecks::setKeyRule(this, {"Text4", "Text5", "Text6", "Text7"}, digitRule);
    for (const auto& check : korvale::rules::updateScreenChecks()) {
        focusMoves_.onGotFocus(findChild<QWidget*>(QString::fromLatin1(check.entered)),
                               [this, &check] { EntryChecks::runRequiredCheck(this, check); });
    }
    focusMoves_.onLostFocus(ui_->Text4, [this] { handle([this] { Text4_LostFocus(); }); });
    onClick(ui_->OK, &UPDATE_FORM::OK_Click);
    onClick(ui_->UPDATE, &UPDATE_FORM::UPDATE_Click);
    onClick(ui_->REFERSH, &UPDATE_FORM::REFERSH_Click);
    onClick(ui_->BACK, &UPDATE_FORM::BACK_Click);
    ui_->Combo1->setFocus();
}

UPDATE_FORM::~UPDATE_FORM() = default;

void UPDATE_FORM::Form_Load() {
    RecordFields::openOnFirstRow(store_, screens().appDir());
    RecordFields::fillCategoryList(ui_->Combo1);
}

void UPDATE_FORM::OK_Click() {
    RecordFields::lookUp(store_, this, "Combo1", "There is no record related to this name");
}

void UPDATE_FORM::UPDATE_Click() {
    // The row written is the one the look-up field names now, not necessarily the one on show.
    store_.lookUp(RecordFields::toStore(ui_->Text10->text()));
    const int sure = MessageBoxes::show(this, QStringLiteral("Are You Sure To update This Record"),
                                        BoxButtons::YesNo, BoxIcon::Information, kTitle);
    if (sure != MessageBoxes::kYes) return;
    store_.changeCurrentRow(RecordFields::fromFields(this));
    MessageBoxes::show(this, QStringLiteral("Record has been updated"), BoxButtons::Ok, BoxIcon::Information,
                       kTitle);
}

void UPDATE_FORM::REFERSH_Click() {
    RecordFields::clear(this,
                        {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Combo1"});
    repaint();
}

void UPDATE_FORM::BACK_Click() {
    switchTo(ScreenId::MENU_FORM);
}

void UPDATE_FORM::Text4_LostFocus() {
    EntryChecks::runDateCheck(this);
}
