// What one host call does beyond the controller's own code, recorded from the
// call itself, and the replay of it that is the call's floor.
//
// The benchmark links the library's objects with the linker's --wrap for the
// functions through which the controller reaches files, TinyXML, the host and
// the ISP (bench/wrapped-symbols.txt). While a probe runs on the calling thread
// every such call is recorded as an operation, in order, with what it needs to
// be done again: the text parsed, the document printed, the file and its
// bytes, the ISP command and its data. Replaying the operations does exactly
// that outside work and nothing of the controller's: it is the floor the call
// cannot go below.
#ifndef SENSORDLL_BENCH_PROBE_H
#define SENSORDLL_BENCH_PROBE_H

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class VideoStreamModule;

namespace bench {

enum class OpKind {
    Report,       // a report's refresh of the debug level: access of the control file (and its read when present)
    FileExists,   // access of another file
    FileLength,   // open, fstat, close
    FileRead,     // open, read, close (style documents, version file)
    SchemeRead,   // open, read, close of a scheme file
    AtomicWrite,  // temporary file, write, fsync, close, rename, directory fsync
    XmlParse,     // a TinyXML document made from a text, and destroyed
    XmlPrint,     // a TinyXML document printed into a string
    XmlLoadFile,  // TinyXML's own load of a file (read and parse)
    XmlSaveFile,  // TinyXML's own save of a document
    Isp,          // one ia_ioctrl_v2 call
    VideoNotify,  // the video module's four operations
    VideoList,
    VideoLimited,
    VideoBusy,
    System,       // sy_system
    MachineInfo,  // the host's machine-information parser
    Split,        // the host's string split
    Lock,         // the controller's mutex: lock, unlock
    Unlock,
    Wait,         // a ZentarTime wait (instant at wait scale 0)
    Resolve,      // the device-root hook behind a camera path (the simulated host's root)
    ThreadStart,  // the host thread's start and stop
    ThreadStop,
};

const char* opName(OpKind p_eKind);

struct Op {
    explicit Op(OpKind p_eKind = OpKind::Report) : kind(p_eKind) {}
    OpKind kind;
    std::string path;                    // host path (resolved), or the text / command
    std::string extra;                   // split separator
    std::vector<uint8_t> data;           // bytes written, ISP data
    std::shared_ptr<TiXmlDocument> doc;  // document to print or save
    int channel = 0;
    int cmd = 0;
    unsigned int option = 0;
    long long length = 0;
};

// Counts of one probed call, by the outside component that did the work.
struct Composition {
    unsigned reports = 0;
    unsigned isp = 0;
    unsigned video = 0;
    unsigned parses = 0;  // XmlParse and XmlLoadFile
    unsigned prints = 0;  // XmlPrint and XmlSaveFile
    unsigned fileReads = 0;
    unsigned fileWrites = 0;
    unsigned otherHost = 0;
    // Heap allocations during the call: all of them, and those made inside the
    // ISP replacement, the video module and the device-root hook (the simulated
    // host's root). -1 when the build does not count.
    long long allocations = -1;
    long long allocationsOutside = -1;
    long long allocationsInResolve = -1;
};

Composition compose(const std::vector<Op>& p_vecOps);

// The file whose refresh every report makes; set per device root.
void setControlFile(const std::string& p_strHostPath);

// The ISP replacement reports its calls to the probe; set after every
// ispsim::reset.
void installIspObserver();

// Whether a probe records on this thread, and the recording of an operation
// that the benchmark's own stand-ins (the video module) make.
bool probing();
void recordOp(Op&& p_stOp);

// Recording on the calling thread only; the sensor thread's work is not the
// host call's.
void startProbe();
std::vector<Op> stopProbe(Composition& p_stCounts);

// One replay of the floor. The scratch objects it needs are kept between calls.
class FloorReplay {
public:
    explicit FloorReplay(const std::vector<Op>& p_vecOps, const VideoStreamModule* p_pVideo);
    ~FloorReplay();
    void run();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

// Heap counting (a counting malloc in the benchmark binary, where available).
struct HeapCount {
    long long allocations = 0;
    long long allocationsOutside = 0;
    long long allocationsInResolve = 0;
    long long liveBytes = 0;
};
bool heapCountingAvailable();
void heapCountingStart();
HeapCount heapCountingStop();

namespace detail {
// Set by the wrappers: work inside an outside component (its allocations are
// not the controller's), and recording in progress (its allocations are the
// benchmark's).
struct OutsideScope {
    explicit OutsideScope(bool p_bResolve = false);
    ~OutsideScope();
    bool bResolve;
};
struct IgnoreScope {
    IgnoreScope();
    ~IgnoreScope();
};
bool heapOutside();
bool heapInResolve();
// The allocation of the controller's join of the device root and a path, the
// probing thread's next one after the root was handed out: the counter takes
// it as the device root's.
void expectRootJoin();
bool takeRootJoin();
bool heapIgnored();
}  // namespace detail

}  // namespace bench

#endif
