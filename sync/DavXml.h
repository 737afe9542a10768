#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvale::sync {

// One <response> of a WebDAV multistatus: a resource and those of its properties the server found.
struct DavResource {
    QString href;
    // The response's own status (a card removed since a sync-token comes back 404), else 200.
    int status = 200;
    QString etag;
    QByteArray addressData;
    bool isAddressBook = false;
    QString displayName;
    QString principal;
    QString addressBookHome;
    QString syncToken;
};

struct Multistatus {
    std::vector<DavResource> resources;
    QString syncToken;
};

// The bodies of the requests a sync sends.
QByteArray discoveryPropfind();
QByteArray etagPropfind();
QByteArray syncTokenPropfind();
// Every card of the address book with its tag: a query whose filter holds no test.
QByteArray everyCardQuery();
// An empty token asks for every card; `withData` asks for the cards themselves, not only their tags.
QByteArray syncCollectionReport(const QString& token, bool withData);
QByteArray multigetReport(const QStringList& hrefs);

// Reads a 207 body. Returns false for text that is no multistatus, and then says why in `problem` when
// given one.
bool readMultistatus(const QByteArray& body, Multistatus& out, QString* problem = nullptr);

}  // namespace korvale::sync
