// The least a Qt Widgets program does to put one maximised window on the screen.

#include <QApplication>
#include <QWidget>

#include "bench/start/ReportShown.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QWidget window;
    window.showMaximized();
    reportShownAndExit(&window);
    return qt.exec();
}
