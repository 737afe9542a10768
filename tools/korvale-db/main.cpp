// korvale-db: makes a book (in a folder the operator names, or where korvale looks for it), adds the history
// and sync tables to a book made before them, takes contacts in and out, brings back or forgets kept
// versions, and syncs with a CardDAV server. The application creates a book only when the operator agrees,
// and never alters the layout of an existing one: that is done here.

#include <sys/stat.h>

#include <array>
#include <cstdlib>
#include <iostream>
#include <span>
#include <string_view>

#include "sync/SyncAccountChoice.h"
#include "tools/korvale-db/Commands.h"

namespace {

using namespace korvale::tool;

constexpr int kUsageExit = 2;

struct Command {
    CommandSyntax syntax;
    int (*run)(const CommandLine&);
};

constexpr std::array<OptionSyntax, 2> kExportOptions{
    {{.name = "--format", .takesValue = true}, {.name = "-o", .takesValue = true}}};
constexpr std::array<OptionSyntax, 1> kImportOptions{{{.name = "--dry-run"}}};
constexpr std::array<OptionSyntax, 7> kSyncOptions{{{.name = "--user", .takesValue = true},
                                                    {.name = "--addressbook", .takesValue = true},
                                                    {.name = "--allow-plain-http"},
                                                    {.name = "--allow-mass-delete"},
                                                    {.name = "--save-password"},
                                                    {.name = "--forget-password"},
                                                    {.name = "--forget-account"}}};

constexpr std::array<Command, 8> kCommands{{
    {{.name = "init"}, initBook},
    {{.name = "upgrade"}, upgradeBook},
    {{.name = "export", .options = kExportOptions}, exportContacts},
    {{.name = "import", .words = "FILE", .operands = 1, .options = kImportOptions}, importContacts},
    {{.name = "history", .words = "[NAME]", .operands = 1, .optional = 1}, showHistory},
    {{.name = "restore", .words = "ID", .operands = 1}, restoreVersion},
    {{.name = "forget", .words = "NAME", .operands = 1}, forgetName},
    {{.name = "sync", .words = "[URL]", .operands = 1, .optional = 1, .options = kSyncOptions}, syncBook},
}};

int usageFailed(const std::exception& e) {
    std::cerr << "korvale-db: " << e.what() << '\n';
    printUsage(std::cerr);
    return kUsageExit;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Belt and braces with the 0600 the book is created with: nothing this tool writes, the engine's
    // side files and exported contacts included, is ever readable by others.
    ::umask(077);

    const std::span<char* const> arguments(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
    if (arguments.size() == 1 &&
        (std::string_view(arguments[0]) == "--help" || std::string_view(arguments[0]) == "-h")) {
        printUsage(std::cout);
        return EXIT_SUCCESS;
    }
    std::array<CommandSyntax, kCommands.size()> syntax;
    for (std::size_t i = 0; i < kCommands.size(); ++i) syntax[i] = kCommands[i].syntax;
    try {
        const CommandLine line = parseCommandLine(syntax, arguments);
        for (const Command& command : kCommands) {
            if (command.syntax.name == line.command) return command.run(line);
        }
    } catch (const UsageError& e) {
        return usageFailed(e);
    } catch (const korvale::sync::AccountUsageError& e) {
        return usageFailed(e);
    } catch (const std::exception& e) {
        // The book's failures (StoreError), the tool's own (ToolError), and whatever else a library let
        // through: said in one line, never a crash.
        std::cerr << "korvale-db: " << e.what() << '\n';
    }
    return EXIT_FAILURE;
}
