// korvale-bench: times every operator action on books of 1,000 to 1,000,000 contacts against what the
// engine and a bare Qt window need for the same work, and writes RESULTS.md and results.png.

#include <QApplication>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>

#include "bench/BookMaker.h"
#include "bench/BookShelf.h"
#include "store/ClientStore.h"
#include "app/Fonts.h"
#include "bench/MemoryProbe.h"
#include "bench/Report.h"
#include "bench/ScreenBench.h"
#include "bench/SqliteFloor.h"
#include "bench/StartupBench.h"
#include "bench/StoreBench.h"
#include "bench/Timing.h"

namespace {

// The look-ups cycle through this many names spread over the book. Few enough that the pages they reach
// stay in the processor's caches as they would for one name looked up at a time, in the small book and
// the large one alike.
constexpr std::size_t kLookUpNames = 16;

struct Options {
    std::filesystem::path out = ".";
    std::vector<std::int64_t> sizes{1000, 100000, 1000000};
    std::filesystem::path booksIn;
    bool keepBooks = false;
    bool quick = false;
};

void usage(std::ostream& out) {
    out << "Usage: korvale-bench [--out DIR] [--sizes N,N,...] [--books DIR] [--keep-books] [--quick]\n"
           "       korvale-bench --help\n"
           "\n"
           "--out DIR      where RESULTS.md and results.png are written (default: the current directory)\n"
           "--sizes LIST   book sizes in rows (default: 1000,100000,1000000)\n"
           "--books DIR    make the books under DIR instead of a new temporary directory\n"
           "--keep-books   leave the books behind\n"
           "--quick        fewer repetitions, for trying the benchmark out\n"
           "\n"
           "Exit status: 0 when every target is met, 1 when one is missed (the report is written all the\n"
           "same), 2 for a wrong command line, 3 when the benchmark itself fails.\n";
}

std::vector<std::int64_t> parseSizes(std::string_view text) {
    std::vector<std::int64_t> sizes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const long long rows = std::stoll(std::string(text.substr(start, comma - start)));
        if (rows < 1) throw std::invalid_argument("a book needs at least one row");
        sizes.push_back(rows);
        start = comma + 1;
    }
    return sizes;
}

Options parse(int argc, char* argv[]) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--out" && hasValue) {
            o.out = argv[++i];
        } else if (a == "--sizes" && hasValue) {
            o.sizes = parseSizes(argv[++i]);
        } else if (a == "--books" && hasValue) {
            o.booksIn = argv[++i];
        } else if (a == "--keep-books") {
            o.keepBooks = true;
        } else if (a == "--quick") {
            o.quick = true;
        } else {
            throw std::invalid_argument("unknown argument " + std::string(a));
        }
    }
    return o;
}

std::string firstLineWith(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(line.find_first_not_of(" \t", colon + 1));
        }
    }
    return "unknown CPU";
}

std::string commandLine(int argc, char* argv[]) {
    if (const char* given = std::getenv("KORVALE_BENCH_COMMAND"); given && *given) return given;
    std::string line = std::filesystem::path(argv[0]).filename().string();
    for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
    return line;
}

void progress(const bench::Clock::time_point start, const std::string& what) {
    std::fprintf(stderr, "[%6.1f s] %s\n", bench::secondsSince(start), what.c_str());
}

