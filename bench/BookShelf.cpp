#include "bench/BookShelf.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

namespace bench {

namespace {

constexpr const char* kPrefix = "korvale-bench-";
constexpr const char* kOwnerFile = "owner";

// Only shelves that name their owner are touched, and only when that process no longer exists.
void removeAbandoned(const std::filesystem::path& base) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        if (!entry.is_directory(ec) || entry.path().filename().string().rfind(kPrefix, 0) != 0) continue;
        std::ifstream owner(entry.path() / kOwnerFile);
        long pid = 0;
        if (!(owner >> pid) || pid <= 0) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::filesystem::remove_all(entry.path(), ec);
        }
    }
}

}  // namespace

BookShelf::BookShelf(const std::filesystem::path& under, bool keep) : keep_(keep) {
    std::filesystem::path base = under;
    if (base.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::filesystem::create_directories(base);
    removeAbandoned(base);
    std::string pattern = (base / (std::string(kPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a directory under " + base.string());
    }
    dir_ = pattern;
    // Kept books outlive their process on purpose: they get no owner.
    if (!keep_) std::ofstream(dir_ / kOwnerFile) << ::getpid() << '\n';
}

BookShelf::~BookShelf() {
    std::error_code ignored;
    if (!keep_) std::filesystem::remove_all(dir_, ignored);
}

}  // namespace bench
