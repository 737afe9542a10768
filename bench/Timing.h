#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <utility>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU time of the whole process (every thread, user and system), in seconds.
double processCpuSeconds();

// One timing of one piece of work: how long it took on the wall clock, and how much CPU the process
// spent on it. On a machine shared with others the wall clock also counts the time the work stood
// waiting for a core; the CPU time does not, but it leaves out waits for the disk.
struct Sample {
    double wall = 0.0;
    double cpu = 0.0;
};

inline Sample operator/(Sample s, double n) {
    return {s.wall / n, s.cpu / n};
}

// Runs `action` once and times it.
template <class Action>
Sample timeOnce(Action&& action) {
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();
    std::forward<Action>(action)();
    const double wall = secondsSince(start);
    return {wall, processCpuSeconds() - cpuStart};
}

// The middle of the values (the mean of the two middle ones for an even count); 0 for none.
double median(std::vector<double> values);

struct Medians {
    double wall = 0.0;
    double cpu = 0.0;
};
Medians medians(const std::vector<Sample>& samples);

// Two ways of doing the same work, timed alternately so that whatever else the machine is doing
// falls on both alike.
struct PairedSamples {
    std::vector<Sample> korvale;
    std::vector<Sample> floor;
};

template <class Korvale, class Floor>
PairedSamples timePaired(std::size_t repetitions, Korvale&& korvale, Floor&& floor) {
    PairedSamples samples;
    samples.korvale.reserve(repetitions);
    samples.floor.reserve(repetitions);
    for (std::size_t i = 0; i < repetitions; ++i) {
        // Which of the two goes first alternates too: a cache warmed by the first must not favour the
        // second every time.
        if (i % 2 == 0) {
            samples.korvale.push_back(korvale(i));
            samples.floor.push_back(floor(i));
        } else {
            samples.floor.push_back(floor(i));
            samples.korvale.push_back(korvale(i));
        }
    }
    return samples;
}

// The same as timePaired over several books at once: each repetition visits every book, so that the
// books, too, share whatever else the machine is doing. `korvale(book, i)` and `floor(book, i)`.
template <class Korvale, class Floor>
std::vector<PairedSamples> timeAcross(std::size_t books, std::size_t repetitions, Korvale&& korvale,
                                      Floor&& floor) {
    std::vector<PairedSamples> samples(books);
    for (std::size_t i = 0; i < repetitions; ++i) {
        for (std::size_t b = 0; b < books; ++b) {
            if ((i + b) % 2 == 0) {
                samples[b].korvale.push_back(korvale(b, i));
                samples[b].floor.push_back(floor(b, i));
            } else {
                samples[b].floor.push_back(floor(b, i));
                samples[b].korvale.push_back(korvale(b, i));
            }
        }
    }
    return samples;
}

}  // namespace bench
