#include "tools/korvale-db/SyncCommand.h"

#include <unistd.h>
#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "store/BookHistory.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"
#include "store/SyncAccount.h"
#include "store/SyncState.h"
#include "sync/DavPolicy.h"
#include "sync/ServerDiscovery.h"
#include "sync/SyncEngine.h"
#include "sync/SyncLock.h"
#include "tools/korvale-db/Progress.h"
#include "tools/korvale-db/SyncAccountChoice.h"
#include "tools/korvale-db/SyncReport.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

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

}  // namespace

int syncBook(const CommandLine& line) {
    int argc = 1;
    char name[] = "korvale-db";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);

    if (line.has("--forget-password") || line.has("--forget-account")) return forgetAccount(line);
    // A timer's sync on a machine where korvale never made a book is no failure.
    if (line.operands.empty() && !std::filesystem::exists(ClientStore::bookPath(line.book.dir))) {
        std::cout << "There is no book in " << line.book.dir.string() << "; nothing to sync.\n";
        return EXIT_SUCCESS;
    }
    const auto connection = openBook(line.book.dir);
    // Held until the sync ends: a second sync of the book is refused before it reads anything.
    const sync::SyncLock lock(connection->path());
    requireHistory(*connection);
    const std::optional<SyncAccountChoice> account = chooseSyncAccount(line, *connection);
    if (!account) return EXIT_SUCCESS;
    SyncState state(*connection, sync::rowDigest);
    if (!hasSyncState(connection->db())) {
        SQLite::Transaction transaction = state.begin();
        addSyncState(connection->db());
        transaction.commit();
    }
    sync::DavClient dav(account->given, account->user,
                        account->password ? account->password->text : QString());

    sync::SyncReport report;
    try {
        std::optional<SyncState::Server> server = state.server();
        if (!server) {
            const sync::AddressBook found = sync::findAddressBook(
                dav, account->given, QString::fromStdString(line.value("--addressbook").value_or("")));
            std::cerr << "Address book: " << text(sync::quoted(found.name)) << " at "
                      << text(found.url.toDisplayString(QUrl::RemoveUserInfo)) << '\n';
            server =
                SyncState::Server{account->url, text(found.url.toString(QUrl::FullyEncoded)), std::nullopt};
            SQLite::Transaction transaction = state.begin();
            state.keepServer(*server);
            transaction.commit();
        }
        if (account->recordUser) {
            SQLite::Transaction transaction = state.begin();
            keepSyncUser(connection->db(), text(account->user));
            transaction.commit();
        }
        TerminalProgress progress;
        sync::SyncEngine engine(state, dav, QUrl(QString::fromStdString(server->collection)), progress,
                                line.has("--allow-mass-delete"));
        std::optional<std::string> token = server->token;
        report = engine.run(token);
        if (token != server->token) {
            server->token = token;
            SQLite::Transaction transaction = state.begin();
            state.keepServer(*server);
            transaction.commit();
        }
    } catch (...) {
        // A password the server took is kept even when the sync fails later on.
        savePassword(line, *account, dav);
        throw;
    }
    printSyncReport(std::cout, report, line.book.dir.string());
    const bool saved = savePassword(line, *account, dav);
    return report.complete() && saved ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace korvale::tool
