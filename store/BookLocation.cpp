#include "store/BookLocation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace korvale {

namespace {

bool samePlace(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

std::filesystem::path homeDir() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    // A login without HOME in its environment still has a home in the user database.
    const passwd* user = ::getpwuid(::getuid());
    if (user && user->pw_dir && *user->pw_dir) return user->pw_dir;
    throw StoreError("Cannot tell where the book lives: HOME is not set and the user has no home folder");
}

}  // namespace

BookLocation BookLocation::find(const std::filesystem::path& programDir, const std::filesystem::path& named,
                                const std::filesystem::path& installedDir) {
    if (!named.empty()) return {std::filesystem::absolute(named), Place::Named};
    std::error_code ec;
    const bool bookBeside = std::filesystem::exists(ClientStore::bookPath(programDir), ec);
    if (!bookBeside && samePlace(programDir, installedDir)) return {userDataDir(), Place::UserData};
    return {programDir, Place::BesideProgram};
}

std::filesystem::path BookLocation::installedProgramDir() {
    return KORVALE_INSTALLED_PROGRAM_DIR;
}

std::filesystem::path BookLocation::runningProgramDir() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

std::filesystem::path BookLocation::userDataDir() {
    // Relative values are invalid by the XDG rules and are ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && std::filesystem::path(dataHome).is_absolute()) {
        return std::filesystem::path(dataHome) / "korvale";
    }
    return homeDir() / ".local" / "share" / "korvale";
}

void BookLocation::makeFolder() const {
    std::filesystem::path made;
    for (const std::filesystem::path& part : dir) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            throw StoreError("Cannot create the folder " + made.string() + ": " + std::strerror(errno));
        }
    }
}

}  // namespace korvale
