#include "KorvaleApplication.h"

#include <QApplication>

#include "ADD_FORM.h"
#include "DELETE_FORM.h"
#include "ENT_FRM.h"
#include "Fonts.h"
#include "MENU_FORM.h"
#include "SEARCH_FORM.h"
#include "ScreenManager.h"
#include "UPDATE_FORM.h"
#include "frmSplash.h"

// The logo lives in this static library's resources, which are not registered on their own. (The
// resource macro declares its function in the enclosing namespace: this must stay outside any.)
static void registerResources() { Q_INIT_RESOURCE(korvale); }

namespace {

template <class T>
ScreenManager::Factory make() {
    return [](ScreenManager& screens) -> Screen* { return new T(screens); };
}

}  // namespace

KorvaleApplication::KorvaleApplication(const QString& appDir, QObject* parent)
    : QObject(parent), screens_(std::make_unique<ScreenManager>(appDir.toStdString())) {
    registerResources();
    registerFontSubstitutes();
    // The run ends by the application's own rule, not when Qt sees its last window go.
    QApplication::setQuitOnLastWindowClosed(false);

    screens_->registerScreen(ScreenId::ENT_FRM, make<ENT_FRM>());
    screens_->registerScreen(ScreenId::frmSplash, make<frmSplash>());
    screens_->registerScreen(ScreenId::MENU_FORM, make<MENU_FORM>());
    screens_->registerScreen(ScreenId::ADD_FORM, make<ADD_FORM>());
    screens_->registerScreen(ScreenId::UPDATE_FORM, make<UPDATE_FORM>());
    screens_->registerScreen(ScreenId::SEARCH_FORM, make<SEARCH_FORM>());
    screens_->registerScreen(ScreenId::DELETE_FORM, make<DELETE_FORM>());
    connect(screens_.get(), &ScreenManager::ended, this, &KorvaleApplication::ended);

    screens_->Load(ScreenId::ENT_FRM);
    screens_->Show(ScreenId::ENT_FRM);
}

KorvaleApplication::~KorvaleApplication() = default;
