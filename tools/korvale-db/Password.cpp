#include "tools/korvale-db/Password.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <iterator>
#include <string>

namespace korvale::tool {

namespace {

// The terminal as it was before the prompt, for a signal handler to put back: only one prompt is ever
// open at a time.
int gTerminal = -1;
termios gSaved{};

// Ctrl-C, a hang-up or a kill at the prompt ends the program with the terminal as it was: the handler
// puts the settings back, then lets the signal end the program as it would have.
extern "C" void restoreAndEnd(int signal) {
    if (gTerminal >= 0) ::tcsetattr(gTerminal, TCSANOW, &gSaved);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Echo goes back on however the reading ends, a signal included.
class NoEcho {
public:
    explicit NoEcho(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &gSaved) != 0) return;
        struct sigaction handler {};
        handler.sa_handler = restoreAndEnd;
        ::sigemptyset(&handler.sa_mask);
        gTerminal = fd_;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &handler, &before_[i]);
        termios quiet = gSaved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~NoEcho() {
        if (gTerminal < 0) return;
        if (active_) ::tcsetattr(fd_, TCSAFLUSH, &gSaved);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &before_[i], nullptr);
        gTerminal = -1;
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    int fd_;
    struct sigaction before_[std::size(kEndingSignals)]{};
    bool active_ = false;
};

}  // namespace

std::optional<QString> askPassword(const std::string& account, const std::string& keyringProblem) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) return std::nullopt;
    if (!keyringProblem.empty())
        std::cerr << "korvale-db: the keyring cannot be used: " << keyringProblem << '\n';
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
    return QString::fromStdString(password);
}

}  // namespace korvale::tool
