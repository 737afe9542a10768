#include "exchange/ExportOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "store/StoreError.h"

namespace korvale::exchange {

namespace {

std::string failed(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool sameFile(const struct stat& a, const std::filesystem::path& b) {
    struct stat other {};
    return ::stat(b.c_str(), &other) == 0 && a.st_dev == other.st_dev && a.st_ino == other.st_ino;
}

// Refuses a target that is not a regular file, or is the book or one of its side files.
void requireExportTarget(const std::filesystem::path& target, const std::filesystem::path& book) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) return;
        throw StoreError(failed("Cannot write " + target.string(), errno));
    }
    const std::string cannot = "Cannot export to " + target.string() + ": ";
    if (S_ISLNK(info.st_mode)) {
        throw StoreError(cannot + "it is a symbolic link, which export would replace; name the file itself");
    }
    if (!S_ISREG(info.st_mode)) {
        throw StoreError(cannot +
                         "it is not a regular file (a device, a FIFO or a directory); leave out -o to write "
                         "to standard output");
    }
    for (const char* side : {"", "-wal", "-shm"}) {
        if (sameFile(info, book.string() + side)) {
            throw StoreError(cannot + "it is the book " + book.string() + side + " itself");
        }
    }
}

}  // namespace

ExportOutput::ExportOutput(const std::optional<std::filesystem::path>& file,
                           const std::filesystem::path& book)
    : fd_(STDOUT_FILENO) {
    if (!file) return;
    requireExportTarget(*file, book);
    target_ = *file;
    temporary_ = target_.string() + ".XXXXXX";
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0) throw StoreError(failed("Cannot write " + target_.string(), errno));
}

ExportOutput::~ExportOutput() {
    if (fd_ != STDOUT_FILENO) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

std::string ExportOutput::name() const {
    return fd_ == STDOUT_FILENO ? "standard output" : target_.string();
}

void ExportOutput::write(std::string& buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::write(fd_, buffer.data() + done, buffer.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw StoreError(failed("Cannot write to " + name(), errno));
        done += static_cast<std::size_t>(n);
    }
    buffer.clear();
}

void ExportOutput::finish() {
    if (fd_ == STDOUT_FILENO) return;
    if (::fsync(fd_) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw StoreError(failed("Cannot write " + target_.string(), errno));
    }
}

}  // namespace korvale::exchange
