#pragma once

#include <QString>
#include <QUrl>

#include "sync/DavClient.h"

namespace korvale::sync {

struct AddressBook {
    QUrl url;
    // Its display name, else the last part of its path.
    QString name;
};

// The address book a URL leads to: the URL itself when it is one; otherwise the user's principal
// (asked of the URL, or of its /.well-known/carddav), the principal's addressbook-home-set, and the
// address book there: the only one, or the one whose name or last path part is `wanted`. Every place on
// the way must be on the server the URL names. Throws StoreError naming the step that failed, or, where
// there are several address books and none is wanted, listing them.
AddressBook findAddressBook(DavClient& dav, const QUrl& given, const QString& wanted = {});

}  // namespace korvale::sync
