#pragma once

#include <memory>

#include "app/Screen.h"
#include "screens/FocusMoves.h"
#include "screens/RecordFields.h"
#include "store/ClientStore.h"

namespace Ui {
class ADD_FORM;
}

// The addition screen: a new contact typed into the fields and stored as a new row.
class ADD_FORM : public Screen {
    Q_OBJECT
public:
    explicit ADD_FORM(ScreenManager& screens);
    ~ADD_FORM() override;

    void Form_Load() override;

private:
    void SUBMIT_Click();
    void REFRESH_Click();
    void BACK_Click();

    std::unique_ptr<Ui::ADD_FORM> ui_;
    RecordFields fields_;
    korvale::ClientStore store_;
    FocusMoves focusMoves_;
};
