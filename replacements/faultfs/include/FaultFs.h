// A fault layer for the power-cut and I/O-error tests: a program that links it
// gets the libc entries the file helpers use (open, fread, fwrite, fflush, fsync,
// fclose, close, rename, unlink) and passes every call through, except on the
// one watched directory. There it counts each operation and can fail the Nth
// (once or from then on), make a write short, or cut the power at it (after k
// bytes of a write): no watched operation has any effect after a cut.
// File data counts as durable once its file is synced, directory entries once
// the directory is; a reboot may show the rest or not. Watched writes go
// through at once so a stdio buffer does not decide what a cut keeps.
#ifndef SENSORDLL_REPLACEMENTS_FAULT_FS_H
#define SENSORDLL_REPLACEMENTS_FAULT_FS_H

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

namespace faultfs {

enum class Op { Open, Read, Write, Flush, Sync, Close, Rename, Unlink };
struct Event {
    Op eOp;
    std::string strName;  // "" for the directory itself
    size_t nBytes;        // reads and writes only
};
std::string describe(const Event& p_stEvent);  // "write sensor1_0.cfg.tmp"

// What a reboot shows of unsynced data and unsynced directory entries.
enum class Loss { Keep, DropData, GarbleData, DropEntries, DropAll };
const Loss kAllLosses[] = {Loss::Keep, Loss::DropData, Loss::GarbleData, Loss::DropEntries, Loss::DropAll};

typedef std::map<std::string, std::string> Image;  // file name -> content

// Watches one directory; its files now count as durable, the count starts at 0.
void arm(const std::string& p_strDirectory);
void disarm();
const std::vector<Event>& events();

// ENOSPC short write: the write moves half its bytes; persistent: later ones none.
void failAt(size_t p_nOperation, int p_nErrno, bool p_bPersistent, bool p_bShortWrite = false);
void failOpens(const std::string& p_strName, int p_nErrno);
void cutAt(size_t p_nOperation, size_t p_nBytes);
Image rebootImage(Loss p_eLoss);  // as of the cut, or of now without one

Image readDirectory(const std::string& p_strDirectory);
void writeDirectory(const std::string& p_strDirectory, const Image& p_mapImage);
int openDescriptors();

}  // namespace faultfs

#endif
