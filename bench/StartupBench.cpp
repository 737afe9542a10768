#include "bench/StartupBench.h"

#include <stdexcept>
#include <string>

#include "bench/Spawn.h"
#include "bench/Timing.h"

namespace bench {

namespace {

constexpr std::size_t kWarmUp = 2;

// The wall clock runs from the spawn to the first frame; the CPU time is all the child used, and it
// ends at once after its first frame.
Sample timeToFirstFrame(const std::filesystem::path& program) {
    const ChildRun run = runChild({program.string()});
    const std::int64_t shownNs = std::stoll(run.output);
    if (shownNs < run.startedNs) {
        throw std::runtime_error(program.string() + " reported a time before its start");
    }
    return {static_cast<double>(shownNs - run.startedNs) / 1e9, run.cpuSeconds};
}

}  // namespace

Figure benchStartup(const std::filesystem::path& korvaleStart, const std::filesystem::path& bareStart,
                    std::size_t repetitions) {
    auto korvale = [&](std::size_t) { return timeToFirstFrame(korvaleStart); };
    auto bare = [&](std::size_t) { return timeToFirstFrame(bareStart); };
    timePaired(kWarmUp, korvale, bare);
    const PairedSamples samples = timePaired(repetitions, korvale, bare);
    return figureOf("KORVALE: QApplication + KorvaleApplication, ENT_FRM painted",
                    "QApplication + one maximised QWidget, painted", Kind::Startup, 0, samples);
}

}  // namespace bench
