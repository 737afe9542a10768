#pragma once

#include <memory>

#include "app/Screen.h"

namespace Ui {
class frmSplash;
}

// The splash with the version line: a click on its frame opens the main menu, a character key closes it.
class frmSplash : public Screen {
    Q_OBJECT
public:
    explicit frmSplash(ScreenManager& screens);
    ~frmSplash() override;

    void Form_Load() override;
    void present() override;

    // "Version " and the three version numbers of this build.
    static QString versionLine();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_KeyPress();
    void Frame1_Click();
    std::unique_ptr<Ui::frmSplash> ui_;
};
