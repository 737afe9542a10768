#include "tests/faults/Disk.h"

#include <sqlite3.h>

namespace Disk {

namespace {

sqlite3_vfs* real = nullptr;
sqlite3_vfs layer;
sqlite3_io_methods methods;
int failing = 0;
int synced = 0;

// Each open file of the layer holds the real file right behind it.
struct File {
    sqlite3_file base;
    sqlite3_file* inner;
};
sqlite3_file* in(sqlite3_file* f) { return reinterpret_cast<File*>(f)->inner; }
const sqlite3_io_methods& on(sqlite3_file* f) { return *in(f)->pMethods; }

void forward(const sqlite3_io_methods& m) {
    methods.iVersion = m.iVersion;
    methods.xClose = [](sqlite3_file* f) { return on(f).xClose(in(f)); };
    methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return on(f).xRead(in(f), b, n, o); };
    methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
        return failing ? failing : on(f).xWrite(in(f), b, n, o);
    };
    methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) { return on(f).xTruncate(in(f), size); };
    methods.xSync = [](sqlite3_file* f, int flags) {
        ++synced;
        return on(f).xSync(in(f), flags);
    };
    methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) { return on(f).xFileSize(in(f), size); };
    methods.xLock = [](sqlite3_file* f, int lock) { return on(f).xLock(in(f), lock); };
    methods.xUnlock = [](sqlite3_file* f, int lock) { return on(f).xUnlock(in(f), lock); };
    methods.xCheckReservedLock = [](sqlite3_file* f, int* out) { return on(f).xCheckReservedLock(in(f), out); };
    methods.xFileControl = [](sqlite3_file* f, int op, void* arg) { return on(f).xFileControl(in(f), op, arg); };
    methods.xSectorSize = [](sqlite3_file* f) { return on(f).xSectorSize(in(f)); };
    methods.xDeviceCharacteristics = [](sqlite3_file* f) { return on(f).xDeviceCharacteristics(in(f)); };
    methods.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return on(f).xShmMap(in(f), page, size, extend, out);
    };
    methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) { return on(f).xShmLock(in(f), offset, n, flags); };
    methods.xShmBarrier = [](sqlite3_file* f) { on(f).xShmBarrier(in(f)); };
    methods.xShmUnmap = [](sqlite3_file* f, int remove) { return on(f).xShmUnmap(in(f), remove); };
    methods.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) { return on(f).xFetch(in(f), o, n, out); };
    methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) { return on(f).xUnfetch(in(f), o, p); };
}

int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* f = reinterpret_cast<File*>(file);
    f->inner = reinterpret_cast<sqlite3_file*>(f + 1);
    const int rc = real->xOpen(real, name, f->inner, flags, outFlags);
    if (f->inner->pMethods && !methods.xClose) forward(*f->inner->pMethods);
    f->base.pMethods = f->inner->pMethods ? &methods : nullptr;
    return rc;
}

}  // namespace

void install() {
    if (real) return;
    real = sqlite3_vfs_find(nullptr);
    layer = *real;
    layer.zName = "faulty-disk";
    layer.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    layer.xOpen = open;
    sqlite3_vfs_register(&layer, 1);
}

void failWrites(int code) { failing = code; }
int syncs() { return synced; }

}  // namespace Disk
