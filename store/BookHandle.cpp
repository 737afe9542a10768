#include "store/BookHandle.h"

#include <chrono>
#include <string>

#include <SQLiteCpp/Transaction.h>

#include "store/BookConnection.h"
#include "store/ClientStore.h"
#include "store/ContactUids.h"
#include "store/HistorySchema.h"
#include "store/StoreError.h"
#include "store/SyncAccount.h"
#include "store/SyncState.h"

namespace korvale {

namespace {
constexpr std::chrono::milliseconds kBusyWait{3000};
}

BookHandle::BookHandle(std::shared_ptr<BookConnection> connection) : connection_(std::move(connection)) {}

BookHandle BookHandle::open(const std::filesystem::path& dir, Access access) {
    return BookHandle(BookConnection::open(
        ClientStore::bookPath(dir), kBusyWait,
        access == Access::ReadOnly ? BookConnection::Access::ReadOnly : BookConnection::Access::ReadWrite));
}

const std::filesystem::path& BookHandle::path() const {
    return connection_->path();
}

BookHandle::Writing::Writing(BookConnection& connection, std::string_view what)
    : connection_(&connection), what_(what) {
    try {
        transaction_ =
            std::make_unique<SQLite::Transaction>(connection.db(), SQLite::TransactionBehavior::IMMEDIATE);
    } catch (const SQLite::Exception& e) {
        throw connection.failure(what_ + ": cannot write to the book " + connection.path().string(), e);
    }
}
BookHandle::Writing::Writing(Writing&&) noexcept = default;
BookHandle::Writing::~Writing() = default;

void BookHandle::Writing::commit() {
    try {
        transaction_->commit();
    } catch (const SQLite::Exception& e) {
        throw connection_->failure(what_ + ": the book " + connection_->path().string() +
                                       " did not take the change, and nothing was written",
                                   e);
    }
}

BookHandle::Writing BookHandle::beginWriting(std::string_view what) {
    return Writing(*connection_, what);
}

bool BookHandle::keepsHistory() {
    return connection_->guarded("Cannot read the history of the book " + path().string(),
                                [&] { return hasHistory(connection_->db()); });
}

bool BookHandle::keepsUids() {
    return connection_->guarded("Cannot read the UIDs of the book " + path().string(),
                                [&] { return hasContactUids(connection_->db()); });
}

bool BookHandle::keepsSyncState() {
    return connection_->guarded("Cannot read the sync state of the book " + path().string(),
                                [&] { return hasSyncState(connection_->db()); });
}

void BookHandle::requireHistory() {
    if (!keepsHistory()) {
        throw StoreError("The book " + path().string() +
                         " keeps no history; korvale-db upgrade adds it to a book made before it existed");
    }
}

std::optional<SyncAccount> BookHandle::syncAccount() {
    try {
        return korvale::syncAccount(connection_->db());
    } catch (const SQLite::Exception& e) {
        throw connection_->failure("Cannot read the sync account of the book " + path().string(), e);
    }
}

std::optional<SyncAccount> BookHandle::forgetSyncAccount() {
    Writing writing = beginWriting("Cannot forget the account");
    try {
        std::optional<SyncAccount> account = korvale::syncAccount(connection_->db());
        if (!account) return std::nullopt;
        korvale::forgetSyncAccount(connection_->db());
        writing.commit();
        return account;
    } catch (const SQLite::Exception& e) {
        throw connection_->failure("Cannot forget the account of the book " + path().string(), e);
    }
}

void BookHandle::addSyncState() {
    if (keepsSyncState()) return;
    Writing writing = beginWriting("Cannot sync");
    try {
        korvale::addSyncState(connection_->db());
        writing.commit();
    } catch (const SQLite::Exception& e) {
        throw connection_->failure("Cannot sync: cannot add the sync tables to the book " + path().string(),
                                   e);
    }
}

BookHandle::Upgrade BookHandle::upgrade() {
    Writing writing = beginWriting("Cannot upgrade");
    Upgrade added;
    try {
        SQLite::Database& db = connection_->db();
        added.history = !hasHistory(db);
        added.uids = !hasContactUids(db);
        added.syncState = !hasSyncState(db);
        addHistory(db);
        added.rowsGivenUids = addContactUids(db);
        korvale::addSyncState(db);
        writing.commit();
    } catch (const SQLite::Exception& e) {
        throw connection_->failure("Cannot upgrade the book " + path().string(), e);
    }
    return added;
}

}  // namespace korvale
