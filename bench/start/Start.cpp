// Ends at the first paint: with KORVALE_START the application's start; else one bare maximised window.

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

// At the first paint, prints CLOCK_MONOTONIC in nanoseconds and ends at once: nothing after is counted.
class ReportShown : public QObject {
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
