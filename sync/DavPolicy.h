#pragma once

#include <QString>
#include <QUrl>

namespace korvale::sync {

// Where the client may send the user's credentials and what it takes from a server, checked in one
// place. Each require* function throws StoreError with a sentence naming what was refused and why.

// Whether two URLs share scheme, host and port (a missing port counts as the scheme's own).
bool sameOrigin(const QUrl& a, const QUrl& b);

// Basic credentials in clear text cross no network: over http they go only to this machine, unless
// the user allows it.
void requirePrivateCredentials(const QUrl& server, bool withCredentials, bool allowPlainHttp);

// A place found while looking for the address book (`what`: "the user's principal", ...) must be on the
// server the user named.
void requireOnServer(const QUrl& server, const QUrl& found, const char* what);

// A card's href, as the server lists it, must name a resource inside the address book's collection.
void requireCardHref(const QUrl& collection, const QString& href);

// A card's ETag goes back to the server in an If-Match header, its UID into the card sent: neither may
// hold a line break or any other control character.
void requireCardTag(const QString& href, const QString& etag);
void requireCardUid(const QString& href, const QString& uid);

// Whether `text` holds a control character (C0, DEL or C1).
bool hasControl(const QString& text);
// `text` in double quotes with its control characters written as \xNN, fit for a message.
QString quoted(const QString& text);

}  // namespace korvale::sync
