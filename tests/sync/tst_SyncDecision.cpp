// The sync's decisions as a table: what is known of one contact (digests are stand-in texts, only their
// equality matters), and the one action it must lead to.

#include <QTest>

#include "sync/SyncDecision.h"

using korvale::sync::ContactState;
using korvale::sync::ServerSide;
using korvale::sync::SyncAction;

Q_DECLARE_METATYPE(SyncAction)

namespace {

// "book|server|last". book: the row's digest, empty for no row. server: "same", "gone", "unreadable", or
// the read card's digest. last: "none" for a card never held, "sent a" for a card on its way out holding
// a, else the digest last synced (empty when forgotten).
ContactState state(const QString& known) {
    const QStringList part = known.split('|');
    ContactState s;
    s.inBook = !part[0].isEmpty();
    s.bookDigest = part[0].toStdString();
    const QStringList sides{"same", "gone", "unreadable"};
    const ServerSide side[] = {ServerSide::Unchanged, ServerSide::Removed, ServerSide::Unreadable};
    s.server = sides.contains(part[1]) ? side[sides.indexOf(part[1])] : ServerSide::Changed;
    if (s.server == ServerSide::Changed) s.serverDigest = part[1].toStdString();
    s.known = part[2] != "none";
    s.confirmed = !part[2].startsWith("sent ");
    s.lastDigest = QString(part[2]).remove("sent ").remove("none").toStdString();
    return s;
}

}  // namespace

class tst_SyncDecision : public QObject {
    Q_OBJECT
private slots:
    void decide_data() {
        QTest::addColumn<QString>("known");
        QTest::addColumn<SyncAction>("action");
        // clang-format off
        QTest::newRow("row new in the book") << "a|same|none" << SyncAction::SendNew;
        QTest::newRow("card new on the server") << "|a|none" << SyncAction::TakeServer;
        QTest::newRow("card never read, gone") << "|gone|none" << SyncAction::Forget;
        QTest::newRow("as last synced") << "a|same|a" << SyncAction::Nothing;
        QTest::newRow("changed in the book") << "b|same|a" << SyncAction::SendRow;
        QTest::newRow("changed on the server") << "a|b|a" << SyncAction::TakeServer;
        QTest::newRow("same change on both sides") << "b|b|a" << SyncAction::KeepTag;
        QTest::newRow("changed on both sides") << "b|c|a" << SyncAction::Conflict;
        QTest::newRow("deleted in the book") << "|same|a" << SyncAction::DeleteThere;
        QTest::newRow("deleted in the book, changed on the server") << "|b|a" << SyncAction::ConflictDeletedHere;
        QTest::newRow("deleted on the server") << "a|gone|a" << SyncAction::DeleteHere;
        QTest::newRow("deleted on the server, changed in the book") << "b|gone|a" << SyncAction::SendBack;
        QTest::newRow("deleted on both sides") << "|gone|a" << SyncAction::Forget;
        QTest::newRow("forgotten, tag unchanged") << "|same|" << SyncAction::DeleteThere;
        QTest::newRow("forgotten, changed on the server") << "|b|" << SyncAction::ConflictDeletedHere;
        QTest::newRow("unreadable change") << "a|unreadable|a" << SyncAction::LeavePending;
        QTest::newRow("put cut off before the answer") << "a|same|sent a" << SyncAction::SendNew;
        QTest::newRow("put landed, row changed since") << "b|a|sent a" << SyncAction::SendRow;
        QTest::newRow("put never landed, row deleted") << "|same|sent a" << SyncAction::Forget;
        QTest::newRow("put landed, row deleted") << "|a|sent a" << SyncAction::DeleteThere;
        // clang-format on
    }
    void decide() {
        QFETCH(QString, known);
        QFETCH(SyncAction, action);
        QCOMPARE(korvale::sync::decide(state(known)), action);
    }
};

QTEST_APPLESS_MAIN(tst_SyncDecision)
#include "tst_SyncDecision.moc"
