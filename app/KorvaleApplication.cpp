#include "app/KorvaleApplication.h"

#include <QApplication>

#include "app/Fonts.h"
#include "app/ScreenList.h"
#include "app/ScreenManager.h"

// The logo lives in this static library's resources, which are not registered on their own. (The
// resource macro declares its function in the enclosing namespace: this must stay outside any.)
static void registerResources() {
    Q_INIT_RESOURCE(korvale);
}

KorvaleApplication::KorvaleApplication(const QString& appDir, QObject* parent)
    : QObject(parent), screens_(std::make_unique<ScreenManager>(appDir.toStdString())) {
    registerResources();
    registerFontSubstitutes();
    // The run ends by the application's own rule, not when Qt sees its last window go.
    QApplication::setQuitOnLastWindowClosed(false);

    for (const ScreenEntry& entry : screenList()) screens_->registerScreen(entry.id, entry.factory);
    connect(screens_.get(), &ScreenManager::ended, this, &KorvaleApplication::ended);

    screens_->Load(ScreenId::ENT_FRM);
    screens_->Show(ScreenId::ENT_FRM);
}

KorvaleApplication::~KorvaleApplication() = default;
