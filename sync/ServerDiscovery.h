#pragma once

#include <QUrl>

#include "sync/DavClient.h"

namespace korvale::sync {

// The address book a URL leads to: the URL itself when it is one; otherwise the user's principal
// (asked of the URL, or of its /.well-known/carddav), the principal's addressbook-home-set, and the
// first address book there. Throws StoreError naming the step that found nothing.
QUrl findAddressBook(DavClient& dav, const QUrl& given);

}  // namespace korvale::sync
