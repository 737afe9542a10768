#pragma once

#include <memory>

#include "app/Screen.h"

namespace Ui {
class ENT_FRM;
}

// The entrance: the screen the application starts on.
class ENT_FRM : public Screen {
    Q_OBJECT
public:
    explicit ENT_FRM(ScreenManager& screens);
    ~ENT_FRM() override;

private:
    void EXIT_Click();
    void NEXT_Click();
    std::unique_ptr<Ui::ENT_FRM> ui_;
};
