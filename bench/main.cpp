// korvale-bench: what the operator does against what the engine or bare Qt needs; RESULTS.md and a plot.

#include <QApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include <sqlite3.h>
#include <unistd.h>

#include "app/Fonts.h"
#include "bench/Bench.h"

namespace {

using namespace bench;

// The parts in the order they run and are reported, with their targets. A new part is one more line.
const Part kParts[] = {
    Part("Store opens and look-ups", "the SQLite C API", storeReads,
         {{Rule::Floor, 1.5}, {Rule::Sizes, 1.5}}),
    Part("Durable add, change and delete", "the SQLite C API", storeWrites, {{Rule::Floor, 1.5}}),
    Part("Record screen load and show", "a bare window", screenLoads,
         {{Rule::Floor, 1.3}, {Rule::Sizes, 1.5}}),
    Part("Start-up", "a bare Qt application's maximised window", startUp, {{Rule::Floor, 1.3}}),
    Part("Peak memory", "", peakMemory, {{Rule::Growth, 10}}),
    Part("korvale-db export and import of the largest book",
         "SQLite reading or inserting the same rows plus the same bytes", toolTransfers, {{Rule::Floor, 2}}),
    Part("Durable change and delete with history", "the same on a book without history", historyWrites,
         {{Rule::Floor, 1.5}}),
    Part("korvale-db sync: the first, of 10,000 cards from a local Radicale",
         "one curl addressbook-multiget of all of them", firstSync, {{Rule::Floor, 2}}, false),
    Part("korvale-db sync with nothing to do at 10,000 contacts, in one request", "a budget of 50 ms",
         idleSync, {{Rule::Floor, 1}}, false),
};

constexpr const char* kUsage =
    "Usage: korvale-bench [--out DIR] [--quick] [--part WORD]\n"
    "  --out DIR    where RESULTS.md and results.png are written (default: the current directory)\n"
    "  --quick      books of 1,000 and 100,000 rows and fewer repetitions, for trying things out\n"
    "  --part WORD  only the parts whose subject holds WORD (\"sync\"), the books only if they need them\n"
    "Exit status: 0 when every target is met, 1 when one is missed, 2 for a wrong command line.\n";

// The books go into a directory under TMPDIR, removed at the end, and at the start if its owner is gone.
struct Scratch {
    std::filesystem::path dir;
    std::error_code ec;
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        const std::filesystem::path base = tmp && *tmp ? tmp : "/tmp";
        for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
            const std::string name = entry.path().filename().string();  // korvale-bench-PID
            if (name.starts_with("korvale-bench-") && ::kill(std::atoi(name.c_str() + 14), 0) != 0 &&
                errno == ESRCH)
                std::filesystem::remove_all(entry.path(), ec);
        }
        dir = base / ("korvale-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "runtime");
        // Qt wants a private runtime directory, and complains in every process that has none.
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); !runtime || !*runtime)
            ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
    }
    ~Scratch() { std::filesystem::remove_all(dir, ec); }
};

int measure(int argc, char* argv[], Run& run, const std::filesystem::path& out, const std::string& only) {
    QElapsedTimer clock;
    clock.start();
    const auto since = [&] { return static_cast<double>(clock.elapsed()) / 1e3; };
    const auto progress = [&](const std::string& what) {
        std::fprintf(stderr, "[%6.1f s] %s\n", since(), what.c_str());
    };
    const Scratch scratch;
    QApplication qt(argc, argv);
    registerFontSubstitutes();  // as the application does before its first screen
    QApplication::setQuitOnLastWindowClosed(false);
    run.scratch = scratch.dir;
    run.programs = std::filesystem::canonical("/proc/self/exe").parent_path();
    std::vector<const Part*> chosen;
    bool books = false;
    for (const Part& part : kParts)
        if (std::string_view(part.subject).find(only) != std::string_view::npos)
            chosen.push_back(&part), books = books || part.books;
    run.sizes = {1000, 100000};
    if (!run.quick) run.sizes.push_back(1000000);
    for (const std::int64_t rows : books ? run.sizes : std::vector<std::int64_t>{}) {
        run.books.push_back(makeBook(scratch.dir / std::to_string(rows), rows));
        progress("made a book of " + std::to_string(rows) + " rows");
    }
    const double making = since();
    std::vector<std::pair<const Part*, std::vector<Figure>>> measured;
    for (const Part* part : chosen) {
        measured.emplace_back(part, part->measure(run));
        progress(std::string(part->subject) + " measured");
    }
    std::string line, cpu = "an unknown CPU";
    for (std::ifstream cpuinfo("/proc/cpuinfo"); std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) cpu = line.substr(line.find(':') + 2);
    const char* command = std::getenv("KORVALE_BENCH_COMMAND");
    char header[512];
    std::snprintf(
        header, sizeof header,
        "Produced by `%s` in %.0f s (%.0f s of it making the books) on %s, %ld cores. SQLite %s, Qt "
        "%s, C++ compiler %s, QT_QPA_PLATFORM=offscreen.",
        command && *command ? command : "korvale-bench", since(), making, cpu.c_str(),
        ::sysconf(_SC_NPROCESSORS_ONLN), sqlite3_libversion(), qVersion(), __VERSION__);
    std::filesystem::create_directories(out);
    const int missed = writeReport(out, scratch.dir, measured, header);
    progress("wrote " + (out / "RESULTS.md").string() + ": " + std::to_string(missed) + " targets missed");
    return missed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Headless: the figures must not depend on a display being there.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    try {
        if (argc == 4 && std::string_view(argv[1]) == "--memory-probe") return memoryProbe(argc, argv);
        std::filesystem::path out = ".";
        Run run;
        std::string only;
        for (int i = 1; i < argc; ++i) {
            const std::string_view a = argv[i];
            if (a == "--quick")
                run.quick = true;
            else if (a == "--out" && i + 1 < argc)
                out = argv[++i];
            else if (a == "--part" && i + 1 < argc)
                only = argv[++i];
            else
                return (a == "--help" ? std::cout : std::cerr) << kUsage, a == "--help" ? 0 : 2;
        }
        return measure(argc, argv, run, out, only);
    } catch (const std::exception& e) {
        std::cerr << "korvale-bench: " << e.what() << '\n';
        return 3;
    }
}
