#include "bench/Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace bench {

namespace {

constexpr double kStoreLimit = 1.5;
constexpr double kScreenLimit = 1.3;
constexpr double kStartupLimit = 1.3;
constexpr double kScaleLimit = 1.5;
constexpr double kMemoryLimitMiB = 10.0;

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string duration(double seconds) {
    if (seconds < 1e-3) return format("%.1f µs", seconds * 1e6);
    if (seconds < 1.0) return format("%.2f ms", seconds * 1e3);
    return format("%.2f s", seconds);
}

std::string ratio(double r) {
    return format("%.2f×", r);
}

std::string rowsText(std::int64_t rows) {
    std::string digits = std::to_string(rows);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

double floorLimit(Kind kind) {
    switch (kind) {
        case Kind::StoreRead:
        case Kind::StoreWrite:
            return kStoreLimit;
        case Kind::Screen:
            return kScreenLimit;
        case Kind::Startup:
            return kStartupLimit;
    }
    return kStoreLimit;
}

bool heldToScale(Kind kind) {
    return kind == Kind::StoreRead || kind == Kind::Screen;
}

// One target: the worst case over the figures it covers.
struct Target {
    std::string text;
    bool measured = false;
    double worst = 0.0;
    std::string where;
    double limit = 0.0;
    std::string unit = "×";

    void consider(double value, const std::string& place) {
        if (!measured || value > worst) {
            worst = value;
            where = place;
        }
        measured = true;
    }
    bool met() const { return measured && worst <= limit; }
};

class Figures {
public:
    explicit Figures(const std::vector<Figure>& figures) : all_(figures) {
        for (const Figure& f : figures) {
            if (f.kind != Kind::Startup) sizes_.insert(f.rows);
        }
    }

    std::int64_t smallest() const { return sizes_.empty() ? 0 : *sizes_.begin(); }
    std::int64_t largest() const { return sizes_.empty() ? 0 : *sizes_.rbegin(); }

    std::optional<double> at(const std::string& action, std::int64_t rows) const {
        for (const Figure& f : all_) {
            if (f.action == action && f.rows == rows) return f.seconds();
        }
        return std::nullopt;
    }
    // The figure over the same action on the smallest book.
    std::optional<double> scale(const Figure& f) const {
        const auto base = at(f.action, smallest());
        if (!base || *base <= 0.0) return std::nullopt;
        return f.seconds() / *base;
    }
    // Actions in the order they were first measured.
    std::vector<std::string> actions(Kind kind) const {
        std::vector<std::string> out;
        for (const Figure& f : all_) {
            if (f.kind == kind && std::find(out.begin(), out.end(), f.action) == out.end())
                out.push_back(f.action);
        }
        return out;
    }
    const std::vector<Figure>& all() const { return all_; }

private:
    const std::vector<Figure>& all_;
    std::set<std::int64_t> sizes_;
};

std::string verdict(const Figure& f, const Figures& figures) {
    std::vector<std::string> misses;
    if (f.floorSeconds() > 0 && f.seconds() / f.floorSeconds() > floorLimit(f.kind))
        misses.push_back("floor");
    if (heldToScale(f.kind) && f.rows == figures.largest() && figures.largest() != figures.smallest()) {
        const auto s = figures.scale(f);
        if (s && *s > kScaleLimit) misses.push_back("size");
    }
    if (misses.empty()) return "yes";
    std::string text = "**no**";
    for (const auto& m : misses) text += " (" + m + ")";
    return text;
}

void figureTable(std::ostringstream& md, const Figures& figures, std::initializer_list<Kind> kinds,
                 const std::string& floorTitle) {
    md << "| Action | Rows | KORVALE | " << floorTitle << " | × floor | × " << rowsText(figures.smallest())
       << " rows | Wall clock: KORVALE / floor | Met |\n";
    md << "|---|---:|---:|---:|---:|---:|---:|:---:|\n";
    for (const Kind kind : kinds) {
        for (const std::string& action : figures.actions(kind)) {
            for (const Figure& f : figures.all()) {
                if (f.action != action || f.kind != kind) continue;
                const auto s = figures.scale(f);
                md << "| " << f.action << " | " << rowsText(f.rows) << " | " << duration(f.seconds()) << " | "
                   << duration(f.floorSeconds()) << " | "
                   << (f.floorSeconds() > 0 ? ratio(f.seconds() / f.floorSeconds()) : std::string("–"))
                   << " | " << (s ? ratio(*s) : std::string("–")) << " | " << duration(f.korvale.wall)
                   << " / " << duration(f.floor.wall) << " | " << verdict(f, figures) << " |\n";
            }
        }
    }
    md << '\n';
}

std::string plotData(const Figures& figures, Kind kind, bool floor) {
    std::ostringstream data;
    for (const std::string& action : figures.actions(kind)) {
        data << "# " << action << '\n';
        for (const Figure& f : figures.all()) {
            if (f.action == action && f.kind == kind) {
                data << f.rows << ' ' << (floor ? f.floorSeconds() : f.seconds()) * 1e3 << '\n';
            }
        }
        data << "\n\n";
    }
    return data.str();
}

// Gnuplot's enhanced text reads "_" as a subscript.
std::string literal(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '_' || c == '^' || c == '{' || c == '}' || c == '@' || c == '&' || c == '~') out += '\\';
        out += c;
    }
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string panel(const Figures& figures, Kind kind, const std::string& title, const std::string& block) {
    const auto actions = figures.actions(kind);
    std::ostringstream gp;
    gp << "set title " << quoted(title) << '\n';
    gp << "plot ";
    for (std::size_t i = 0; i < actions.size(); ++i) {
        gp << (i ? ", " : "") << "$" << block << " index " << i << " using 1:2 with linespoints lw 2 pt 7 lc "
           << i + 1 << " title " << quoted(literal(actions[i])) << ", $" << block << "floor index " << i
           << " using 1:2 with lines dt 2 lw 1 lc " << i + 1 << " notitle";
    }
    gp << "\n";
    return gp.str();
}

bool drawPlot(const std::filesystem::path& png, const Figures& figures) {
    std::ostringstream gp;
    gp << "$reads << EOD\n" << plotData(figures, Kind::StoreRead, false) << "EOD\n";
    gp << "$readsfloor << EOD\n" << plotData(figures, Kind::StoreRead, true) << "EOD\n";
    gp << "$writes << EOD\n" << plotData(figures, Kind::StoreWrite, false) << "EOD\n";
    gp << "$writesfloor << EOD\n" << plotData(figures, Kind::StoreWrite, true) << "EOD\n";
    gp << "$screens << EOD\n" << plotData(figures, Kind::Screen, false) << "EOD\n";
    gp << "$screensfloor << EOD\n" << plotData(figures, Kind::Screen, true) << "EOD\n";
    gp << "set terminal pngcairo size 1800,820 font 'DejaVu Sans,10'\n";
    gp << "set output " << quoted(png.string()) << '\n';
    gp << "set multiplot layout 1,3 title "
       << quoted(
              "Median time against book size, log scales. Solid: KORVALE; dashed: its floor. CPU time, "
              "wall clock for durable writes.")
       << '\n';
    gp << "set logscale xy\nset grid xtics ytics mytics\nset format x '10^{%T}'\n";
    gp << "set xrange [" << figures.smallest() / 2 << ":" << figures.largest() * 2 << "]\n";
    gp << "set xlabel 'rows in the book'\nset ylabel 'milliseconds'\n";
    gp << "set key outside bottom center vertical maxrows 6 font ',8'\n";
    gp << panel(figures, Kind::StoreRead, "Store opens and look-ups (floor: SQLite C API)", "reads");
    gp << panel(figures, Kind::StoreWrite, "Durable writes (floor: SQLite C API)", "writes");
    gp << panel(figures, Kind::Screen, "Record screen load + show (floor: bare window)", "screens");
    gp << "unset multiplot\n";

    std::FILE* pipe = ::popen("gnuplot 2>&1", "w");
    if (!pipe) return false;
    const std::string script = gp.str();
    std::fwrite(script.data(), 1, script.size(), pipe);
    return ::pclose(pipe) == 0 && std::filesystem::exists(png);
}

}  // namespace

