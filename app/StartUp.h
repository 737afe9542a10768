#pragma once

#include <filesystem>
#include <memory>

#include "app/KorvaleApplication.h"
#include "store/BookLocation.h"

// A run once its command line is read: the application, or why there is none.
struct StartUp {
    std::unique_ptr<KorvaleApplication> application;
    int exitCode = 0;

    // Finds the book (BookLocation::find, `named` coming from --book) and shows the entrance screen. A
    // book beside the program is used as it is: korvale-db init makes that one. In the user's data folder
    // or a folder named by --book, a missing book is offered in a Yes/No box; Yes creates it as
    // korvale-db init does, No ends the run (exit code 0) and leaves the disk untouched. A book that
    // cannot be found or created is reported in a box and ends the run with exit code 1.
    static StartUp run(
        const std::filesystem::path& named,
        const std::filesystem::path& programDir = korvale::BookLocation::runningProgramDir(),
        const std::filesystem::path& installedDir = korvale::BookLocation::installedProgramDir());
};
