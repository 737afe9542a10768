// korvale-db: writes the empty book the application needs before its first run. The application
// itself never alters a book, and creates one only when the operator agrees at its first start.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "store/BookLocation.h"
#include "store/BookSchema.h"
#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace {

constexpr int kUsageExit = 2;

void printUsage(std::ostream& out) {
    out << "Usage: korvale-db init DIR\n"
           "       korvale-db init\n"
           "       korvale-db --help\n"
           "\n"
           "init DIR   Create DIR/"
        << korvale::kBookFileName << ", an empty book: table " << korvale::kTableName
        << " of nine text columns,\n"
           "           an index on Name, WAL journal, readable by its owner only (mode 0600).\n"
           "           An existing book is never touched.\n"
           "init       The same, in the folder where korvale looks for its book: beside this program\n"
           "           in a build tree or a portable folder; $XDG_DATA_HOME/korvale/\n"
           "           (~/.local/share/korvale/ by default) for the installed program.\n"
           "--help     Show this text.\n";
}

int init(const std::filesystem::path& dir) {
    std::error_code ec;
    const auto status = std::filesystem::status(dir, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        std::cerr << "korvale-db: the directory " << dir.string() << " does not exist\n";
        return EXIT_FAILURE;
    }
    if (ec) {
        std::cerr << "korvale-db: cannot reach the directory " << dir.string() << ": " << ec.message()
                  << '\n';
        return EXIT_FAILURE;
    }
    if (status.type() != std::filesystem::file_type::directory) {
        std::cerr << "korvale-db: " << dir.string() << " is not a directory\n";
        return EXIT_FAILURE;
    }

    const std::filesystem::path book = korvale::ClientStore::bookPath(dir);
    try {
        korvale::createBook(book);
    } catch (const korvale::StoreError& e) {
        std::cerr << "korvale-db: " << e.what() << '\n';
        return EXIT_FAILURE;
    }
    std::cout << "Created the book " << book.string() << ": table " << korvale::kTableName << " (";
    for (std::size_t i = 0; i < korvale::kColumnCount; ++i) {
        std::cout << (i == 0 ? "" : ", ") << korvale::kColumnNames[i];
    }
    std::cout << "), index CLIENT_RECORDS_Name, WAL journal, mode 0600.\n";
    return EXIT_SUCCESS;
}

// init without a folder: the folder korvale itself uses, made (mode 0700) when it is the user's data
// folder.
int initUsual() {
    korvale::BookLocation location;
    try {
        location = korvale::BookLocation::find(korvale::BookLocation::runningProgramDir());
        location.makeFolder();
    } catch (const korvale::StoreError& e) {
        std::cerr << "korvale-db: " << e.what() << '\n';
        return EXIT_FAILURE;
    }
    return init(location.dir);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Belt and braces with the 0600 the book is created with: nothing this tool writes, the engine's
    // side files included, is ever readable by others.
    ::umask(077);

    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        printUsage(std::cout);
        return EXIT_SUCCESS;
    }
    if (argc == 3 && std::string_view(argv[1]) == "init") {
        return init(argv[2]);
    }
    if (argc == 2 && std::string_view(argv[1]) == "init") {
        return initUsual();
    }
    if (argc >= 2 && std::string_view(argv[1]) == "init") {
        std::cerr << "korvale-db: init takes at most one directory\n";
    } else if (argc >= 2) {
        std::cerr << "korvale-db: unknown command " << argv[1] << '\n';
    }
    printUsage(std::cerr);
    return kUsageExit;
}
