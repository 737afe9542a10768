#include "tests/robust/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace korvale::robust {

namespace {

void check(int rc, const char* what) {
    if (rc != 0) throw std::runtime_error(std::string(what) + ": " + std::strerror(rc));
}

}  // namespace

std::string writerProgram() {
    return KORVALE_ROBUST_WRITER;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& stderrFile,
                           bool pipeStdin)
    : stderrFile_(stderrFile) {
    int out[2];
    int in[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    if (pipeStdin && ::pipe2(in, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));

    posix_spawn_file_actions_t actions;
    check(posix_spawn_file_actions_init(&actions), "spawn actions");
    check(posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO), "stdout");
    check(posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                           O_WRONLY | O_CREAT | O_APPEND, 0600),
          "stderr");
    if (pipeStdin) {
        check(posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO), "stdin");
    } else {
        check(posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0), "stdin");
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = out[0];
    if (pipeStdin) {
        ::close(in[0]);
        in_ = in[1];
    }
    check(rc, "posix_spawn");
}

ChildProcess::~ChildProcess() {
    closeStdin();
    if (!reaped_) {
        kill();
        wait();
    }
    if (out_ >= 0) ::close(out_);
}

bool ChildProcess::readLine(std::string& line) {
    for (;;) {
        const auto newline = buffer_.find('\n');
        if (newline != std::string::npos) {
            line = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // A half line is what a kill left in the middle of a write: not a line.
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

void ChildProcess::closeStdin() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
}

void ChildProcess::kill() {
    if (!reaped_) ::kill(pid_, SIGKILL);
}

int ChildProcess::wait() {
    if (!reaped_) {
        while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }
    return status_;
}

bool ChildProcess::waitSucceeded() {
    const int status = wait();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ChildProcess::waitKilled() {
    const int status = wait();
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string ChildProcess::errorOutput() const {
    std::ifstream in(stderrFile_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace korvale::robust
