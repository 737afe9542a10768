#include "tools/korvale-db/Commands.h"

#include <unistd.h>
#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "store/BookHandle.h"
#include "store/ClientStore.h"
#include "sync/BookSync.h"
#include "sync/ServerPassword.h"
#include "sync/SyncAccountChoice.h"
#include "sync/SyncLock.h"
#include "sync/SyncReportText.h"
#include "tools/korvale-db/Password.h"
#include "tools/korvale-db/Progress.h"

namespace korvale::tool {

namespace {

// What the sync is doing, on standard error when it is a terminal: the long request it waits for (the
// line is wiped once the answer is in), and how far the cards from the server have come into the book.
class TerminalProgress : public sync::SyncProgress {
public:
    void waiting(const std::string& what) override {
        if (::isatty(STDERR_FILENO) != 1) return;
        if (!what.empty()) {
            std::cerr << what << "..." << std::flush;
        } else if (!shown_.empty()) {
            std::cerr << '\r' << std::string(shown_.size() + 3, ' ') << '\r' << std::flush;
        }
        shown_ = what;
    }
    void applied(std::uint64_t done, std::uint64_t total) override {
        if (!progress_) progress_.emplace("Syncing", total);
        progress_->show(done);
    }

private:
    std::string shown_;
    std::optional<Progress> progress_;
};

// Says whether the password was kept in the keyring; false when it could not be.
bool told(const std::optional<sync::PasswordSaving>& saving) {
    if (!saving) return true;
    (saving->saved ? std::cout : std::cerr << "korvale-db: ") << saving->text;
    return saving->saved;
}

}  // namespace

int syncBook(const CommandLine& line) {
    int argc = 1;
    char name[] = "korvale-db";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);

    const sync::AccountRequest request{
        .url = line.operands.empty() ? std::nullopt : std::optional<std::string>(line.operands.front()),
        .user = line.value("--user"),
        .savePassword = line.has("--save-password"),
        .allowPlainHttp = line.has("--allow-plain-http")};
    if (line.has("--forget-password")) std::cout << sync::forgetPassword(line.book.dir, request);
    if (line.has("--forget-account")) std::cout << sync::forgetAccount(line.book.dir);
    if (line.has("--forget-password") || line.has("--forget-account")) return EXIT_SUCCESS;
    // A timer's sync on a machine where korvale never made a book is no failure.
    if (line.operands.empty() && !std::filesystem::exists(ClientStore::bookPath(line.book.dir))) {
        std::cout << "There is no book in " << line.book.dir.string() << "; nothing to sync.\n";
        return EXIT_SUCCESS;
    }
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    // Held until the sync ends: a second sync of the book is refused before it reads anything.
    const sync::SyncLock lock(book.path());
    book.requireHistory();
    const std::optional<sync::SyncAccountChoice> account = sync::chooseSyncAccount(
        book, request,
        [](const QString& url, const QString& user) { return sync::serverPassword(url, user, askPassword); });
    if (!account) {
        std::cout << "The book " << book.path().string()
                  << " syncs with no server; nothing to do. korvale-db sync URL --user NAME syncs it and "
                     "remembers the account.\n";
        return EXIT_SUCCESS;
    }
    sync::DavClient dav(account->given, account->user,
                        account->password ? account->password->text : QString());
    TerminalProgress progress;
    const sync::BookSyncOptions options{
        .addressBook = QString::fromStdString(line.value("--addressbook").value_or("")),
        .allowMassDelete = line.has("--allow-mass-delete"),
        .found = [](const std::string& text) { std::cerr << text << '\n'; }};
    sync::SyncReport report;
    try {
        report = sync::syncBook(book, *account, dav, progress, options);
    } catch (...) {
        // A password the server took is kept even when the sync fails later on.
        told(sync::savePassword(request, *account, dav));
        throw;
    }
    std::cout << sync::syncReportText(report, line.book.dir.string());
    const bool saved = told(sync::savePassword(request, *account, dav));
    return report.complete() && saved ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace korvale::tool
