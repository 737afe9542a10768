#include "tools/korvale-db/Password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "store/StoreError.h"
#include "sync/Keyring.h"

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

ServerPassword serverPassword(const QString& url, const QString& user) {
    if (const char* given = std::getenv("KORVALE_PASSWORD"))
        return {QString::fromUtf8(given), ServerPassword::Source::Environment};
    const sync::Keyring::Result kept = sync::Keyring(url, user).read();
    if (kept.outcome == sync::Keyring::Outcome::Done) return {kept.password, ServerPassword::Source::Keyring};
    const std::string account = user.toStdString() + " at " + url.toStdString();
    const std::string noService = "no Secret Service answered (" + kept.why.toStdString() + ")";
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) {
        if (kept.outcome == sync::Keyring::Outcome::NotFound) {
            throw StoreError("No password in the keyring for " + account +
                             ": run korvale-db sync --save-password once on a terminal");
        }
        throw StoreError("No password for " + account + ": " + noService +
                         "; set KORVALE_PASSWORD or run korvale-db sync on a terminal");
    }
    if (kept.outcome == sync::Keyring::Outcome::Unavailable)
        std::cerr << "korvale-db: the keyring cannot be used: " << noService << '\n';
    std::string password;
    {
        const NoEcho quiet(tty);
        const std::string prompt = "Password for " + account + ": ";
        [[maybe_unused]] const ssize_t shown = ::write(tty, prompt.data(), prompt.size());
        char c = 0;
        while (::read(tty, &c, 1) == 1 && c != '\n') password += c;
        [[maybe_unused]] const ssize_t ended = ::write(tty, "\n", 1);
    }
    ::close(tty);
    return {QString::fromStdString(password), ServerPassword::Source::Terminal};
}

}  // namespace korvale::tool
