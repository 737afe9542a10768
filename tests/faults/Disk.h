#pragma once

// A disk under the engine that fails on demand: a file system layer (an SQLite VFS) registered as the
// default in front of the real one, so every connection opened afterwards writes through it.
namespace Disk {

// Puts the layer in place; once per process, before the connections under test are opened.
void install();
// The result every write returns from now on: an SQLite error code, or 0 to write again.
void failWrites(int code);
// How many times a file was flushed to the disk so far.
int syncs();

}  // namespace Disk
