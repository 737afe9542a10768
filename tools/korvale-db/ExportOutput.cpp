#include "tools/korvale-db/ExportOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "store/StoreError.h"

namespace korvale::tool {

namespace {

std::string failed(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

}  // namespace

ExportOutput::ExportOutput(const std::optional<std::filesystem::path>& file) : fd_(STDOUT_FILENO) {
    if (!file) return;
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

}  // namespace korvale::tool
