#pragma once

#include <memory>

#include "app/Screen.h"
#include "screens/RecordFields.h"
#include "store/ClientStore.h"

namespace Ui {
class SEARCH_FORM;
}

// The search screen: the first contact of an exact name, shown and never written.
class SEARCH_FORM : public Screen {
    Q_OBJECT
public:
    explicit SEARCH_FORM(ScreenManager& screens);
    ~SEARCH_FORM() override;

    void Form_Load() override;

private:
    void SEARCH_Click();
    void REFRESH_Click();
    void BACK_Click();

    std::unique_ptr<Ui::SEARCH_FORM> ui_;
    RecordFields fields_;
    korvale::ClientStore store_;
};
