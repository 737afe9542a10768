#include "app/CommandLine.h"

#include <string_view>
#include <utility>

#include "app/Version.h"

namespace {
CommandLine refuse(std::string why) {
    return {CommandLine::Action::Refuse, {}, std::move(why)};
}
}  // namespace

CommandLine CommandLine::parse(int argc, const char* const argv[]) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") return {Action::Help, {}, {}};
        if (arg == "--version" || arg == "-V") return {Action::Version, {}, {}};
        if (arg != "--book") {
            return refuse((arg.starts_with('-') ? "unknown option " : "unexpected argument ") +
                          std::string(arg));
        }
        if (i + 1 == argc || *argv[i + 1] == '\0') return refuse("--book needs a folder");
        line.bookDir = argv[++i];
    }
    return line;
}

std::string CommandLine::usage() {
    return "Usage: korvale [--book DIR]\n"
           "       korvale --help | --version\n"
           "\n"
           "Opens KORVALE, the contact book, on its entrance screen.\n"
           "\n"
           "  --book DIR     Use the book DIR/KORVALE.mdb instead of the usual one.\n"
           "  -h, --help     Show this text and exit.\n"
           "  -V, --version  Show the version and exit.\n"
           "\n"
           "The usual book lies beside the program when the program runs from a build tree or a\n"
           "portable folder. The installed program keeps it in $XDG_DATA_HOME/korvale/\n"
           "(~/.local/share/korvale/ by default). Where the installed program or --book finds no\n"
           "book, it offers to create an empty one.\n";
}

std::string CommandLine::version() {
    return "korvale " + std::to_string(kVersionMajor) + '.' + std::to_string(kVersionMinor) + '.' +
           std::to_string(kVersionRevision) + '\n';
}
