#include "sync/SyncDecision.h"

namespace korvale::sync {

SyncAction decide(const ContactState& s) {
    if (s.server == ServerSide::Unreadable) return SyncAction::LeavePending;
    if (!s.known) {
        if (s.server == ServerSide::Changed) return SyncAction::TakeServer;
        // A card that was never read and is no longer there leaves nothing to keep.
        return s.inBook ? SyncAction::SendNew : SyncAction::Forget;
    }
    switch (s.server) {
        case ServerSide::Removed:
            if (!s.inBook) return SyncAction::Forget;
            return s.bookDigest == s.lastDigest ? SyncAction::DeleteHere : SyncAction::SendBack;
        case ServerSide::Changed:
            // An empty last digest matches no card: a forgotten contact changed on the server comes back.
            if (!s.inBook) {
                return s.serverDigest == s.lastDigest ? SyncAction::DeleteThere
                                                      : SyncAction::ConflictDeletedHere;
            }
            if (s.serverDigest == s.bookDigest) return SyncAction::KeepTag;
            if (s.serverDigest == s.lastDigest) return SyncAction::SendRow;
            if (s.bookDigest == s.lastDigest) return SyncAction::TakeServer;
            return SyncAction::Conflict;
        case ServerSide::Unchanged:
        case ServerSide::Unreadable:
            break;
    }
    if (!s.inBook) return s.confirmed ? SyncAction::DeleteThere : SyncAction::Forget;
    if (!s.confirmed) return SyncAction::SendNew;
    return s.bookDigest == s.lastDigest ? SyncAction::Nothing : SyncAction::SendRow;
}

}  // namespace korvale::sync
