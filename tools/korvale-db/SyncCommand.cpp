#include "tools/korvale-db/SyncCommand.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QUuid>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>
#include <unordered_set>

#include "exchange/ContactMapping.h"
#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"
#include "store/BookHistory.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"
#include "store/SyncAccount.h"
#include "store/SyncState.h"
#include "sync/DavClient.h"
#include "sync/DavPolicy.h"
#include "sync/DavXml.h"
#include "sync/ServerDiscovery.h"
#include "tools/korvale-db/Progress.h"
#include "tools/korvale-db/SyncAccountChoice.h"
#include "tools/korvale-db/SyncBook.h"
#include "tools/korvale-db/SyncReport.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

using namespace korvale::exchange;
using namespace korvale::sync;

namespace {

// Cards fetched per addressbook-multiget, and applied per transaction.
constexpr std::size_t kBatch = 2500;

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

std::string text(const QString& s) {
    return s.toStdString();
}

// "Fetching every card from the server..." on standard error while a long request runs, when standard
// error is a terminal; the line is wiped once the answer is in.
class Waiting {
public:
    explicit Waiting(std::string what) : what_(std::move(what)), shown_(::isatty(STDERR_FILENO) == 1) {
        if (shown_) std::cerr << what_ << "..." << std::flush;
    }
    ~Waiting() {
        if (shown_) std::cerr << '\r' << std::string(what_.size() + 3, ' ') << '\r' << std::flush;
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    std::string what_;
    bool shown_;
};

// A server that holds back part of an answer says so with a 507 for the collection; such a list is not
// every card, and what it lacks must not pass for deleted.
bool truncated(const Multistatus& found) {
    return std::any_of(found.resources.begin(), found.resources.end(),
                       [](const DavResource& resource) { return resource.status == 507; });
}

[[noreturn]] void fail(const QByteArray& verb, const QUrl& url, const DavReply& reply) {
    throw StoreError("Cannot sync: " + text(failureText(verb, url, reply)));
}

class Sync {
public:
    Sync(SyncBook& book, BookConnection& connection, DavClient& dav, QUrl collection)
        : book_(book), connection_(connection), dav_(dav), collection_(std::move(collection)) {}

    SyncReport run(std::optional<std::string>& token);

private:
    Listing list(const std::optional<std::string>& token);
    std::optional<Listing> listEveryCard();
    Listing listByEtags();
    void fetch(const QStringList& hrefs, Progress& progress);
    void apply(const std::string& href, const std::string& etag, const QByteArray& body);
    void removedOnServer(const Listing& listing);
    void push();
    void putCard(const std::string& href, KnownCard card, std::int64_t row, bool isNew);
    std::string key(const QString& href) const;
    QUrl urlOf(const std::string& href) const {
        return collection_.resolved(QUrl(QString::fromStdString(href)));
    }

