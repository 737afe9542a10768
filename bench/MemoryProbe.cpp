#include "bench/MemoryProbe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "app/Fonts.h"
#include "app/MessageBoxes.h"
#include "app/ScreenList.h"
#include "app/ScreenManager.h"
#include "bench/Shown.h"
#include "bench/Spawn.h"

namespace bench {

namespace {

std::int64_t vmHwmKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6));
    }
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

}  // namespace

int runMemoryProbe(const std::filesystem::path& bookDir, const std::string& name) {
    int argc = 1;
    char program[] = "korvale-bench";
    char* argv[] = {program, nullptr};
    QApplication qt(argc, argv);
    registerFontSubstitutes();
    QApplication::setQuitOnLastWindowClosed(false);
    int boxes = 0;
    MessageBoxes::setAnswerer([&boxes](const BoxRequest&) {
        ++boxes;
        return MessageBoxes::kOk;
    });

    ScreenManager screens(bookDir);
    for (const ScreenEntry& screen : screenList()) screens.registerScreen(screen.id, screen.factory);
    const ScreenEntry* previous = nullptr;
    for (const ScreenEntry& screen : screenList()) {
        if (!screen.recordScreen) continue;
        if (previous) {
            screens.Unload(previous->id);
            flushDeferredDeletes();
        }
        previous = &screen;
        screens.Load(screen.id);
        FirstPaint shown(screens.screen(screen.id));
        screens.Show(screen.id);
        if (!shown.wait()) {
            std::fprintf(stderr, "memory probe: a screen was never painted\n");
            return 1;
        }
    }
    Screen* deletion = screens.screen(ScreenId::DELETE_FORM);
    auto* lookUpField = deletion->findChild<QLineEdit*>(QStringLiteral("Text10"));
    auto* ok = deletion->findChild<QAbstractButton*>(QStringLiteral("OK"));
    auto* nameField = deletion->findChild<QLineEdit*>(QStringLiteral("Text1"));
    if (!lookUpField || !ok || !nameField) {
        std::fprintf(stderr, "memory probe: the deletion screen lacks Text10, OK or Text1\n");
        return 1;
    }
    lookUpField->setText(QString::fromStdString(name));
    ok->click();
    QCoreApplication::processEvents();
    if (boxes != 0 || nameField->text() != QString::fromStdString(name)) {
        std::fprintf(stderr, "memory probe: the look-up did not show the row\n");
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(vmHwmKiB()));
    std::fflush(stdout);
    return 0;
}

std::int64_t peakResidentKiB(const std::filesystem::path& self, const Book& book) {
    const ChildRun run =
        runChild({self.string(), kMemoryProbeOption, book.dir.string(), book.presentNames.front()});
    return std::stoll(run.output);
}

}  // namespace bench
