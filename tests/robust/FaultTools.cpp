#include "tests/robust/FaultTools.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace korvale::robust {

namespace {

QString errnoText(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool setImmutable(const std::filesystem::path& path, bool on, QString* why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (why) *why = errnoText("open");
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!done && why) *why = errnoText("the immutable flag (FS_IOC_SETFLAGS)");
    ::close(fd);
    return done;
}

// Whether this process can still write there: open a file for writing, or create one in a directory.
bool writable(const std::filesystem::path& path) {
    if (std::filesystem::is_directory(path)) {
        const auto probe = path / ".write-probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        ::close(fd);
        ::unlink(probe.c_str());
        return true;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

Unwritable::Unwritable(std::filesystem::path path) : path_(std::move(path)) {
    if (::geteuid() == 0) {
        QString why;
        immutable_ = setImmutable(path_, true, &why);
        if (!immutable_) {
            reason_ = QStringLiteral(
                          "running as root, and %1 cannot be made immutable (%2), so nothing stops root "
                          "from writing it")
                          .arg(QString::fromStdString(path_.string()), why);
            return;
        }
    } else {
        std::error_code ec;
        oldPerms_ = std::filesystem::status(path_, ec).permissions();
        std::filesystem::permissions(path_,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove, ec);
        chmodded_ = !ec;
    }
    ok_ = !writable(path_);
    if (!ok_ && reason_.isEmpty())
        reason_ = QStringLiteral("%1 is still writable to this process")
                      .arg(QString::fromStdString(path_.string()));
}

void Unwritable::restore() {
    QString why;
    if (immutable_ && !setImmutable(path_, false, &why)) {
        // Left immutable, the temporary directory cannot be removed either: say where it is.
        qCritical("%s is still immutable (%s); clear it with chattr -i", path_.c_str(), qPrintable(why));
    }
    if (chmodded_) {
        std::error_code ec;
        std::filesystem::permissions(path_, oldPerms_, ec);
    }
    immutable_ = chmodded_ = false;
}

Unwritable::~Unwritable() {
    restore();
}

SmallDisk::SmallDisk(std::filesystem::path mountPoint, std::size_t bytes)
    : mountPoint_(std::move(mountPoint)) {
    // Only this thread moves into the new namespace; the test and the store run on it.
    if (::unshare(CLONE_NEWNS) != 0) {
        reason_ = errnoText("a private mount namespace (unshare) needs CAP_SYS_ADMIN");
        return;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        reason_ = errnoText("making the mounts private");
        return;
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("korvale-small-disk", mountPoint_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        reason_ = errnoText("mounting a small tmpfs");
        return;
    }
    ok_ = true;
}

SmallDisk::~SmallDisk() {
    if (ok_) ::umount2(mountPoint_.c_str(), MNT_DETACH);
}

std::size_t SmallDisk::freeBytes() const {
    struct statvfs s {};
    if (::statvfs(mountPoint_.c_str(), &s) != 0) return 0;
    return static_cast<std::size_t>(s.f_bavail) * s.f_frsize;
}

bool SmallDisk::fill(std::size_t leave) {
    const auto filler = mountPoint_ / ".filler";
    std::ofstream out(filler, std::ios::binary | std::ios::app);
    const std::vector<char> block(4096, '\0');
    while (freeBytes() > leave) {
        const std::size_t chunk = std::min(block.size(), freeBytes() - leave);
        out.write(block.data(), static_cast<std::streamsize>(chunk));
        out.flush();
        if (!out) return freeBytes() <= leave;
    }
    return true;
}

void SmallDisk::release() {
    std::error_code ec;
    std::filesystem::remove(mountPoint_ / ".filler", ec);
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace korvale::robust
