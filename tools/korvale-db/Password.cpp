#include "tools/korvale-db/Password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "store/StoreError.h"

namespace korvale::tool {

namespace {

// Echo goes back on however the reading ends.
class NoEcho {
public:
    explicit NoEcho(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~NoEcho() {
        if (active_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

}  // namespace

QString serverPassword(const QString& user) {
    if (const char* given = std::getenv("KORVALE_PASSWORD")) return QString::fromUtf8(given);
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) {
        throw StoreError("No password: set KORVALE_PASSWORD or run korvale-db sync on a terminal");
    }
    std::string password;
    {
        const NoEcho quiet(tty);
        const std::string prompt = "Password for " + user.toStdString() + ": ";
        [[maybe_unused]] const ssize_t shown = ::write(tty, prompt.data(), prompt.size());
        char c = 0;
        while (::read(tty, &c, 1) == 1 && c != '\n') password += c;
        [[maybe_unused]] const ssize_t ended = ::write(tty, "\n", 1);
    }
    ::close(tty);
    return QString::fromStdString(password);
}

}  // namespace korvale::tool
