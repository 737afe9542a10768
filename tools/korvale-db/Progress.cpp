#include "tools/korvale-db/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace korvale::tool {

Progress::Progress(std::string what, std::uint64_t total)
    : what_(std::move(what)),
      total_(total),
      shown_(::isatty(STDERR_FILENO) == 1 && total > 0),
      last_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    if (drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(what_.size()) + 8, "");
}

void Progress::draw(std::uint64_t done) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kRedraw) return;
    last_ = now;
    drawn_ = true;
    std::fprintf(stderr, "\r%s: %3d%%", what_.c_str(), static_cast<int>(done * 100 / total_));
    std::fflush(stderr);
}

}  // namespace korvale::tool
