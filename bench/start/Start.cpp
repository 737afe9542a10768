// The two programs the start-up figures spawn, each ending at the first paint of its window: built with
// KORVALE_START, the program's own start as main.cpp makes it; without, the least a Qt Widgets program
// does to put one maximised window on the screen.

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <unistd.h>

#ifdef KORVALE_START
#include "app/KorvaleApplication.h"
#include "app/ScreenManager.h"
#endif

namespace {

// At the first paint, writes the CLOCK_MONOTONIC time in nanoseconds to the standard output and ends the
// process at once, so that nothing after the first frame is counted.
class ReportShown : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        char line[32];
        const int n = std::snprintf(line, sizeof line, "%lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
        std::_Exit(::write(STDOUT_FILENO, line, static_cast<std::size_t>(n)) == n ? 0 : 3);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    ReportShown report;
#ifdef KORVALE_START
    KorvaleApplication korvale(QCoreApplication::applicationDirPath());
    QObject::connect(&korvale, &KorvaleApplication::ended, &qt, &QCoreApplication::quit);
    korvale.screens().screen(ScreenId::ENT_FRM)->installEventFilter(&report);
#else
    QWidget window;
    window.showMaximized();
    window.installEventFilter(&report);
#endif
    return qt.exec();
}
