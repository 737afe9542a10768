#pragma once

#include <memory>

#include "app/Screen.h"
#include "screens/RecordFields.h"
#include "store/ClientStore.h"

namespace Ui {
class DELETE_FORM;
}

// The deletion screen: looks a contact up like the search screen, and removes the first row of the
// name in the look-up field after a confirmation.
class DELETE_FORM : public Screen {
    Q_OBJECT
public:
    explicit DELETE_FORM(ScreenManager& screens);
    ~DELETE_FORM() override;

    void Form_Load() override;

private:
    void OK_Click();
    void REMOVE_Click();
    void REFRESH_Click();
    void BACK_Click();

    std::unique_ptr<Ui::DELETE_FORM> ui_;
    RecordFields fields_;
    korvale::ClientStore store_;
};
