#include "app/MENU_FORM.h"

#include <QAction>

#include "app/ScreenManager.h"
#include "ui_MENU_FORM.h"

MENU_FORM::MENU_FORM(ScreenManager& screens)
    : Screen(screens, ScreenId::MENU_FORM), ui_(std::make_unique<Ui::MENU_FORM>()) {
    ui_->setupUi(this);
    const std::pair<QAction*, void (MENU_FORM::*)()> items[] = {
        {ui_->ADD1, &MENU_FORM::ADD1_Click},       {ui_->UPDATE1, &MENU_FORM::UPDATE1_Click},
        {ui_->SEARCH1, &MENU_FORM::SEARCH1_Click}, {ui_->DELETE1, &MENU_FORM::DELETE1_Click},
        {ui_->EXIT1, &MENU_FORM::EXIT1_Click},
    };
    // An action's shortcut belongs to its window (Qt::WindowShortcut): the record screens have no menu.
    for (const auto& [action, handler] : items) {
        connect(action, &QAction::triggered, this,
                [this, handler = handler] { handle([&] { (this->*handler)(); }); });
    }
}

MENU_FORM::~MENU_FORM() = default;

void MENU_FORM::ADD1_Click() {
    switchTo(ScreenId::ADD_FORM);
}
void MENU_FORM::UPDATE1_Click() {
    switchTo(ScreenId::UPDATE_FORM);
}
void MENU_FORM::SEARCH1_Click() {
    switchTo(ScreenId::SEARCH_FORM);
}
void MENU_FORM::DELETE1_Click() {
    switchTo(ScreenId::DELETE_FORM);
}
void MENU_FORM::EXIT1_Click() {
    screens().Unload(ScreenId::MENU_FORM);
}
