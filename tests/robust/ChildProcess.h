#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace korvale::robust {

// Another program running beside the test: its stdout comes back through a pipe, line by line, its
// stderr goes to a file, and it can be killed at any moment. The destructor kills and reaps it.
class ChildProcess {
public:
    // Starts `argv` (argv[0] a path). With `pipeStdin`, the child's stdin stays open until closeStdin().
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& stderrFile,
                 bool pipeStdin = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Blocks for the next whole line (without its newline); false once the child's stdout has closed.
    bool readLine(std::string& line);
    void closeStdin();
    void kill();
    // Reaps the child: true when it exited with status 0.
    bool waitSucceeded();
    // Reaps the child: true when it died of SIGKILL.
    bool waitKilled();
    std::string errorOutput() const;

private:
    int wait();
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::string buffer_;
    std::filesystem::path stderrFile_;
};

// Where the helper program lies.
std::string writerProgram();

}  // namespace korvale::robust
