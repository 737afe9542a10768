#include "sync/SyncLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/StoreError.h"

namespace korvale::sync {

SyncLock::SyncLock(const std::filesystem::path& book) {
    const std::string file = book.string() + "-sync-lock";
    // Never removed: a file removed while another sync opens it would let two syncs hold two locks.
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) throw StoreError("Cannot sync: cannot open " + file + ": " + std::strerror(errno));
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd_);
        if (error == EWOULDBLOCK) {
            throw StoreError("Cannot sync: another sync of this book is running (" + book.string() +
                             "); nothing was changed");
        }
        throw StoreError("Cannot sync: cannot lock " + file + ": " + std::strerror(error));
    }
}

SyncLock::~SyncLock() {
    ::close(fd_);
}

}  // namespace korvale::sync
