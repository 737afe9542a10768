#pragma once

#include <memory>

#include "app/Screen.h"
#include "screens/FocusMoves.h"
#include "screens/RecordFields.h"
#include "store/ClientStore.h"

namespace Ui {
class UPDATE_FORM;
}

// The updation screen: a contact fetched by its exact name, edited in the fields and written back.
class UPDATE_FORM : public Screen {
    Q_OBJECT
public:
    explicit UPDATE_FORM(ScreenManager& screens);
    ~UPDATE_FORM() override;

    void Form_Load() override;

private:
    void OK_Click();
    void UPDATE_Click();
    void REFERSH_Click();
    void BACK_Click();
    void Text4_LostFocus();

    std::unique_ptr<Ui::UPDATE_FORM> ui_;
    RecordFields fields_;
    korvale::ClientStore store_;
    FocusMoves focusMoves_;
};
