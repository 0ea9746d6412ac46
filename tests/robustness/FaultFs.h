// A fault layer under the file helpers, for the power-cut and I/O-error
// tests: this test program defines the libc entries that ZTFile and the
// atomic replacement use (open, fread, fwrite, fflush, fsync, fclose, close,
// rename, unlink) and passes every call through, except for files in the one
// directory under watch.
//
// On watched files the layer counts every operation, and can
//  - fail the Nth operation (once or from then on) with an errno, or make a
//    write short;
//  - cut the power at the Nth operation, after k bytes of it when it is a
//    write: from then on no watched operation has any effect, and the layer
//    keeps what the disk may hold after the reboot.
// Durability is modelled the way a crash-test file layer does it: file data
// counts as durable once its file is synced, directory entries (creations,
// renames, removals) once the directory is synced; before that, a reboot may
// show them or not. Watched streams are written through at once, so that what
// a cut keeps is decided here and not in a stdio buffer, and syncs are
// recorded rather than sent to the disk.
//
// Single-threaded use: one test arms the layer, runs an operation, disarms.
#ifndef SENSORDLL_TESTS_FAULT_FS_H
#define SENSORDLL_TESTS_FAULT_FS_H

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

namespace faultfs {

enum class Op { Open, Read, Write, Flush, Sync, Close, Rename, Unlink };

struct Event {
    Op eOp;
    std::string strName;  // the file's name in the watched directory; "" for the directory itself
    size_t nBytes;        // bytes asked for, reads and writes only
};
// "write sensor1_0.cfg.tmp", "sync <dir>".
std::string describe(const Event& p_stEvent);

// What a reboot after a cut shows of the data and of the directory entries
// that were not synced.
enum class Loss {
    Keep,         // everything the disk was given
    DropData,     // unsynced file data lost, entries kept
    GarbleData,   // unsynced file data there but garbage, entries kept
    DropEntries,  // unsynced entries lost, data kept
    DropAll,      // both lost
};
const Loss kAllLosses[] = {Loss::Keep, Loss::DropData, Loss::GarbleData, Loss::DropEntries, Loss::DropAll};
const char* lossName(Loss p_eLoss);

// The directory's files: name -> content.
typedef std::map<std::string, std::string> Image;

// Watches one host directory (not recursive). Arms the layer: the files now
// in it count as durable, the operation count starts at 0, no fault is set.
void arm(const std::string& p_strDirectory);
// Back to passing every call through.
void disarm();

// The watched operations since arm.
const std::vector<Event>& events();

// Fault settings for the armed layer (operations counted from 0).
void failAt(size_t p_nOperation, int p_nErrno, bool p_bPersistent);
// The write at p_nOperation moves only half its bytes and reports ENOSPC;
// persistent: every later write moves nothing.
void shortWriteAt(size_t p_nOperation, bool p_bPersistent);
// Every open of the named file fails with p_nErrno while armed.
void failOpens(const std::string& p_strName, int p_nErrno);

// Power cut before operation p_nOperation, or after p_nBytes of it when it is
// a write.
void cutAt(size_t p_nOperation, size_t p_nBytes);
// What the disk holds after a reboot, as of the cut (as of now without one).
Image rebootImage(Loss p_eLoss);

// Helpers for the tests, beside the layer.
Image readDirectory(const std::string& p_strDirectory);
void writeDirectory(const std::string& p_strDirectory, const Image& p_mapImage);
int openDescriptors();

}  // namespace faultfs

#endif
