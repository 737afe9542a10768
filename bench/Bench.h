#pragma once

// What the parts of the benchmark share: the books, the clocks, the figures each part returns, and the
// targets they are held to.

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "store/ClientRecord.h"

namespace bench {

// A book made for one run: DIR/KORVALE.mdb with `rows` contacts.
struct Book {
    std::filesystem::path dir;
    std::int64_t rows = 0;
    std::vector<std::string> names;  // names spread over the book, for look-ups to cycle through
    std::string missing;             // a name no row has
};

// The contact stored as row `index` of every book, whatever its size.
korvale::ClientRecord contactAt(std::uint64_t index);
// The vCard 3.0 of contactAt(index), as the card library writes it, with the UID "card-<index>".
std::string cardAt(std::uint64_t index);
// Writes DIR/KORVALE.mdb with korvale::createBook and fills it in one transaction with the store's own
// insert statement.
Book makeBook(const std::filesystem::path& dir, std::int64_t rows);
// Makes DIR afresh, holding an empty book and nothing else; returns DIR.
std::filesystem::path emptyBook(const std::filesystem::path& dir);

// What a part is given: the books and their sizes, smallest first, a directory removed after the run, and
// the directory of the benchmark's programs.
struct Run {
    std::vector<Book> books;
    std::vector<std::int64_t> sizes;
    std::filesystem::path scratch, programs;
    bool quick = false;
    std::size_t reps(std::size_t full) const { return quick ? full / 8 + 3 : full; }
};

// A median beside the median of its floor. Work on the CPU is judged on the process's CPU time, which
// other users of the machine do not inflate; durable writes wait for the disk and are judged on the wall
// clock. Memory figures are in MiB and have no floor.
struct Figure {
    enum class Unit { Cpu, Wall, MiB };
    std::string action;
    std::int64_t rows = 0;  // the book's size; 0 for a figure taken on no book
    Unit unit = Unit::Cpu;
    double value = 0, floor = 0;  // on the judged clock, in seconds; or MiB
    double wall = 0, wallFloor = 0;
};

// A timing on the wall clock and in CPU time of the whole process (every thread, user and system).
struct Sample {
    double wall = 0, cpu = 0;
};

template <class Work>
Sample timed(Work&& work) {
    timespec cpu[2];
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu[0]);
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu[1]);
    return {wall.count(),
            static_cast<double>(cpu[1].tv_sec - cpu[0].tv_sec) + (cpu[1].tv_nsec - cpu[0].tv_nsec) * 1e-9};
}

// The medians, per operation when each sample timed `batch` of them.
Figure figureOf(std::string action, std::int64_t rows, const std::vector<Sample>& korvale,
                const std::vector<Sample>& floor, Figure::Unit unit, double batch);

// Times `korvale(b, i)` against `floor(b, i)`, each returning a Sample, for every book b (an index into
// `rows`) in each repetition i, so that whatever else the machine does falls on all books and both sides
// alike; which side goes first alternates, so that neither always finds the caches warmed by the other.
// The first `warm` repetitions are not kept. Appends a figure per book.
template <class Korvale, class Floor>
void compare(std::vector<Figure>& out, const std::string& action, Figure::Unit unit,
             const std::vector<std::int64_t>& rows, std::size_t reps, Korvale&& korvale, Floor&& floor,
             double batch = 1, std::size_t warm = 3) {
    std::vector<std::array<std::vector<Sample>, 2>> samples(rows.size());  // per book: KORVALE, floor
    for (std::size_t i = 0; i < warm + reps; ++i) {
        for (std::size_t b = 0; b < rows.size(); ++b) {
            std::array<Sample, 2> s;
            for (const std::size_t side : {(i + b) % 2, 1 - (i + b) % 2})
                s[side] = side ? floor(b, i) : korvale(b, i);
            for (std::size_t side = 0; side < 2 && i >= warm; ++side) samples[b][side].push_back(s[side]);
        }
    }
    for (std::size_t b = 0; b < rows.size(); ++b)
        out.push_back(figureOf(action, rows[b], samples[b][0], samples[b][1], unit, batch));
}

// A program run with this process's environment (looked for on PATH when its name has no slash), its
// standard output collected; fails unless it ends with 0.
struct Child {
    std::int64_t spawnedNs = 0;  // CLOCK_MONOTONIC just before the spawn
    std::string out;
    double wall = 0, cpu = 0;  // from the spawn to its end; its user and system time
    Sample sample() const { return {wall, cpu}; }
};
Child runChild(std::vector<std::string> argv);

// The parts, each returning its figures.
std::vector<Figure> storeReads(const Run& run);
std::vector<Figure> storeWrites(const Run& run);
std::vector<Figure> screenLoads(const Run& run);
std::vector<Figure> startUp(const Run& run);
std::vector<Figure> peakMemory(const Run& run);
std::vector<Figure> toolTransfers(const Run& run);
std::vector<Figure> historyWrites(const Run& run);
std::vector<Figure> firstSync(const Run& run);
std::vector<Figure> idleSync(const Run& run);
// The child side of peakMemory: `korvale-bench --memory-probe DIR NAME`.
int memoryProbe(int argc, char* argv[]);

// A target a part's figures are held to.
struct Rule {
    enum Kind {
        Floor,   // every figure within `limit` times its floor
        Sizes,   // every action within `limit` times, largest book against smallest
        Growth,  // every action at most `limit` more, largest book against smallest
    } kind;
    double limit;
};

// A part of the benchmark: what it measures, against what, and its targets.
struct Part {
    const char* subject;
    const char* floor;
    std::vector<Figure> (*measure)(const Run&);
    std::vector<Rule> rules;
    // Whether it works on the run's books; a run of parts that do not makes none.
    bool books = true;
};

// Writes RESULTS.md, and results.png through gnuplot, into `dir`: `header` under the title, then each
// part's targets and figures. The plot's data goes to `scratch`. Returns the count of targets missed.
int writeReport(const std::filesystem::path& dir, const std::filesystem::path& scratch,
                const std::vector<std::pair<const Part*, std::vector<Figure>>>& parts,
                const std::string& header);

}  // namespace bench