    SyncBook& book_;
    BookConnection& connection_;
    DavClient& dav_;
    QUrl collection_;
    SyncReport report_;
    DateMemo dates_;
    std::uint64_t applied_ = 0;
};

// Hrefs are kept as the server writes them: paths, whatever host a server adds in front.
std::string Sync::key(const QString& href) const {
    requireCardHref(collection_, href);
    const QUrl url(href);
    return text(url.isRelative() ? href : url.path(QUrl::FullyEncoded));
}

// Without a token: the collection's token first, then every card in one query, so that whatever changes
// in between comes again with the next sync rather than never. A server answers the query with the cards
// faster than it lists them by sync-collection or finds 10,000 of them by href.
std::optional<Listing> Sync::listEveryCard() {
    const DavReply tokenReply = dav_.send("PROPFIND", collection_, syncTokenPropfind(), {{"Depth", "0"}});
    Multistatus tokens;
    if (tokenReply.status == 0 || tokenReply.status == 401) fail("PROPFIND", collection_, tokenReply);
    if (tokenReply.status != 207 || !readMultistatus(tokenReply.body, tokens)) tokens.resources.clear();
    Multistatus found;
    {
        const Waiting waiting("Fetching every card from the server");
        const DavReply reply = dav_.send("REPORT", collection_, everyCardQuery(), {{"Depth", "1"}});
        if (reply.status != 207 || !readMultistatus(reply.body, found) || truncated(found))
            return std::nullopt;
    }
    Listing listing;
    listing.full = true;
    for (const DavResource& resource : tokens.resources) {
        if (!resource.syncToken.isEmpty()) listing.token = text(resource.syncToken);
    }
    for (const DavResource& resource : found.resources) {
        if (resource.status == 200 && !resource.href.endsWith(QLatin1Char('/')))
            listing.present[key(resource.href)] = {text(resource.etag), resource.addressData};
    }
    return listing;
}

Listing Sync::list(const std::optional<std::string>& token) {
    const QString since = QString::fromStdString(token.value_or(std::string()));
    if (since.isEmpty()) {
        if (std::optional<Listing> every = listEveryCard()) return std::move(*every);
    }
    // Where the query failed, a first list brings the cards with it.
    std::optional<Waiting> waiting;
    if (since.isEmpty()) waiting.emplace("Fetching every card from the server");
    const DavReply reply =
        dav_.send("REPORT", collection_, syncCollectionReport(since, since.isEmpty()), {{"Depth", "1"}});
    waiting.reset();
    // A token the server no longer knows is refused; listing everything again starts afresh.
    if ((reply.status == 403 || reply.status == 409) && !since.isEmpty()) return list(std::nullopt);
    Multistatus found;
    if (reply.status != 207 || !readMultistatus(reply.body, found)) {
        if (reply.status == 0 || reply.status == 401) fail("REPORT", collection_, reply);
        return listByEtags();
    }
    Listing listing;
    listing.full = since.isEmpty() && !truncated(found);
    if (!found.syncToken.isEmpty()) listing.token = text(found.syncToken);
    for (const DavResource& resource : found.resources) {
        if (resource.status == 404) {
            listing.removed.insert(key(resource.href));
        } else if (resource.status == 200 && !resource.href.endsWith(QLatin1Char('/'))) {
            listing.present[key(resource.href)] = {text(resource.etag), resource.addressData};
        }
    }
    return listing;
}

// A server without sync-collection: every card's tag, compared with the book's.
Listing Sync::listByEtags() {
    const DavReply reply = dav_.send("PROPFIND", collection_, etagPropfind(), {{"Depth", "1"}});
    Multistatus found;
    if (reply.status != 207 || !readMultistatus(reply.body, found)) fail("PROPFIND", collection_, reply);
    Listing listing;
    listing.full = !truncated(found);
    for (const DavResource& resource : found.resources) {
        if (!resource.href.endsWith(QLatin1Char('/')))
            listing.present[key(resource.href)] = {text(resource.etag), {}};
    }
    return listing;
}

SyncReport Sync::run(std::optional<std::string>& token) {
    Listing listing = list(token);
    report_.requests = dav_.requests();
    if (!listing.full && listing.present.empty() && listing.removed.empty() && !book_.hasLocalWork()) {
        token = listing.token;
        return report_;
    }
    {
        SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
        book_.detachGone();
        transaction.commit();
    }
    book_.load();
    if (listing.full) {
        // Whatever the book knows from the server and the full list lacks is gone from it; cards still on
        // their way out were never there.
        for (const auto& [href, card] : book_.cards()) {
            if (card.etag && !listing.present.contains(href)) listing.removed.insert(href);
        }
    }
    QStringList wanted;
    std::vector<std::pair<std::string, const Listed*>> brought;
    for (const auto& [href, listed] : listing.present) {
        const auto known = book_.cards().find(href);
        if (known != book_.cards().end() && known->second.etag == listed.etag) continue;
        if (listed.body.isEmpty()) {
            wanted << QString::fromStdString(href);
        } else {
            brought.emplace_back(href, &listed);
        }
    }
    {
        Progress progress("Syncing", static_cast<std::uint64_t>(wanted.size() + std::ssize(brought)));
        for (std::size_t at = 0; at < brought.size(); at += kBatch) {
            SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
            for (std::size_t i = at; i < brought.size() && i < at + kBatch; ++i) {
                apply(brought[i].first, brought[i].second->etag, brought[i].second->body);
                progress.show(++applied_);
            }
            transaction.commit();
        }
        const auto batch = static_cast<qsizetype>(kBatch);
        for (qsizetype at = 0; at < wanted.size(); at += batch) fetch(wanted.mid(at, batch), progress);
    }
    removedOnServer(listing);
    push();
    // Only now is everything the token covers in the book.
    token = listing.token;
    report_.requests = dav_.requests();
    return report_;
}

void Sync::fetch(const QStringList& hrefs, Progress& progress) {
    DavReply reply;
    {
        const Waiting waiting("Fetching " + std::to_string(hrefs.size()) + " changed cards from the server");
        reply = dav_.send("REPORT", collection_, multigetReport(hrefs), {{"Depth", "1"}});
    }
    Multistatus found;
    if (reply.status != 207 || !readMultistatus(reply.body, found)) fail("REPORT", collection_, reply);
    SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
    for (const DavResource& resource : found.resources) {
        // A card deleted between the list and the fetch comes in with the next sync's list.
        if (resource.status != 200 || resource.addressData.isEmpty()) continue;
        apply(key(resource.href), text(resource.etag), resource.addressData);
        progress.show(++applied_);
    }
    transaction.commit();
}

void Sync::apply(const std::string& href, const std::string& etag, const QByteArray& body) {
    VCardReader reader(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
    VCard vcard;
    try {
        if (!reader.next(vcard)) return;
    } catch (const FormatError& e) {
        std::cerr << "korvale-db: the card " << href << " cannot be read and was left out: " << e.what()
                  << '\n';
        return;
    }
    requireCardTag(QString::fromStdString(href), QString::fromStdString(etag));
    const Contact contact = contactFromCard(vcard);
    const std::string server = digestOf(contact.record);
    KnownCard card{std::nullopt, etag, server, {}};
    for (const VCardProperty& property : vcard.properties) {
        if (property.name == "UID") card.uid = unescape(property.value);
    }
    requireCardUid(QString::fromStdString(href), QString::fromStdString(card.uid));
    const auto known = book_.cards().find(href);
    if (known == book_.cards().end()) {
        card.row = book_.insertRow(contact.record);
        book_.keepCard(href, card);
        ++report_.newIn;
        return;
    }
    const KnownCard before = known->second;
    if (card.uid.empty()) card.uid = before.uid;
    const auto row = before.row ? book_.rows().find(*before.row) : book_.rows().end();
    if (row == book_.rows().end()) {
        if (server == before.digest) {
            // Deleted in the book, unchanged on the server: the delete goes out below.
            card.digest = before.digest;
        } else {
            // Changed on the server after it was deleted in the book: nothing is lost, it comes back.
            card.row = book_.insertRow(contact.record);
            ++report_.changedIn;
        }
        book_.keepCard(href, card);
        return;
    }
    card.row = row->first;
    const std::string local = row->second;
    if (server == local) {
        // Both sides hold the same: the book's own write coming back, or the same change made twice.
    } else if (server == before.digest) {
        // Only the tag moved; the book's change goes out below.
        card.digest = before.digest;
    } else if (local == before.digest) {
        book_.changeRow(row->first, contact.record);
        ++report_.changedIn;
    } else {
        // Changed on both sides: the server's version goes into the row and the history's trigger keeps
        // the book's.
        const std::string name = book_.record(row->first)[Column::Name];
        book_.changeRow(row->first, contact.record);
        report_.conflicts.push_back({name, book_.lastVersion()});
    }
    book_.keepCard(href, card);
}

void Sync::removedOnServer(const Listing& listing) {
    if (listing.removed.empty()) return;
    SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
    for (const std::string& href : listing.removed) {
        const auto known = book_.cards().find(href);
        if (known == book_.cards().end()) continue;
        KnownCard card = known->second;
        const auto row = card.row ? book_.rows().find(*card.row) : book_.rows().end();
        if (row == book_.rows().end()) {
            book_.dropCard(href);
        } else if (row->second == card.digest) {
            book_.deleteRow(row->first);
            book_.dropCard(href);
            ++report_.deletedInBook;
        } else {
            // Changed in the book since: kept, and put back under the same name as a new card.
            report_.sentBack.push_back(book_.record(row->first)[Column::Name]);
            card.etag.reset();
            book_.keepCard(href, card);
        }
    }
    transaction.commit();
}

void Sync::push() {
    // What is to go out is picked first, as sending changes the cards being walked.
    std::unordered_set<std::int64_t> synced(book_.cards().size());
    std::vector<std::string> work;
    for (const auto& [href, card] : book_.cards()) {
        const auto row = card.row ? book_.rows().find(*card.row) : book_.rows().end();
        if (row != book_.rows().end()) synced.insert(row->first);
        if (row == book_.rows().end() || !card.etag || row->second != card.digest) work.push_back(href);
    }
    for (const std::string& href : work) {
        const KnownCard card = book_.cards()[href];
        const auto row = card.row ? book_.rows().find(*card.row) : book_.rows().end();
        if (row != book_.rows().end()) {
            putCard(href, card, row->first, !card.etag);
            continue;
        }
        if (card.etag) {
            const QUrl url = urlOf(href);
            const DavReply reply =
                dav_.send("DELETE", url, {}, {{"If-Match", QByteArray::fromStdString(*card.etag)}});
            if (reply.status == 412) {
                report_.deferred.push_back(href);
                continue;
            }
            if (reply.status != 404 && (reply.status < 200 || reply.status >= 300))
                fail("DELETE", url, reply);
            ++report_.deletedOnServer;
        }
        SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
        book_.dropCard(href);
        transaction.commit();
    }
    std::vector<std::int64_t> fresh;
    for (const auto& [row, digest] : book_.rows()) {
        if (!synced.contains(row)) fresh.push_back(row);
    }
    for (const std::int64_t row : fresh) {
        // The card's name is in the book before the card goes out, so that a sync cut off after the PUT
        // finds it on the server by that name rather than sending it twice.
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const std::string href = text(collection_.path(QUrl::FullyEncoded) + uid + QStringLiteral(".vcf"));
        const KnownCard card{row, std::nullopt, book_.rows()[row], text(uid)};
        SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
        book_.keepCard(href, card);
        transaction.commit();
        putCard(href, card, row, true);
    }
}

void Sync::putCard(const std::string& href, KnownCard card, std::int64_t row, bool isNew) {
    const ClientRecord values = book_.record(row);
    RowTexts texts;
    for (std::size_t i = 0; i < kColumnCount; ++i) texts[i] = values.values[i];
    std::string body;
    VCardWriter writer(body, VCardVersion::V3);
    // Servers match cards by their UID.
    writeCard(writer, texts, dates_, card.uid);

    const QUrl url = urlOf(href);
    const DavReply reply = dav_.send(
        "PUT", url, QByteArray::fromStdString(body),
        {isNew ? std::pair<QByteArray, QByteArray>{"If-None-Match", "*"}
               : std::pair<QByteArray, QByteArray>{"If-Match", QByteArray::fromStdString(*card.etag)}});
    if (reply.status == 412) {
        // Already there (a cut-off sync's card) or changed there meanwhile: the next list shows which.
        report_.deferred.push_back(values[Column::Name]);
        return;
    }
    if (reply.status < 200 || reply.status >= 300) fail("PUT", url, reply);
    // A server that gives no tag leaves an empty one, which the next list tells apart from its own.
    card.etag = text(reply.etag);
    card.digest = book_.rows()[row];
    SQLite::Transaction transaction = beginWriting(connection_, "Cannot sync");
    book_.keepCard(href, card);
    transaction.commit();
    ++(isNew ? report_.newOut : report_.changedOut);
}

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
    requireHistory(*connection);
    const std::optional<SyncAccountChoice> account = chooseSyncAccount(line, *connection);
    if (!account) return EXIT_SUCCESS;
    SyncBook book(connection->db());
    if (!hasSyncState(connection->db())) {
        SQLite::Transaction transaction = beginWriting(*connection, "Cannot sync");
        addSyncState(connection->db());
        transaction.commit();
    }
    DavClient dav(account->given, account->user, account->password ? account->password->text : QString());

    SyncReport report;
    try {
        std::optional<SyncBook::Server> server = book.server();
        if (!server) {
            const AddressBook found = findAddressBook(
                dav, account->given, QString::fromStdString(line.value("--addressbook").value_or("")));
            std::cerr << "Address book: " << text(quoted(found.name)) << " at "
                      << text(found.url.toDisplayString(QUrl::RemoveUserInfo)) << '\n';
            server = SyncBook::Server{account->url, text(found.url.toString(QUrl::FullyEncoded)), std::nullopt};
            SQLite::Transaction transaction = beginWriting(*connection, "Cannot sync");
            book.keepServer(*server);
            transaction.commit();
        }
        if (account->recordUser) {
            SQLite::Transaction transaction = beginWriting(*connection, "Cannot sync");
            keepSyncUser(connection->db(), text(account->user));
            transaction.commit();
        }

        Sync sync(book, *connection, dav, QUrl(QString::fromStdString(server->collection)));
        std::optional<std::string> token = server->token;
        report = sync.run(token);
        if (token != server->token) {
            server->token = token;
            SQLite::Transaction transaction = beginWriting(*connection, "Cannot sync");
            book.keepServer(*server);
            transaction.commit();
        }
    } catch (...) {
        // A password the server took is kept even when the sync fails later on.
        savePassword(line, *account, dav);
        throw;
    }
    report.print(std::cout, line.book.dir.string());
    return savePassword(line, *account, dav) ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace korvale::tool
