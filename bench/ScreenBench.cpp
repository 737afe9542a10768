#include "bench/ScreenBench.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/BareWindow.h"
#include "app/ScreenList.h"
#include "app/ScreenManager.h"
#include "bench/Shown.h"
#include "bench/Timing.h"

namespace bench {

namespace {

constexpr std::size_t kWarmUp = 2;

// Load and Show as the screen switch makes them, until the first paint; the unload happens untimed.
Sample loadAndShow(ScreenManager& screens, ScreenId id) {
    std::unique_ptr<FirstPaint> watch;
    const Sample t = timeOnce([&] {
        screens.Load(id);
        watch = std::make_unique<FirstPaint>(screens.screen(id));
        screens.Show(id);
        watch->wait();
    });
    const bool painted = watch->painted();
    watch.reset();
    QPointer<Screen> gone = screens.screen(id);
    screens.Unload(id);
    flushDeferredDeletes();
    if (!painted) throw std::runtime_error("a record screen was never painted");
    if (gone) throw std::runtime_error("an unloaded screen was not destroyed");
    return t;
}

Sample bareShow(const WindowPlan& plan) {
    std::unique_ptr<QWidget> window;
    std::unique_ptr<FirstPaint> watch;
    const Sample t = timeOnce([&] {
        window.reset(buildBareWindow(plan));
        watch = std::make_unique<FirstPaint>(window.get());
        window->showMaximized();
        watch->wait();
    });
    const bool painted = watch->painted();
    watch.reset();
    window.reset();
    flushDeferredDeletes();
    if (!painted) throw std::runtime_error("the bare window was never painted");
    return t;
}

std::size_t controlCount(const WindowPlan& plan) {
    return plan.controls.size();
}

}  // namespace

std::vector<Figure> benchScreens(const std::vector<Book>& books, std::size_t repetitions) {
    std::vector<Figure> figures;
    for (const ScreenEntry& screen : screenList()) {
        if (!screen.recordScreen) continue;
        // As the application object sets the screens up, with each book in place of the program's own.
        std::vector<std::unique_ptr<ScreenManager>> managers;
        std::vector<WindowPlan> plans;
        for (const Book& book : books) {
            managers.push_back(std::make_unique<ScreenManager>(book.dir));
            ScreenManager& manager = *managers.back();
            manager.registerScreen(screen.id, screen.factory);
            // The bare window copies the screen as it stands once shown.
            manager.Load(screen.id);
            {
                FirstPaint shown(manager.screen(screen.id));
                manager.Show(screen.id);
                if (!shown.wait()) throw std::runtime_error("a record screen was never painted");
            }
            plans.push_back(planOf(*manager.screen(screen.id)));
            manager.Unload(screen.id);
            flushDeferredDeletes();
        }

        auto korvale = [&](std::size_t b, std::size_t) { return loadAndShow(*managers[b], screen.id); };
        auto bare = [&](std::size_t b, std::size_t) { return bareShow(plans[b]); };
        timeAcross(books.size(), kWarmUp, korvale, bare);
        std::vector<PairedSamples> samples = timeAcross(books.size(), repetitions, korvale, bare);
        for (std::size_t b = 0; b < books.size(); ++b) {
            figures.push_back(figureOf(std::string(screen.name) + ": Load + Show",
                                       "a bare window of " + std::to_string(controlCount(plans[b])) +
                                           " plain Qt widgets of the screen's kinds, places, texts, fonts, "
                                           "palettes and focus, maximised, until painted",
                                       Kind::Screen, books[b].rows, samples[b]));
        }
    }
    return figures;
}

}  // namespace bench
