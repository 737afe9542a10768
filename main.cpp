#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Display.h"
#include "app/StartUp.h"

namespace {
constexpr int kUsageExit = 2;
}

int main(int argc, char* argv[]) {
    // The command line is answered before Qt opens a display, which --help and --version do not need.
    const CommandLine line = CommandLine::parse(argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::cout << CommandLine::usage();
            return EXIT_SUCCESS;
        case CommandLine::Action::Version:
            std::cout << CommandLine::version();
            return EXIT_SUCCESS;
        case CommandLine::Action::Refuse:
            std::cerr << "korvale: " << line.complaint << "\n\n" << CommandLine::usage();
            return kUsageExit;
        case CommandLine::Action::Run:
            break;
    }

    if (const std::string missing = missingDisplay(); !missing.empty()) {
        std::cerr << "korvale: " << missing << '\n';
        return EXIT_FAILURE;
    }
    // Qt sees none of the options above: they are this program's own.
    int qtArgc = 1;
    QApplication qt(qtArgc, argv);
    StartUp start = StartUp::run(line.bookDir);
    if (!start.application) return start.exitCode;
    QObject::connect(start.application.get(), &KorvaleApplication::ended, &qt, &QCoreApplication::quit);
    return qt.exec();
}
