#include "sync/SyncEngine.h"

#include <QCryptographicHash>
#include <QUuid>

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"
#include "store/StoreError.h"
#include "sync/DavPolicy.h"
#include "sync/DavXml.h"
#include "sync/Href.h"

namespace korvale::sync {

using namespace korvale::exchange;

namespace {

// Cards fetched per addressbook-multiget, and book actions per transaction.
constexpr std::size_t kBatch = 2500;

std::string text(const QString& s) {
    return s.toStdString();
}

// A line break or another control character, which would end a line of a card or a request header.
bool hasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// A server that holds back part of an answer says so with a 507 for the collection; such a list is not
// every card, and what it lacks must not pass for deleted.
bool truncated(const Multistatus& found) {
    return std::any_of(found.resources.begin(), found.resources.end(),
                       [](const DavResource& resource) { return resource.status == 507; });
}

// Tells the progress of a long request for as long as it lives.
class Waiting {
public:
    Waiting(SyncProgress& progress, const std::string& what) : progress_(progress) {
        progress_.waiting(what);
    }
    ~Waiting() { progress_.waiting({}); }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    SyncProgress& progress_;
};

}  // namespace

std::string rowDigest(const std::array<std::string_view, kColumnCount>& values) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const std::string_view value : values) {
        // Each value after its length, so that no two rows give the same bytes.
        char length[24];
        const auto end = std::to_chars(length, length + sizeof length - 1, value.size()).ptr;
        *end = ':';
        hash.addData(QByteArrayView(length, end + 1 - length));
        hash.addData(QByteArrayView(value.data(), static_cast<qsizetype>(value.size())));
    }
    constexpr char kHex[] = "0123456789abcdef";
    std::string digest;
    for (const char byte : hash.resultView()) {
        digest += kHex[(static_cast<unsigned char>(byte) >> 4) & 0xF];
        digest += kHex[static_cast<unsigned char>(byte) & 0xF];
    }
    return digest;
}

std::string cardBody(const ClientRecord& values, const std::string& uid, const std::string& lastCard) {
    if (!lastCard.empty()) {
        try {
            Card card = readCard(lastCard);
            patchCard(card, values);
            return cardText(card);
        } catch (const FormatError&) {
            // Read once already, so never expected; the card is then made afresh.
        }
    }
    return cardText(newCard(values, VCardVersion::V3, uid, CardUse::Server));
}

SyncEngine::SyncEngine(SyncState& state, DavClient& dav, QUrl collection, SyncProgress& progress,
                       bool allowMassDelete)
    : state_(state),
      dav_(dav),
      collection_(std::move(collection)),
      progress_(progress),
      allowMassDelete_(allowMassDelete) {
    report_.addressBook = text(collection_.toDisplayString(QUrl::RemoveUserInfo));
}

void SyncEngine::fail(const QByteArray& verb, const QUrl& url, const DavReply& reply) const {
    throw StoreError("Cannot sync: " + text(failureText(verb, url, reply)));
}

// Hrefs are paths, whatever host a server adds in front, in one spelling (normalHref) on both sides.
std::string SyncEngine::key(const QString& href) const {
    requireCardHref(collection_, href);
    const QUrl url(href);
    return normalHref(text(url.isRelative() ? href : url.path(QUrl::FullyEncoded)));
}

QUrl SyncEngine::urlOf(const std::string& href) const {
    return collection_.resolved(QUrl(QString::fromStdString(href)));
}

