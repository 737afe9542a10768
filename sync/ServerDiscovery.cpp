#include "sync/ServerDiscovery.h"

#include <vector>

#include "store/StoreError.h"
#include "sync/DavPolicy.h"
#include "sync/DavXml.h"

namespace korvale::sync {

namespace {

std::string shown(const QUrl& url) {
    return url.toDisplayString(QUrl::RemoveUserInfo).toStdString();
}

struct Found : Multistatus {
    // Where the answer came from, which a redirect on the same server moves: what follows is relative
    // to it.
    QUrl url;
};

// The resources a PROPFIND of the discovery properties finds. An answer that is not a multistatus ends
// the sync with what it means, unless the place is only `tried` (a /.well-known address the server need
// not have), which then finds nothing.
Found discover(DavClient& dav, const QUrl& url, const char* depth, bool tried = false) {
    const DavReply reply = dav.send("PROPFIND", url, discoveryPropfind(), {{"Depth", depth}});
    Found found;
    const bool read = reply.status == 207 && readMultistatus(reply.body, found);
    if (read) {
        found.url = reply.url;
        return found;
    }
    if (tried && reply.status != 0 && reply.status != 401) return {};
    throw StoreError("Cannot sync: " + failureText("PROPFIND", url, reply).toStdString());
}

QUrl withSlash(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

QString lastPart(const QUrl& url) {
    return url.path(QUrl::FullyDecoded).section(QLatin1Char('/'), -2, -2);
}

AddressBook bookOf(const QUrl& url, const DavResource& resource) {
    return {url, resource.displayName.isEmpty() ? lastPart(url) : resource.displayName};
}

std::string listed(const std::vector<AddressBook>& books) {
    std::string list;
    for (const AddressBook& book : books)
        list += "\n  " + quoted(book.name).toStdString() + " at " + shown(book.url);
    return list;
}

AddressBook choose(const std::vector<AddressBook>& books, const QUrl& home, const QString& wanted) {
    if (books.empty()) throw StoreError("Cannot sync: there is no address book in " + shown(home));
    if (wanted.isEmpty() && books.size() == 1) return books.front();
    for (const AddressBook& book : books) {
        if (!wanted.isEmpty() && (book.name == wanted || lastPart(book.url) == wanted)) return book;
    }
    if (wanted.isEmpty()) {
        throw StoreError("Cannot sync: " + shown(home) + " holds " + std::to_string(books.size()) +
                         " address books; name one with --addressbook NAME:" + listed(books));
    }
    throw StoreError("Cannot sync: " + shown(home) + " holds no address book named " +
                     quoted(wanted).toStdString() + "; it holds:" + listed(books));
}

}  // namespace

AddressBook findAddressBook(DavClient& dav, const QUrl& given, const QString& wanted) {
    const Found self = discover(dav, given, "0");
    QString principal;
    for (const DavResource& resource : self.resources) {
        if (resource.isAddressBook) return bookOf(withSlash(self.url), resource);
        if (!resource.principal.isEmpty()) principal = resource.principal;
    }
    if (principal.isEmpty()) {
        const QUrl known = given.resolved(QUrl(QStringLiteral("/.well-known/carddav")));
        for (const DavResource& resource : discover(dav, known, "0", true).resources) {
            if (!resource.principal.isEmpty()) principal = resource.principal;
        }
    }
    if (principal.isEmpty()) {
        throw StoreError("Cannot sync: " + shown(given) +
                         " is no address book and names no user (no current-user-principal there nor at "
                         "/.well-known/carddav)");
    }
    const QUrl principalUrl = self.url.resolved(QUrl(principal));
    requireOnServer(given, principalUrl, "the user's principal");
    QString home;
    const Found user = discover(dav, principalUrl, "0");
    for (const DavResource& resource : user.resources) {
        if (!resource.addressBookHome.isEmpty()) home = resource.addressBookHome;
    }
    if (home.isEmpty())
        throw StoreError("Cannot sync: the user " + shown(principalUrl) + " has no address books");
    const QUrl homeUrl = withSlash(user.url.resolved(QUrl(home)));
    requireOnServer(given, homeUrl, "the user's address books");
    std::vector<AddressBook> books;
    const Found listed = discover(dav, homeUrl, "1");
    for (const DavResource& resource : listed.resources) {
        if (!resource.isAddressBook) continue;
        const QUrl url = withSlash(listed.url.resolved(QUrl(resource.href)));
        requireOnServer(given, url, "an address book");
        books.push_back(bookOf(url, resource));
    }
    return choose(books, homeUrl, wanted);
}

}  // namespace korvale::sync
