#pragma once

#include <filesystem>

namespace korvale {

// Where a run's book lives. A program started from a build tree or a portable folder keeps its book
// beside itself; an installed program cannot write its own folder and keeps the book in the user's data
// folder; a folder named on the command line overrides both. The application and korvale-db follow the
// same rule, so that the tool finds the book the application uses.
struct BookLocation {
    enum class Place { BesideProgram, UserData, Named };

    std::filesystem::path dir;
    Place place = Place::BesideProgram;

    // The book's folder for a program in `programDir`. `named`, when not empty, is taken as it is (made
    // absolute). Otherwise the program counts as installed when it runs from `installedDir`, the folder
    // the build installs its programs to, and no book lies beside it.
    static BookLocation find(const std::filesystem::path& programDir, const std::filesystem::path& named = {},
                             const std::filesystem::path& installedDir = installedProgramDir());

    // Where this build installs its programs (CMAKE_INSTALL_FULL_BINDIR).
    static std::filesystem::path installedProgramDir();
    // The folder of the running executable.
    static std::filesystem::path runningProgramDir();
    // $XDG_DATA_HOME/korvale, where XDG_DATA_HOME is set to an absolute path; ~/.local/share/korvale
    // otherwise.
    static std::filesystem::path userDataDir();

    // Creates `dir` and the folders above it that are missing, each readable by its owner only (0700).
    // Existing folders are left as they are. Throws StoreError naming the folder that cannot be made.
    void makeFolder() const;
};

}  // namespace korvale
