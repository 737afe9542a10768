#pragma once

#include <QUrl>

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "exchange/ContactMapping.h"
#include "store/ClientRecord.h"
#include "store/SyncState.h"
#include "sync/DavClient.h"
#include "sync/SyncDecision.h"

namespace korvale::sync {

// What one sync did, for its caller to tell.
struct SyncReport {
    // The address book synced with.
    std::string addressBook;
    int newIn = 0;
    int changedIn = 0;
    int newOut = 0;
    int changedOut = 0;
    // Deleted on the server, so deleted in the book; and the other way round.
    int deletedInBook = 0;
    int deletedOnServer = 0;
    // Changed on both sides: the server's version went into the row, the book's is kept as `version`.
    struct Conflict {
        std::string name;
        std::int64_t version = 0;
    };
    std::vector<Conflict> conflicts;
    // Deleted in the book but changed on the server: the server's version is a row again.
    std::vector<std::string> broughtBack;
    // Changed in the book but deleted on the server: kept, and sent back as a new card.
    std::vector<std::string> sentBack;
    // Writes the server refused because the card changed there meanwhile; the next sync takes them up.
    std::vector<std::string> deferred;
    // Cards the server holds that could not be read, by href, and why; read again by every sync.
    struct Unreadable {
        std::string href;
        std::string reason;
    };
    std::vector<Unreadable> unreadable;
    // Contacts whose card went out without something the server's card held: the name, and what.
    struct NotKept {
        std::string name;
        std::string what;
    };
    std::vector<NotKept> notKept;
    // Set when the server's list would have deleted this many of that many synced contacts in the book,
    // and so was not applied: nothing was changed.
    std::optional<std::pair<int, int>> massDelete;
    int requests = 0;

    // Whether everything the server holds is in the book and everything the book holds went out.
    bool complete() const { return unreadable.empty() && !massDelete; }
};

// How a sync tells what it is doing while it runs; it writes nothing anywhere itself.
class SyncProgress {
public:
    virtual ~SyncProgress() = default;
    // A request that may take long has started ("Fetching every card from the server"), or with an empty
    // text, has ended.
    virtual void waiting(const std::string& what) = 0;
    // `done` of `total` cards from the server applied to the book.
    virtual void applied(std::uint64_t done, std::uint64_t total) = 0;
};

// The digest the sync keeps of a row's nine values (a SyncState::Digest).
std::string rowDigest(const std::array<std::string_view, kColumnCount>& values);

// The body of the PUT of a row. With `lastCard`, the card the server last sent for it, that card with
// only what the nine columns own changed to the row's values, everything else byte for byte as the
// server had it; without, a new card under `uid` that names this program (PRODID) and the time (REV).
std::string cardBody(const ClientRecord& values, const std::string& uid, const std::string& lastCard);

// One sync of a book with one address book: lists what changed on the server, reads the changed cards,
// decides each contact's action from what is known of it (decide()), then carries the actions out:
// first those on the book, row by row with the state that names them, then the requests to the server.
// Failures throw StoreError with a sentence naming the request.
class SyncEngine {
public:
    SyncEngine(SyncState& state, DavClient& dav, QUrl collection, SyncProgress& progress,
               bool allowMassDelete);

    // `token` is the server's token from the last sync; on return, the one to keep (the same when the
    // sync did not finish).
    SyncReport run(std::optional<std::string>& token);

private:
    struct Listed {
        std::string etag;
        // The card itself, when the list brought it.
        QByteArray body;
    };
    // The server's cards: all of them (`full`), or those changed and removed since the book's token.
    struct Listing {
        std::unordered_map<std::string, Listed> present;
        std::set<std::string> removed;
        bool full = false;
        std::optional<std::string> token;
    };
    // A card read from the server in this sync.
    struct Incoming {
        std::string etag;
        std::string body;
        ClientRecord record;
        std::string digest;
        std::string uid;
        // Why it could not be read; empty when it could.
        std::string unreadable;
    };
    struct Step {
        std::string href;
        std::optional<std::int64_t> row;
        SyncAction action = SyncAction::Nothing;
    };

    Listing list(const std::optional<std::string>& token);
    std::optional<Listing> listEveryCard();
    Listing listByEtags();
    void read(const std::string& href, const std::string& etag, const QByteArray& body);
    void fetch(const QStringList& hrefs, std::set<std::string>& removed);
    void normaliseKnownHrefs();
    std::vector<Step> decideAll(Listing& listing);
    void applyHere(const Step& step);
    void applyThere(const Step& step);
    void putCard(const std::string& href, KnownCard card, std::int64_t row, bool isNew);
    void deleteCard(const std::string& href, const KnownCard& card);
    std::string key(const QString& href) const;
    QUrl urlOf(const std::string& href) const;
    [[noreturn]] void fail(const QByteArray& verb, const QUrl& url, const DavReply& reply) const;

    SyncState& state_;
    DavClient& dav_;
    QUrl collection_;
    SyncProgress& progress_;
    bool allowMassDelete_;
    SyncReport report_;
    std::unordered_map<std::string, Incoming> incoming_;
};

}  // namespace korvale::sync
