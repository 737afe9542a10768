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

// Every method passes the call to the real file; writes may fail instead, and syncs are counted.
#define FORWARD(method, params, ...) \
    methods.method = [] params { return on(f).method(in(f), ##__VA_ARGS__); }

void forward(const sqlite3_io_methods& m) {
    methods.iVersion = m.iVersion;
    FORWARD(xClose, (sqlite3_file * f));
    FORWARD(xRead, (sqlite3_file * f, void* b, int n, sqlite3_int64 o), b, n, o);
    methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
        return failing ? failing : on(f).xWrite(in(f), b, n, o);
    };
    FORWARD(xTruncate, (sqlite3_file * f, sqlite3_int64 size), size);
    methods.xSync = [](sqlite3_file* f, int flags) { return ++synced, on(f).xSync(in(f), flags); };
    FORWARD(xFileSize, (sqlite3_file * f, sqlite3_int64 * size), size);
    FORWARD(xLock, (sqlite3_file * f, int lock), lock);
    FORWARD(xUnlock, (sqlite3_file * f, int lock), lock);
    FORWARD(xCheckReservedLock, (sqlite3_file * f, int* out), out);
    FORWARD(xFileControl, (sqlite3_file * f, int op, void* arg), op, arg);
    FORWARD(xSectorSize, (sqlite3_file * f));
    FORWARD(xDeviceCharacteristics, (sqlite3_file * f));
    FORWARD(xShmMap, (sqlite3_file * f, int page, int size, int extend, void volatile** out), page, size, extend, out);
    FORWARD(xShmLock, (sqlite3_file * f, int offset, int n, int flags), offset, n, flags);
    FORWARD(xShmBarrier, (sqlite3_file * f));
    FORWARD(xShmUnmap, (sqlite3_file * f, int remove), remove);
    FORWARD(xFetch, (sqlite3_file * f, sqlite3_int64 o, int n, void** out), o, n, out);
    FORWARD(xUnfetch, (sqlite3_file * f, sqlite3_int64 o, void* p), o, p);
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
