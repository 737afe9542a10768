// The program's own start, as main.cpp makes it, ending when the entrance screen is first painted.

#include <QApplication>

#include "app/KorvaleApplication.h"
#include "bench/start/ReportShown.h"
#include "app/ScreenManager.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    KorvaleApplication korvale(QCoreApplication::applicationDirPath());
    QObject::connect(&korvale, &KorvaleApplication::ended, &qt, &QCoreApplication::quit);
    reportShownAndExit(korvale.screens().screen(ScreenId::ENT_FRM));
    return qt.exec();
}
