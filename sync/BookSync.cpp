#include "sync/BookSync.h"

#include "store/SyncState.h"
#include "sync/DavPolicy.h"
#include "sync/ServerDiscovery.h"

namespace korvale::sync {

SyncReport syncBook(BookHandle& book, const SyncAccountChoice& account, DavClient& dav,
                    SyncProgress& progress, const BookSyncOptions& options) {
    book.addSyncState();
    SyncState state(book, rowDigest);
    std::optional<SyncState::Server> server = state.server();
    if (!server) {
        const AddressBook found = findAddressBook(dav, account.given, options.addressBook);
        if (options.found) {
            options.found("Address book: " + quoted(found.name).toStdString() + " at " +
                          found.url.toDisplayString(QUrl::RemoveUserInfo).toStdString());
        }
        server = SyncState::Server{account.url, found.url.toString(QUrl::FullyEncoded).toStdString(),
                                   std::nullopt};
        state.keepServer(*server);
    }
    if (account.recordUser) state.keepSyncUser(account.user.toStdString());
    SyncEngine engine(state, dav, QUrl(QString::fromStdString(server->collection)), progress,
                      options.allowMassDelete);
    std::optional<std::string> token = server->token;
    const SyncReport report = engine.run(token);
    if (token != server->token) {
        server->token = token;
        state.keepServer(*server);
    }
    return report;
}

}  // namespace korvale::sync