// Without a token: the collection's token first, then every card in one query, so that whatever changes
// in between comes again with the next sync rather than never. A server answers the query with the cards
// faster than it lists them by sync-collection or finds 10,000 of them by href.
std::optional<SyncEngine::Listing> SyncEngine::listEveryCard() {
    const DavReply tokenReply = dav_.send("PROPFIND", collection_, syncTokenPropfind(), {{"Depth", "0"}});
    Multistatus tokens;
    if (tokenReply.status == 0 || tokenReply.status == 401) fail("PROPFIND", collection_, tokenReply);
    if (tokenReply.status != 207 || !readMultistatus(tokenReply.body, tokens)) tokens.resources.clear();
    Multistatus found;
    {
        const Waiting waiting(progress_, "Fetching every card from the server");
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

SyncEngine::Listing SyncEngine::list(const std::optional<std::string>& token) {
    const QString since = QString::fromStdString(token.value_or(std::string()));
    if (since.isEmpty()) {
        if (std::optional<Listing> every = listEveryCard()) return std::move(*every);
    }
    // Where the query failed, a first list brings the cards with it.
    std::optional<Waiting> waiting;
    if (since.isEmpty()) waiting.emplace(progress_, "Fetching every card from the server");
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
SyncEngine::Listing SyncEngine::listByEtags() {
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

// Books synced before hrefs had one spelling keep some in another; they are filed under it once.
void SyncEngine::normaliseKnownHrefs() {
    std::vector<std::pair<std::string, std::string>> renamed;
    for (const auto& [href, card] : state_.cards()) {
        if (std::string normal = normalHref(href); normal != href)
            renamed.emplace_back(href, std::move(normal));
    }
    if (renamed.empty()) return;
    BookHandle::Writing transaction = state_.begin();
    for (const auto& [from, to] : renamed) state_.renameCard(from, to);
    transaction.commit();
}

SyncReport SyncEngine::run(std::optional<std::string>& token) {
    Listing listing = list(token);
    report_.requests = dav_.requests();
    if (!listing.full && listing.present.empty() && listing.removed.empty() && !state_.hasLocalWork()) {
        token = listing.token;
        return report_;
    }
    {
        BookHandle::Writing transaction = state_.begin();
        state_.detachGone();
        transaction.commit();
    }
    state_.load();
    normaliseKnownHrefs();
    const auto& cards = state_.cards();
    if (listing.full) {
        // Whatever the book knows from the server and the full list lacks is gone from it; cards still on
        // their way out were never there.
        for (const auto& [href, card] : cards) {
            if ((card.etag || !card.unreadable.empty()) && !listing.present.contains(href))
                listing.removed.insert(href);
        }
    }
    QStringList wanted;
    for (auto& [href, listed] : listing.present) {
        const auto known = cards.find(href);
        if (known != cards.end() && known->second.etag == listed.etag && known->second.unreadable.empty())
            continue;
        if (listed.body.isEmpty()) {
            wanted << QString::fromStdString(href);
        } else {
            read(href, listed.etag, listed.body);
            listed.body.clear();
        }
    }
    // A card that could not be read is read again by every sync, listed or not.
    for (const auto& [href, card] : cards) {
        if (!card.unreadable.empty() && !listing.present.contains(href) && !listing.removed.contains(href))
            wanted << QString::fromStdString(href);
    }
    const auto batch = static_cast<qsizetype>(kBatch);
    for (qsizetype at = 0; at < wanted.size(); at += batch) fetch(wanted.mid(at, batch), listing.removed);
    for (const QString& href : std::as_const(wanted)) {
        // Asked for and not sent: gone, when the server said so (404); else read again next time.
        const std::string asked = href.toStdString();
        if (!incoming_.contains(asked) && !listing.removed.contains(asked))
            incoming_[asked].unreadable = "the server listed it but did not send it";
    }

    const std::vector<Step> steps = decideAll(listing);
    const auto deletions = std::count_if(
        steps.begin(), steps.end(), [](const Step& step) { return step.action == SyncAction::DeleteHere; });
    const auto synced = std::count_if(cards.begin(), cards.end(), [&](const auto& known) {
        return known.second.etag && known.second.row && state_.rows().contains(*known.second.row);
    });
    if (deletions > 0 && deletions * 2 > synced && !allowMassDelete_) {
        report_.massDelete = {static_cast<int>(deletions), static_cast<int>(synced)};
        return report_;
    }

    const auto total = static_cast<std::uint64_t>(incoming_.size());
    std::uint64_t applied = 0;
    for (std::size_t at = 0; at < steps.size(); at += kBatch) {
        BookHandle::Writing transaction = state_.begin();
        for (std::size_t i = at; i < steps.size() && i < at + kBatch; ++i) {
            applyHere(steps[i]);
            if (incoming_.contains(steps[i].href)) progress_.applied(++applied, total);
        }
        transaction.commit();
    }
    for (const Step& step : steps) applyThere(step);
    // Only now is everything the token covers in the book.
    token = listing.token;
    report_.requests = dav_.requests();
    return report_;
}

void SyncEngine::fetch(const QStringList& hrefs, std::set<std::string>& removed) {
    DavReply reply;
    {
        const Waiting waiting(progress_,
                              "Fetching " + std::to_string(hrefs.size()) + " changed cards from the server");
        reply = dav_.send("REPORT", collection_, multigetReport(hrefs), {{"Depth", "1"}});
    }
    Multistatus found;
    if (reply.status != 207 || !readMultistatus(reply.body, found)) fail("REPORT", collection_, reply);
    for (const DavResource& resource : found.resources) {
        if (resource.status == 200 && !resource.addressData.isEmpty()) {
            read(key(resource.href), text(resource.etag), resource.addressData);
        } else if (resource.status == 404) {
            removed.insert(key(resource.href));
        }
    }
}

// A card from the server, read into the values of a row; what cannot be read is kept with the reason.
void SyncEngine::read(const std::string& href, const std::string& etag, const QByteArray& body) {
    Incoming& in = incoming_[href];
    in.etag = etag;
    in.body.assign(body.constData(), static_cast<std::size_t>(body.size()));
    VCardReader reader(in.body);
    Card card;
    try {
        if (!reader.next(card)) {
            in.unreadable = "it holds no card";
            return;
        }
    } catch (const FormatError& e) {
        in.unreadable = e.what();
        return;
    }
    in.uid = card.uid();
    if (hasControl(in.uid)) {
        in.unreadable = "its UID " + text(quoted(QString::fromStdString(in.uid))) +
                        " holds a line break or another control character";
    } else if (hasControl(in.etag)) {
        in.unreadable = "its entity tag " + text(quoted(QString::fromStdString(in.etag))) +
                        " holds a line break or another control character";
    }
    // What has no column stays on the card, which goes back patched; nothing is folded into remarks.
    in.record = contactFromCard(card, Extras::KeepOnCard).record;
    std::array<std::string_view, kColumnCount> values;
    for (std::size_t i = 0; i < kColumnCount; ++i) values[i] = in.record.values[i];
    in.digest = rowDigest(values);
}

std::vector<SyncEngine::Step> SyncEngine::decideAll(Listing& listing) {
    auto& cards = state_.cards();
    auto& rows = state_.rows();
    std::set<std::string> hrefs(listing.removed.begin(), listing.removed.end());
    for (const auto& [href, card] : cards) hrefs.insert(href);
    for (const auto& [href, in] : incoming_) hrefs.insert(href);
    std::unordered_set<std::int64_t> attached(cards.size());
    std::vector<Step> steps;
    steps.reserve(hrefs.size() + rows.size());
    for (const std::string& href : hrefs) {
        ContactState contact;
        Step step{href, std::nullopt, SyncAction::Nothing};
        if (const auto known = cards.find(href); known != cards.end()) {
            const KnownCard& card = known->second;
            if (card.row && rows.contains(*card.row)) {
                step.row = *card.row;
                attached.insert(*card.row);
                contact.inBook = true;
                contact.bookDigest = rows[*card.row];
            }
            // A card that was never read holds nothing of the book's yet.
            contact.known = card.row || card.etag || !card.digest.empty();
            contact.confirmed = card.etag.has_value();
            contact.lastDigest = card.digest;
        }
        if (const auto in = incoming_.find(href); in != incoming_.end()) {
            contact.server = in->second.unreadable.empty() ? ServerSide::Changed : ServerSide::Unreadable;
            contact.serverDigest = in->second.digest;
        } else if (listing.removed.contains(href)) {
            contact.server = ServerSide::Removed;
        }
        step.action = decide(contact);
        steps.push_back(std::move(step));
    }
    std::vector<std::int64_t> fresh;
    for (const auto& [row, digest] : rows) {
        if (!attached.contains(row)) fresh.push_back(row);
    }
    std::sort(fresh.begin(), fresh.end());
    for (const std::int64_t row : fresh) steps.push_back({{}, row, SyncAction::SendNew});
    return steps;
}

// The step's part in the book, inside the caller's transaction: rows and the state that names them.
void SyncEngine::applyHere(const Step& step) {
    auto& cards = state_.cards();
    const auto found = cards.find(step.href);
    KnownCard before = found != cards.end() ? found->second : KnownCard{};
    const auto incoming = incoming_.find(step.href);
    const Incoming* in = incoming != incoming_.end() ? &incoming->second : nullptr;
    // The server's card as the book now knows it, holding `digest`.
    const auto keepServers = [&](std::optional<std::int64_t> row, const std::string& digest) {
        state_.keepCard(step.href,
                        KnownCard{row, in->etag, digest, in->uid.empty() ? before.uid : in->uid, {}},
                        &in->body);
    };
    switch (step.action) {
        case SyncAction::TakeServer:
            if (step.row) {
                state_.changeRow(*step.row, in->record);
                ++report_.changedIn;
                keepServers(step.row, in->digest);
            } else {
                keepServers(state_.insertRow(in->record), in->digest);
                ++report_.newIn;
            }
            break;
        case SyncAction::KeepTag:
            keepServers(step.row, in->digest);
            break;
        case SyncAction::SendRow:
        case SyncAction::DeleteThere:
            // Only the tag moved: the book's change or delete goes out against the new one.
            if (in) keepServers(step.row, before.digest);
            break;
        case SyncAction::Conflict: {
            // The server's version goes into the row and the history's trigger keeps the book's.
            const std::string name = state_.record(*step.row)[Column::Name];
            state_.changeRow(*step.row, in->record);
            report_.conflicts.push_back({name, state_.lastVersion()});
            keepServers(step.row, in->digest);
            break;
        }
        case SyncAction::ConflictDeletedHere:
            // The history keeps the deleted version; the server's comes back beside it.
            keepServers(state_.insertRow(in->record), in->digest);
            report_.broughtBack.push_back(in->record[Column::Name]);
            break;
        case SyncAction::DeleteHere:
            state_.deleteRow(*step.row);
            state_.dropCard(step.href);
            ++report_.deletedInBook;
            break;
        case SyncAction::Forget:
            if (found != cards.end()) state_.dropCard(step.href);
            break;
        case SyncAction::SendBack:
            // Put back under the same name as a new card.
            report_.sentBack.push_back(state_.record(*step.row)[Column::Name]);
            before.etag.reset();
            state_.keepCard(step.href, before);
            break;
        case SyncAction::LeavePending:
            before.unreadable = in->unreadable;
            state_.keepCard(step.href, before);
            report_.unreadable.push_back({step.href, in->unreadable});
            break;
        case SyncAction::Nothing:
        case SyncAction::SendNew:
            break;
    }
}

// The step's requests to the server.
void SyncEngine::applyThere(const Step& step) {
    switch (step.action) {
        case SyncAction::SendRow:
            putCard(step.href, state_.cards()[step.href], *step.row, false);
            break;
        case SyncAction::SendBack:
            putCard(step.href, state_.cards()[step.href], *step.row, true);
            break;
        case SyncAction::SendNew:
            if (!step.href.empty()) {
                putCard(step.href, state_.cards()[step.href], *step.row, true);
            } else {
                // The card's name is in the book before the card goes out, so that a sync cut off after the
                // PUT finds it on the server by that name rather than sending it twice.
                const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
                const std::string href =
                    normalHref(text(collection_.path(QUrl::FullyEncoded) + uid + QStringLiteral(".vcf")));
                const KnownCard card{*step.row, std::nullopt, state_.rows()[*step.row], text(uid), {}};
                BookHandle::Writing transaction = state_.begin();
                state_.keepCard(href, card);
                transaction.commit();
                putCard(href, card, *step.row, true);
            }
            break;
        case SyncAction::DeleteThere:
            deleteCard(step.href, state_.cards()[step.href]);
            break;
        default:
            break;
    }
}

void SyncEngine::deleteCard(const std::string& href, const KnownCard& card) {
    const QUrl url = urlOf(href);
    const DavReply reply =
        dav_.send("DELETE", url, {}, {{"If-Match", QByteArray::fromStdString(*card.etag)}});
    if (reply.status == 412) {
        report_.deferred.push_back(href);
        return;
    }
    if (reply.status != 404 && (reply.status < 200 || reply.status >= 300)) fail("DELETE", url, reply);
    ++report_.deletedOnServer;
    BookHandle::Writing transaction = state_.begin();
    state_.dropCard(href);
    transaction.commit();
}

void SyncEngine::putCard(const std::string& href, KnownCard card, std::int64_t row, bool isNew) {
    const ClientRecord values = state_.record(row);
    if (card.uid.empty()) card.uid = text(QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QUrl url = urlOf(href);
    std::string last = state_.lastCard(href);
    if (last.empty() && !isNew) {
        // A card synced before the book kept the server's cards: as the server holds it now (If-Match
        // below makes sure it is that version).
        const DavReply got = dav_.send("GET", url);
        if (got.status == 200) {
            last = got.body.toStdString();
        } else {
            report_.notKept.push_back({values[Column::Name],
                                       "the properties of its card that the book has no "
                                       "column for (the server did not send the card)"});
        }
    }
    const std::string body = cardBody(values, card.uid, last);
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
    card.digest = state_.rows()[row];
    card.unreadable.clear();
    BookHandle::Writing transaction = state_.begin();
    state_.keepCard(href, card, &body);
    transaction.commit();
    ++(isNew ? report_.newOut : report_.changedOut);
}

}  // namespace korvale::sync
