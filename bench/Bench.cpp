// The harness: medians, child processes, and the report.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/Bench.h"

extern char** environ;

namespace bench {

using Measured = std::pair<const Part*, std::vector<Figure>>;

Figure figureOf(std::string action, std::int64_t rows, const std::vector<Sample>& korvale,
                const std::vector<Sample>& floor, Figure::Unit unit, double batch) {
    const auto median = [batch](const std::vector<Sample>& samples, double Sample::*clock) {
        std::vector<double> v;
        for (const Sample& s : samples) v.push_back(s.*clock);
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2 / batch;
    };
    const auto wall = &Sample::wall;
    const auto judged = unit == Figure::Unit::Wall ? wall : &Sample::cpu;
    return {
        std::move(action),  rows, unit, median(korvale, judged), median(floor, judged), median(korvale, wall),
        median(floor, wall)};
}

Child runChild(std::vector<std::string> argv) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    Child child;
    const auto monotonic = [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return now.tv_sec * 1000000000LL + now.tv_nsec;
    };
    child.spawnedNs = monotonic();
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char buffer[4096];
    for (ssize_t n = 0; rc == 0 && (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) child.out.append(buffer, static_cast<std::size_t>(n));
        if (n < 0 && errno != EINTR) break;
    }
    ::close(out[0]);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) continue;
    child.wall = static_cast<double>(monotonic() - child.spawnedNs) * 1e-9;
    child.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " failed");
    return child;
}