int run(int argc, char* argv[], const Options& options) {
    const auto start = bench::Clock::now();
    bench::BookShelf shelf(options.booksIn, options.keepBooks);
    // Qt wants a private runtime directory and complains in every process that has none.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); !runtime || !*runtime) {
        const std::filesystem::path dir = shelf.dir() / "runtime";
        std::filesystem::create_directory(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    QApplication qt(argc, argv);
    // As the application object does before its first screen.
    registerFontSubstitutes();
    QApplication::setQuitOnLastWindowClosed(false);
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
    const std::filesystem::path here = self.parent_path();

    bench::StoreRepetitions storeReps;
    std::size_t screenReps = 41;
    std::size_t startupReps = 31;
    if (options.quick) {
        storeReps = {11, 51, 5};
        screenReps = 7;
        startupReps = 5;
    }

    std::vector<bench::Book> books;
    for (const std::int64_t rows : options.sizes) {
        const std::filesystem::path dir = shelf.dir() / std::to_string(rows);
        std::filesystem::create_directories(dir);
        books.push_back(bench::makeBook(dir, rows, kLookUpNames));
        progress(start, "made a book of " + std::to_string(rows) + " rows in " +
                            std::to_string(books.back().secondsToMake) + " s");
        if (bench::journalMode(korvale::ClientStore::bookPath(dir)) != "wal") {
            throw std::runtime_error("the book is not in WAL mode");
        }
    }

    // Every repetition visits every book, so that whatever else the machine does during the run falls
    // on all sizes alike.
    std::vector<bench::Figure> figures = bench::benchStore(books, storeReps);
    progress(start, "store operations timed");
    const auto screens = bench::benchScreens(books, screenReps);
    figures.insert(figures.end(), screens.begin(), screens.end());
    progress(start, "record screens timed");

    std::vector<bench::MemoryFigure> memory;
    for (const bench::Book& book : books) {
        memory.push_back({book.rows, bench::peakResidentKiB(self, book)});
        progress(start, "peak memory measured on " + std::to_string(book.rows) + " rows");
    }

    figures.push_back(bench::benchStartup(here / "korvale-bench-start-korvale",
                                          here / "korvale-bench-start-bare", startupReps));
    progress(start, "start-up timed");

    bench::RunInfo info;
    info.command = commandLine(argc, argv);
    info.machine = firstLineWith("/proc/cpuinfo", "model name") + ", " +
                   std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
    info.versions = std::string("SQLite ") + sqlite3_libversion() + ", Qt " + qVersion() + ", g++ " +
                    __VERSION__ + ", QT_QPA_PLATFORM=offscreen";
    info.notes = {
        "Store figures: the store's own calls (ClientStore, Recordset), each against the same SQL "
        "statements prepared, stepped and finalized straight through the SQLite C API on a connection "
        "opened like the store's (read-write, busy_timeout 5000 ms, synchronous FULL, the book in WAL "
        "mode). Every repetition visits every book, after a few untimed ones. Repetitions: " +
            std::to_string(storeReps.opens) + " per open, " + std::to_string(storeReps.lookUps) +
            " per look-up (each of 8 look-ups), " + std::to_string(storeReps.writes) + " per write.",
        "Opens: a fresh store per repetition (ADD_FORM, UPDATE_FORM: open on the whole table + "
        "MoveFirst; SEARCH_FORM, DELETE_FORM: open + ClientStore::walkNames()); closing it is not "
        "timed. Floor: open the connection, then the first row, or the last stored Name and the check "
        "that no Name is null.",
        "Look-ups: on one open store per book, cycling through " + std::to_string(kLookUpNames) +
            " names spread over the book; a found row has its nine columns read in the screens' order; "
            "the missing name ends, as on the screens, with the failed read of the first column.",
        "Writes: each returns only when durable (synchronous FULL, WAL), and each starts from an empty "
        "WAL (an untimed PRAGMA wal_checkpoint(TRUNCATE) before it), on both sides. The store's rows "
        "and the floor's are different rows; every added row is changed and then deleted again, so "
        "each book keeps its size.",
        "Record screens: ScreenManager with the screen's factory registered as KorvaleApplication "
        "does; Load + Show timed until the window's first paint; Unload untimed between repetitions. "
        "The bare window is built from plain QWidget, QFrame, QLabel, QLineEdit, QComboBox and "
        "QPushButton with the screen's places, texts, fonts, palettes and focus, read off the screen "
        "itself; no style sheets, no handlers, no store. Repetitions per screen, each visiting every "
        "book: " +
            std::to_string(screenReps) + ".",
        "Start-up: a child process per repetition (" + std::to_string(startupReps) + "), " +
            "timed from the spawn to the first paint of the entrance screen, which the child reports "
            "on CLOCK_MONOTONIC before it exits at once; its CPU time is the child's user and system "
            "time. The bare program shows one maximised QWidget the same way.",
        "Memory: a child process per book size loads and shows ADD_FORM, UPDATE_FORM, SEARCH_FORM and "
        "DELETE_FORM in turn (each switch unloads the one before), looks a name up with the deletion "
        "screen's OK button, and reads VmHWM from /proc/self/status.",
    };
    for (const bench::Book& book : books) {
        char made[160];
        std::snprintf(made, sizeof made,
                      "Book of %lld rows made in %.1f s (korvale::createBook, then one transaction).",
                      static_cast<long long>(book.rows), book.secondsToMake);
        info.notes.push_back(made);
    }
    info.totalSeconds = bench::secondsSince(start);

    std::filesystem::create_directories(options.out);
    const bench::ReportResult report = bench::writeReport(options.out, figures, memory, info);
    std::cout << report.markdown;
    progress(start, "wrote " + (options.out / "RESULTS.md").string() + ": " + std::to_string(report.met) +
                        " of " + std::to_string(report.targets) + " targets met");
    return report.met == report.targets ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Headless: the figures must not depend on a display being there.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    try {
        if (argc == 4 && std::string_view(argv[1]) == bench::kMemoryProbeOption) {
            return bench::runMemoryProbe(argv[2], argv[3]);
        }
        if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
            usage(std::cout);
            return 0;
        }
        Options options;
        try {
            options = parse(argc, argv);
        } catch (const std::exception& e) {
            std::cerr << "korvale-bench: " << e.what() << "\n\n";
            usage(std::cerr);
            return 2;
        }
        return run(argc, argv, options);
    } catch (const std::exception& e) {
        std::cerr << "korvale-bench: " << e.what() << '\n';
        return 3;
    }
}
