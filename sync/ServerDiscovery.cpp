#include "sync/ServerDiscovery.h"

#include "store/StoreError.h"
#include "sync/DavXml.h"

namespace korvale::sync {

namespace {

std::string shown(const QUrl& url) {
    return url.toDisplayString(QUrl::RemoveUserInfo).toStdString();
}

// The resources a PROPFIND of the discovery properties finds; none when the answer is no multistatus.
Multistatus discover(DavClient& dav, const QUrl& url, const char* depth) {
    const DavReply reply = dav.send("PROPFIND", url, discoveryPropfind(), {{"Depth", depth}});
    if (reply.status == 0 || reply.status == 401) {
        throw StoreError("Cannot sync: " + failureText("PROPFIND", url, reply).toStdString());
    }
    Multistatus found;
    if (reply.status != 207 || !readMultistatus(reply.body, found)) found.resources.clear();
    return found;
}

QUrl withSlash(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

}  // namespace

QUrl findAddressBook(DavClient& dav, const QUrl& given) {
    const Multistatus self = discover(dav, given, "0");
    QString principal;
    for (const DavResource& resource : self.resources) {
        if (resource.isAddressBook) return withSlash(given);
        if (!resource.principal.isEmpty()) principal = resource.principal;
    }
    if (principal.isEmpty()) {
        for (const DavResource& resource :
             discover(dav, given.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), "0").resources) {
            if (!resource.principal.isEmpty()) principal = resource.principal;
        }
    }
    if (principal.isEmpty())
        throw StoreError("Cannot sync: " + shown(given) + " names no address book or user");
    const QUrl principalUrl = given.resolved(QUrl(principal));
    QString home;
    for (const DavResource& resource : discover(dav, principalUrl, "0").resources) {
        if (!resource.addressBookHome.isEmpty()) home = resource.addressBookHome;
    }
    if (home.isEmpty())
        throw StoreError("Cannot sync: the user " + shown(principalUrl) + " has no address books");
    const QUrl homeUrl = withSlash(principalUrl.resolved(QUrl(home)));
    for (const DavResource& resource : discover(dav, homeUrl, "1").resources) {
        if (resource.isAddressBook) return withSlash(homeUrl.resolved(QUrl(resource.href)));
    }
    throw StoreError("Cannot sync: there is no address book in " + shown(homeUrl));
}

}  // namespace korvale::sync
