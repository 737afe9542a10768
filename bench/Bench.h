#pragma once

// What the parts of the benchmark share: the books, the clocks, the figures and the targets.

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
    std::string missing;
};

// The contact stored as row `index` of every book; its vCard 3.0 from the card library, UID "card-<index>".
korvale::ClientRecord contactAt(std::uint64_t index);
std::string cardAt(std::uint64_t index);
// DIR made afresh holding DIR/KORVALE.mdb from korvale::createBook, and only that, empty or filled in one
// transaction by the store's insert statement; emptyBook returns DIR.
Book makeBook(const std::filesystem::path& dir, std::int64_t rows);
std::filesystem::path emptyBook(const std::filesystem::path& dir);

// What a part is given: the books, smallest first, a directory removed after the run, the programs' one.
struct Run {
    std::vector<Book> books;
    std::vector<std::int64_t> sizes;
    std::filesystem::path scratch, programs;
    bool quick = false;
    std::size_t reps(std::size_t full) const { return quick ? full / 8 + 3 : full; }
};

// A median and its floor's: CPU time (other users do not inflate it), wall clock (durable writes), or MiB.
struct Figure {
    enum class Unit { Cpu, Wall, MiB };
    std::string action;
    std::int64_t rows = 0;  // the book's size; 0 for a figure taken on no book
    Unit unit = Unit::Cpu;
    double value = 0, floor = 0, wall = 0, wallFloor = 0;  // on the judged clock in seconds, or MiB; wall
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

// Times `time(floor, b, i)`, KORVALE (floor false) and its floor, on every book b in each repetition i, so
// that other work falls on all alike; who goes first alternates, so neither always finds warm caches.
template <class Time>
void compare(std::vector<Figure>& out, const std::string& action, Figure::Unit unit,
             const std::vector<std::int64_t>& rows, std::size_t reps, Time&& time, double batch = 1,
             std::size_t warm = 3) {
    std::vector<std::array<std::vector<Sample>, 2>> samples(rows.size());  // per book: KORVALE, floor
    for (std::size_t i = 0; i < warm + reps; ++i) {
        for (std::size_t b = 0; b < rows.size(); ++b) {
            std::array<Sample, 2> s;
            for (const std::size_t side : {(i + b) % 2, 1 - (i + b) % 2}) s[side] = time(side == 1, b, i);
            for (std::size_t side = 0; side < 2 && i >= warm; ++side) samples[b][side].push_back(s[side]);
        }
    }
    for (std::size_t b = 0; b < rows.size(); ++b)
        out.push_back(figureOf(action, rows[b], samples[b][0], samples[b][1], unit, batch));
}

// A program run with this environment (on PATH), its output collected; fails unless it ends with 0.
struct Child {
    std::int64_t spawnedNs = 0;  // CLOCK_MONOTONIC just before the spawn
    std::string out;
    double wall = 0, cpu = 0;  // from the spawn to its end; its user and system time
    Sample sample() const { return {wall, cpu}; }
};
Child runChild(std::vector<std::string> argv);

using Measure = std::vector<Figure>(const Run&);
Measure storeReads, storeWrites, screenLoads, startUp, peakMemory, toolTransfers, historyWrites, firstSync,
    idleSync;
// The child side of peakMemory: `korvale-bench --memory-probe DIR NAME`.
int memoryProbe(int argc, char* argv[]);

// Each figure within `limit` × its floor; or largest book against smallest within `limit` ×, or + `limit`.
struct Rule {
    enum Kind { Floor, Sizes, Growth } kind;
    double limit;
};

// A part of the benchmark: what it measures, against what, its targets, and whether it needs the books.
struct Part {
    Part(const char* s, const char* f, Measure* m, std::vector<Rule> r, bool b = true)
        : subject(s), floor(f), measure(m), rules(std::move(r)), books(b) {}
    const char *subject, *floor;
    Measure* measure;
    std::vector<Rule> rules;
    bool books;
};

// Writes RESULTS.md (`header`, the targets, the figures) and results.png into `dir`; returns the misses.
int writeReport(const std::filesystem::path& dir, const std::filesystem::path& scratch,
                const std::vector<std::pair<const Part*, std::vector<Figure>>>& parts,
                const std::string& header);

}  // namespace bench
