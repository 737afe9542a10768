#pragma once

#include <memory>

#include "app/Screen.h"

namespace Ui {
class MENU_FORM;
}

// The main menu: the hub every piece of work starts from and every record screen returns to.
class MENU_FORM : public Screen {
    Q_OBJECT
public:
    explicit MENU_FORM(ScreenManager& screens);
    ~MENU_FORM() override;

private:
    void ADD1_Click();
    void UPDATE1_Click();
    void SEARCH1_Click();
    void DELETE1_Click();
    void EXIT1_Click();
    std::unique_ptr<Ui::MENU_FORM> ui_;
};
