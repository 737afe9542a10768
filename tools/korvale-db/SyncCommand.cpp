#include "tools/korvale-db/SyncCommand.h"

#include <unistd.h>
#include <QCoreApplication>

#include <cstdlib>
#include <iostream>
#include <optional>

#include "store/BookHistory.h"
#include "store/StoreError.h"
#include "store/SyncState.h"
#include "sync/ServerDiscovery.h"
#include "sync/SyncEngine.h"
#include "sync/SyncLock.h"
#include "tools/korvale-db/Password.h"
#include "tools/korvale-db/Progress.h"
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

    const QUrl given =
        QUrl(QString::fromStdString(line.operands.front()), QUrl::StrictMode).adjusted(QUrl::RemoveUserInfo);
    if (!given.isValid() ||
        (given.scheme() != QLatin1String("https") && given.scheme() != QLatin1String("http"))) {
        throw UsageError("sync takes the http or https URL of a server or an address book");
    }
    const auto connection = openBook(line.book.dir);
    // Held until the sync ends: a second sync of the book is refused before it reads anything.
    const sync::SyncLock lock(connection->path());
    requireHistory(*connection);
    SyncState state(*connection, sync::rowDigest);
    if (!hasSyncState(connection->db())) {
        SQLite::Transaction transaction = state.begin();
        addSyncState(connection->db());
        transaction.commit();
    }
    const QString user = QString::fromStdString(line.value("--user").value_or(std::string()));
    sync::DavClient dav(user, user.isEmpty() ? QString() : serverPassword(user));

    std::optional<SyncState::Server> server = state.server();
    // The same server or address book, with or without a closing slash.
    const std::string url = text(given.adjusted(QUrl::StripTrailingSlash).toString(QUrl::FullyEncoded));
    if (server && server->url != url) {
        throw StoreError("The book " + connection->path().string() + " is kept in step with " + server->url +
                         ", not " + url);
    }
    if (!server) {
        server = SyncState::Server{url, text(sync::findAddressBook(dav, given).toString(QUrl::FullyEncoded)),
                                   std::nullopt};
        SQLite::Transaction transaction = state.begin();
        state.keepServer(*server);
        transaction.commit();
    }

    TerminalProgress progress;
    sync::SyncEngine engine(state, dav, QUrl(QString::fromStdString(server->collection)), progress,
                            line.has("--allow-mass-delete"));
    std::optional<std::string> token = server->token;
    const sync::SyncReport report = engine.run(token);
    if (token != server->token) {
        server->token = token;
        SQLite::Transaction transaction = state.begin();
        state.keepServer(*server);
        transaction.commit();
    }
    printSyncReport(std::cout, report, line.book.dir.string());
    return report.complete() ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace korvale::tool
