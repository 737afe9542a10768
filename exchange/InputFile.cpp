#include "exchange/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "store/StoreError.h"

namespace korvale::exchange {

namespace {

// Closes the file however reading it ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

InputFile::InputFile(const std::filesystem::path& file) {
    const auto cannot = [&](const std::string& why) {
        return StoreError("Cannot read " + file.string() + ": " + why);
    };
    // Opening a FIFO without O_NONBLOCK waits for a writer before the type can be looked at.
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) throw cannot(std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw cannot("it is not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > kLargest) {
        throw cannot("it holds " + std::to_string(info.st_size) + " bytes, more than the " +
                     std::to_string(kLargest >> 20) + " MiB a file of contacts may hold");
    }
    bytes_.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes_.size()) {
        const ssize_t n = ::read(fd.get(), bytes_.data() + done, bytes_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw cannot(std::strerror(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes_.resize(done);
}

}  // namespace korvale::exchange
