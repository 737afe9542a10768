#include "MemoryProbe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "Fonts.h"
#include "MessageBoxes.h"
#include "RecordScreens.h"
#include "ScreenManager.h"
#include "Shown.h"
#include "Spawn.h"

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
    const auto order = recordScreens();
    for (const RecordScreen& screen : order) screens.registerScreen(screen.id, screen.factory);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) {
            screens.Unload(order[i - 1].id);
            flushDeferredDeletes();
        }
        screens.Load(order[i].id);
        FirstPaint shown(screens.screen(order[i].id));
        screens.Show(order[i].id);
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