namespace {

std::string heading(const Part& part) {
    return part.subject + std::string(*part.floor ? " against " : "") + part.floor;
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// 1000000 as "1,000,000".
std::string rowsText(std::int64_t rows) {
    std::string text = std::to_string(rows);
    for (std::size_t at = text.size(); at > 3; at -= 3) text.insert(at - 3, 1, ',');
    return text;
}

std::string amount(const Figure& f, double value) {
    if (f.unit == Figure::Unit::MiB) return format("%.1f MiB", value);
    if (value < 1e-3) return format("%.1f µs", value * 1e6);
    return value < 1 ? format("%.2f ms", value * 1e3) : format("%.2f s", value);
}

// A part's figures set against the same action on its smallest book: a ratio, or for memory a difference.
struct Sizes {
    std::int64_t smallest = 0, largest = 0;
    std::map<std::string, double> base;
    explicit Sizes(const std::vector<Figure>& figures) {
        for (const Figure& f : figures) {
            if (f.rows == 0) continue;
            smallest = smallest ? std::min(smallest, f.rows) : f.rows;
            largest = std::max(largest, f.rows);
        }
        for (const Figure& f : figures)
            if (f.rows && f.rows == smallest) base[f.action] = f.value;
    }
    bool several() const { return smallest != largest; }
    std::optional<double> against(const Figure& f) const {
        const auto b = base.find(f.action);
        if (f.rows == 0 || b == base.end() || b->second <= 0) return std::nullopt;
        return f.unit == Figure::Unit::MiB ? f.value - b->second : f.value / b->second;
    }
};

// Writes the target's row of the targets table; returns whether it was met.
bool judge(std::ostream& md, const Part& part, const Rule& rule, const std::vector<Figure>& figures) {
    const Sizes sizes(figures);
    const std::string small = rowsText(sizes.smallest), large = rowsText(sizes.largest);
    const bool mib = rule.kind == Rule::Growth;
    md << "| " << part.subject << format(mib ? " at most %.0f MiB" : " within %.1f×", rule.limit)
       << (rule.kind == Rule::Floor ? std::string(" of ") + part.floor + (sizes.largest ? ", every size" : "")
           : mib                    ? " more at " + large + " rows than at " + small
                                    : " between " + small + " and " + large + " rows");
    std::optional<double> worst;
    std::string worstText = "not measured", where;
    for (const Figure& f : figures) {
        std::optional<double> value;
        if (rule.kind == Rule::Floor && f.floor > 0) value = f.value / f.floor;
        if (rule.kind != Rule::Floor && sizes.several() && f.rows == sizes.largest) value = sizes.against(f);
        if (!value || (worst && *value <= *worst)) continue;
        worst = value;
        where = f.action + (rule.kind == Rule::Floor && f.rows ? ", " + rowsText(f.rows) + " rows" : "");
        worstText = format(mib ? "%.2f MiB" : "%.2f×", *value);
    }
    const bool met = worst && *worst <= rule.limit;
    md << " | " << worstText << " | " << where << " | " << (met ? "yes" : "**no**") << " |\n";
    return met;
}

void table(std::ostream& md, const std::vector<Figure>& figures) {
    md << "| Action | Rows | KORVALE | Floor | × floor | Against the smallest book | Wall clock: KORVALE / "
          "floor "
          "| Judged on |\n|---|---:|---:|---:|---:|---:|---:|---|\n";
    const Sizes sizes(figures);
    for (const Figure& f : figures) {
        const bool mib = f.unit == Figure::Unit::MiB, floor = f.floor > 0;
        const auto against = sizes.against(f);
        constexpr const char* kJudged[] = {"CPU time", "wall clock", "VmHWM"};
        for (const std::string& cell :
             {f.action, f.rows ? rowsText(f.rows) : "–", amount(f, f.value), floor ? amount(f, f.floor) : "–",
              floor ? format("%.2f×", f.value / f.floor) : "–",
              against ? format(mib ? "%+.1f MiB" : "%.2f×", *against) : "–",
              mib ? "–" : amount(f, f.wall) + " / " + amount(f, f.wallFloor),
              std::string(kJudged[static_cast<int>(f.unit)])})
            md << "| " << cell << ' ';
        md << "|\n";
    }
    md << '\n';
}

// A panel per part timed on several books, from a file of a block per action: rows, KORVALE, floor in ms.
bool plot(const std::filesystem::path& png, const std::filesystem::path& scratch,
          const std::vector<Measured>& parts) {
    int panels = 0;
    std::string titles;
    for (const auto& [part, figures] : parts) {
        if (!Sizes(figures).several() || figures.front().unit == Figure::Unit::MiB) continue;
        std::ofstream data(scratch / (std::to_string(++panels) + ".dat"));
        titles += " \"" + heading(*part) + '"';
        for (std::size_t j = 0; j < figures.size(); ++j) {
            const Figure& f = figures[j];
            if (j == 0 || f.action != figures[j - 1].action)
                data << (j ? "\n\n\"" : "\"") << f.action << "\" rows korvale floor\n";
            data << f.rows << ' ' << f.value * 1e3 << ' ' << f.floor * 1e3 << '\n';
        }
    }
    if (panels == 0) return false;  // a run of parts timed on one book each (--part)
    try {
        runChild({"gnuplot", "-e",
                  "dir='" + scratch.string() + "'; panels=" + std::to_string(panels) + "; titles='" + titles +
                      "'; out='" + png.string() + "'",
                  KORVALE_BENCH_PLOT});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int writeReport(const std::filesystem::path& dir, const std::filesystem::path& scratch,
                const std::vector<Measured>& parts, const std::string& header) {
    std::ostringstream md, targets;
    int count = 0, missed = 0;
    for (const auto& [part, figures] : parts) {
        for (const Rule& rule : part->rules) missed += ++count && !judge(targets, *part, rule, figures);
    }
    md << "# KORVALE benchmark results\n\n"
       << header << "\n\n"
       << "Every figure is a median. Each action and its floor were timed alternately, and every repetition "
          "visited every book, so that whatever else the machine did fell on all alike. Work on the CPU is "
          "judged on the process's CPU time (user and system, all threads), durable writes on the wall "
          "clock; the wall clock of everything is shown beside. How each figure is taken: "
          "[README.md](README.md).\n\n"
       << "## Targets\n\n| Target | Worst case | Where | Met |\n|---|---:|---|:---:|\n"
       << targets.str() << '\n'
       << count - missed << " of " << count << " targets met.\n\n";
    for (const auto& [part, figures] : parts) {
        md << "## " << heading(*part) << "\n\n";
        table(md, figures);
    }
    const std::filesystem::path png = dir / "results.png";
    md << (plot(png, scratch, parts) ? "![median time against book size](results.png)\n"
                                     : "(No plot: gnuplot could not draw one.)\n");
    if (!(std::ofstream(dir / "RESULTS.md", std::ios::trunc) << md.str()))
        throw std::runtime_error("cannot write " + (dir / "RESULTS.md").string());
    return missed;
}

}  // namespace bench