Figure figureOf(std::string action, std::string floorAction, Kind kind, std::int64_t rows,
                const PairedSamples& samples, std::size_t batch) {
    Figure f;
    f.action = std::move(action);
    f.floorAction = std::move(floorAction);
    f.kind = kind;
    f.rows = rows;
    const double n = static_cast<double>(batch);
    const Medians korvale = medians(samples.korvale);
    const Medians floor = medians(samples.floor);
    f.korvale = {korvale.wall / n, korvale.cpu / n};
    f.floor = {floor.wall / n, floor.cpu / n};
    f.repetitions = samples.korvale.size();
    return f;
}

ReportResult writeReport(const std::filesystem::path& dir, const std::vector<Figure>& all,
                         const std::vector<MemoryFigure>& memory, const RunInfo& info) {
    const Figures figures(all);
    const std::string small = rowsText(figures.smallest());
    const std::string large = rowsText(figures.largest());

    std::vector<Target> targets(7);
    targets[0] = {"Store opens and look-ups within 1.5× of their SQLite floor, every size", false, 0, "",
                  kStoreLimit};
    targets[1] = {"Store opens and look-ups within 1.5× between " + small + " and " + large + " rows", false,
                  0, "", kScaleLimit};
    targets[2] = {"Durable add, change, delete within 1.5× of their SQLite floor, every size", false, 0, "",
                  kStoreLimit};
    targets[3] = {"Record screen load + show within 1.3× of the bare window, every size", false, 0, "",
                  kScreenLimit};
    targets[4] = {"Record screen load + show within 1.5× between " + small + " and " + large + " rows", false,
                  0, "", kScaleLimit};
    targets[5] = {"Start-up within 1.3× of a bare application's maximised window", false, 0, "",
                  kStartupLimit};
    targets[6] = {"Peak memory at " + large + " rows at most 10 MiB above " + small + " rows",
                  false,
                  0,
                  "",
                  kMemoryLimitMiB,
                  " MiB"};

    for (const Figure& f : all) {
        const std::string place =
            f.action + (f.kind == Kind::Startup ? "" : ", " + rowsText(f.rows) + " rows");
        const double r = f.floorSeconds() > 0 ? f.seconds() / f.floorSeconds() : 0.0;
        switch (f.kind) {
            case Kind::StoreRead:
                targets[0].consider(r, place);
                break;
            case Kind::StoreWrite:
                targets[2].consider(r, place);
                break;
            case Kind::Screen:
                targets[3].consider(r, place);
                break;
            case Kind::Startup:
                targets[5].consider(r, place);
                break;
        }
        if (heldToScale(f.kind) && f.rows == figures.largest() && figures.largest() != figures.smallest()) {
            if (const auto s = figures.scale(f))
                targets[f.kind == Kind::StoreRead ? 1 : 4].consider(*s, f.action);
        }
    }
    std::optional<std::int64_t> smallPeak, largePeak;
    for (const MemoryFigure& m : memory) {
        if (m.rows == figures.smallest()) smallPeak = m.peakKiB;
        if (m.rows == figures.largest()) largePeak = m.peakKiB;
    }
    if (smallPeak && largePeak) {
        targets[6].consider(static_cast<double>(*largePeak - *smallPeak) / 1024.0,
                            large + " rows against " + small);
    }

    ReportResult result;
    std::ostringstream md;
    md << "# KORVALE benchmark results\n\n";
    md << "Produced by `" << info.command << "` in " << format("%.0f", info.totalSeconds) << " s on "
       << info.machine << ". " << info.versions << ".\n\n";
    md << "Every figure is the median of its repetitions. Each action and its floor were timed alternately, "
          "and every repetition visited every book, so that whatever else the machine did fell on all "
          "alike. The KORVALE and floor columns are CPU time of the process (user and system, all "
          "threads) for work on the CPU, and wall-clock time for the durable writes, which wait for the "
          "disk; the wall-clock medians of everything are shown beside them, and also count the time the "
          "work stood waiting for a core. Books are made afresh in a temporary directory and removed "
          "afterwards.\n\n";

    md << "## Targets\n\n| Target | Worst case | Where | Met |\n|---|---:|---|:---:|\n";
    for (const Target& t : targets) {
        ++result.targets;
        if (t.met()) ++result.met;
        md << "| " << t.text << " | "
           << (t.measured ? format("%.2f", t.worst) + t.unit : std::string("not measured")) << " | "
           << t.where << " | " << (t.met() ? "yes" : "**no**") << " |\n";
    }
    md << "\n" << result.met << " of " << result.targets << " targets met.\n\n";

    md << "## Store operations against the SQLite C API\n\n";
    figureTable(md, figures, {Kind::StoreRead, Kind::StoreWrite}, "SQLite floor");
    md << "## Record screens, loaded and shown headless, against a bare window\n\n";
    figureTable(md, figures, {Kind::Screen}, "Bare window");

    md << "## Start-up to the entrance screen shown (a child process per repetition)\n\n";
    md << "| Program | KORVALE | Bare Qt application | × bare | Wall clock: KORVALE / bare | Met |\n";
    md << "|---|---:|---:|---:|---:|:---:|\n";
    for (const Figure& f : all) {
        if (f.kind != Kind::Startup) continue;
        md << "| " << f.action << " | " << duration(f.seconds()) << " | " << duration(f.floorSeconds())
           << " | " << ratio(f.seconds() / f.floorSeconds()) << " | " << duration(f.korvale.wall) << " / "
           << duration(f.floor.wall) << " | " << verdict(f, figures) << " |\n";
    }
    md << '\n';

    md << "## Peak resident memory (a child process per size: every record screen opened, one look-up)\n\n";
    md << "| Rows | Peak resident (VmHWM) | Above " << small << " rows |\n|---:|---:|---:|\n";
    for (const MemoryFigure& m : memory) {
        md << "| " << rowsText(m.rows) << " | " << format("%.1f MiB", static_cast<double>(m.peakKiB) / 1024.0)
           << " | "
           << (smallPeak ? format("%+.1f MiB", static_cast<double>(m.peakKiB - *smallPeak) / 1024.0) : "–")
           << " |\n";
    }
    md << '\n';

    md << "## What each floor runs\n\n";
    std::vector<std::string> listed;
    for (const Figure& f : all) {
        if (std::find(listed.begin(), listed.end(), f.action) != listed.end()) continue;
        listed.push_back(f.action);
        md << "- " << f.action << ": " << f.floorAction << '\n';
    }
    md << '\n';

    if (!info.notes.empty()) {
        md << "## How each figure is taken\n\n";
        for (const std::string& note : info.notes) md << "- " << note << '\n';
        md << '\n';
    }

    const std::filesystem::path png = dir / "results.png";
    if (drawPlot(png, figures)) {
        md << "![median time against book size](results.png)\n";
    } else {
        md << "(No plot: gnuplot could not draw it; is gnuplot installed?)\n";
    }

    result.markdown = md.str();
    std::ofstream out(dir / "RESULTS.md", std::ios::trunc);
    out << result.markdown;
    if (!out) throw std::runtime_error("cannot write " + (dir / "RESULTS.md").string());
    return result;
}

}  // namespace bench
