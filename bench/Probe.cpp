// The recording wrappers (linked with --wrap, see bench/wrapped-symbols.txt),
// the probe that collects their operations, and the floor replay.
#include "Probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tinyxml.h>

#include "DeviceRoot.h"
#include "GThread.h"
#include "IspSimulation.h"
#include "MachineInfo.h"
#include "SensorTypes.h"
#include "StringHandler.h"
#include "VideoStreamModule.h"
#include "ZTFile.h"
#include "ZTMutex.h"
#include "ZentarTime.h"
#include "function.h"
#include "ia_ioctrl.h"
#include "platform/CameraPaths.h"

namespace bench {
namespace {

thread_local bool t_bProbing = false;
thread_local int t_nOutside = 0;
thread_local int t_nResolve = 0;
thread_local int t_nRootJoins = 0;
thread_local int t_nIgnore = 0;

std::vector<Op>& recordedOps() {
    static std::vector<Op> s_vecOps;
    return s_vecOps;
}

std::string& controlFile() {
    static std::string s_strPath;
    return s_strPath;
}

bool recording() { return t_bProbing && t_nIgnore == 0; }

void record(Op&& p_stOp) {
    detail::IgnoreScope objIgnore;
    recordedOps().push_back(std::move(p_stOp));
}

void onIspCall(const ispsim::Call& p_stCall, void*) {
    if (!recording()) return;
    detail::IgnoreScope objIgnore;
    Op stOp(OpKind::Isp);
    stOp.channel = p_stCall.channel;
    stOp.cmd = p_stCall.cmd;
    stOp.option = p_stCall.option;
    stOp.data = p_stCall.dataIn;
    record(std::move(stOp));
}

}  // namespace

namespace detail {

OutsideScope::OutsideScope(bool p_bResolve) : bResolve(p_bResolve) {
    ++t_nOutside;
    if (bResolve) ++t_nResolve;
}
OutsideScope::~OutsideScope() {
    --t_nOutside;
    if (bResolve) --t_nResolve;
}
IgnoreScope::IgnoreScope() { ++t_nIgnore; }
IgnoreScope::~IgnoreScope() { --t_nIgnore; }
bool heapOutside() { return t_nOutside > 0; }
bool heapInResolve() { return t_nResolve > 0; }
void expectRootJoin() { t_nRootJoins = 1; }
bool takeRootJoin() {
    if (t_nRootJoins == 0) return false;
    --t_nRootJoins;
    return true;
}
bool heapIgnored() { return t_nIgnore > 0; }

}  // namespace detail

const char* opName(OpKind p_eKind) {
    switch (p_eKind) {
        case OpKind::Report:
            return "report";
        case OpKind::FileExists:
            return "file exists";
        case OpKind::FileLength:
            return "file length";
        case OpKind::FileRead:
            return "file read";
        case OpKind::SchemeRead:
            return "scheme read";
        case OpKind::AtomicWrite:
            return "atomic write";
        case OpKind::XmlParse:
            return "xml parse";
        case OpKind::XmlPrint:
            return "xml print";
        case OpKind::XmlLoadFile:
            return "xml load file";
        case OpKind::XmlSaveFile:
            return "xml save file";
        case OpKind::Isp:
            return "isp";
        case OpKind::VideoNotify:
            return "video notify";
        case OpKind::VideoList:
            return "video streams";
        case OpKind::VideoLimited:
            return "video limited frames";
        case OpKind::VideoBusy:
            return "video busy";
        case OpKind::System:
            return "sy_system";
        case OpKind::MachineInfo:
            return "machine info";
        case OpKind::Split:
            return "split";
        case OpKind::Lock:
            return "lock";
        case OpKind::Unlock:
            return "unlock";
        case OpKind::Wait:
            return "wait";
        case OpKind::Resolve:
            return "resolve";
        case OpKind::ThreadStart:
            return "thread start";
        case OpKind::ThreadStop:
            return "thread stop";
    }
    return "?";
}

Composition compose(const std::vector<Op>& p_vecOps) {
    Composition stCounts;
    for (const Op& stOp : p_vecOps) {
        switch (stOp.kind) {
            case OpKind::Report:
                ++stCounts.reports;
                break;
            case OpKind::Isp:
                ++stCounts.isp;
                break;
            case OpKind::VideoNotify:
            case OpKind::VideoList:
            case OpKind::VideoLimited:
            case OpKind::VideoBusy:
                ++stCounts.video;
                break;
            case OpKind::XmlParse:
                ++stCounts.parses;
                break;
            case OpKind::XmlLoadFile:
                ++stCounts.parses;
                ++stCounts.fileReads;
                break;
            case OpKind::XmlPrint:
                ++stCounts.prints;
                break;
            case OpKind::XmlSaveFile:
                ++stCounts.prints;
                ++stCounts.fileWrites;
                break;
            case OpKind::FileExists:
            case OpKind::FileLength:
            case OpKind::FileRead:
            case OpKind::SchemeRead:
                ++stCounts.fileReads;
                break;
            case OpKind::AtomicWrite:
                ++stCounts.fileWrites;
                break;
            default:
                ++stCounts.otherHost;
                break;
        }
    }
    return stCounts;
}

void setControlFile(const std::string& p_strHostPath) { controlFile() = p_strHostPath; }

void installIspObserver() { ispsim::setCallObserver(&onIspCall, nullptr); }

bool probing() { return recording(); }

void recordOp(Op&& p_stOp) {
    if (recording()) record(std::move(p_stOp));
}

void startProbe() {
    recordedOps().clear();
    recordedOps().reserve(4096);
    t_bProbing = true;
    heapCountingStart();
}

std::vector<Op> stopProbe(Composition& p_stCounts) {
    const HeapCount stHeap = heapCountingStop();
    t_bProbing = false;
    std::vector<Op> vecOps;
    vecOps.swap(recordedOps());
    p_stCounts = compose(vecOps);
    if (heapCountingAvailable()) {
        p_stCounts.allocations = stHeap.allocations;
        p_stCounts.allocationsOutside = stHeap.allocationsOutside;
        p_stCounts.allocationsInResolve = stHeap.allocationsInResolve;
    }
    return vecOps;
}

struct FloorReplay::Impl {
    std::vector<Op> vecOps;
    std::vector<std::vector<uint8_t>> vecIspData;
    std::vector<char> vecScratch;
    const VideoStreamModule* pVideo = nullptr;
    ZTMutex objMutex;
    bool bLocked = false;
    GThread objThread{function<int>(&GThread::emptyFun), "FloorThread", function<int>(&GThread::emptyFun),
                      function<int>(&GThread::emptyFun)};
    std::vector<std::string> vecItems;

    void runOne(const Op& p_stOp, std::vector<uint8_t>& p_vecIsp);
};

FloorReplay::FloorReplay(const std::vector<Op>& p_vecOps, const VideoStreamModule* p_pVideo) : m_pImpl(new Impl) {
    m_pImpl->vecOps = p_vecOps;
    m_pImpl->pVideo = p_pVideo;
    size_t nScratch = 64;
    for (const Op& stOp : p_vecOps) {
        std::vector<uint8_t> vecData = stOp.data;
        // The ISP replacement copies as much as the command's record holds.
        if (vecData.size() < sizeof(ia_dynamic_params_attr_st)) vecData.resize(sizeof(ia_dynamic_params_attr_st));
        m_pImpl->vecIspData.push_back(stOp.kind == OpKind::Isp ? vecData : std::vector<uint8_t>());
        if (stOp.length > 0 && static_cast<size_t>(stOp.length) > nScratch) nScratch = static_cast<size_t>(stOp.length);
    }
    m_pImpl->vecScratch.resize(nScratch);
}

FloorReplay::~FloorReplay() {
    if (m_pImpl->bLocked) m_pImpl->objMutex.Unlock(__FILE__, __LINE__);
    m_pImpl->objThread.stop();
}

void FloorReplay::run() {
    for (size_t i = 0; i < m_pImpl->vecOps.size(); ++i) m_pImpl->runOne(m_pImpl->vecOps[i], m_pImpl->vecIspData[i]);
}

namespace {

void readWhole(const std::string& p_strPath, char* p_pBuffer, size_t p_nLength) {
    const int nFd = ::open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) return;
    size_t nDone = 0;
    while (nDone < p_nLength) {
        const ssize_t nRead = ::read(nFd, p_pBuffer + nDone, p_nLength - nDone);
        if (nRead <= 0) break;
        nDone += static_cast<size_t>(nRead);
    }
    ::close(nFd);
}

// The least a crash-safe replacement of a small file takes.
void replaceFile(const std::string& p_strPath, const std::vector<uint8_t>& p_vecBytes) {
    const std::string strTemporary = p_strPath + ".tmp";
    const int nFd = ::open(strTemporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (nFd < 0) return;
    if (!p_vecBytes.empty() && ::write(nFd, p_vecBytes.data(), p_vecBytes.size()) < 0) {
        ::close(nFd);
        return;
    }
    ::fsync(nFd);
    ::close(nFd);
    ::rename(strTemporary.c_str(), p_strPath.c_str());
    const size_t nSlash = p_strPath.rfind('/');
    const std::string strDirectory = nSlash == std::string::npos ? "." : p_strPath.substr(0, nSlash);
    const int nDirectory = ::open(strDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nDirectory >= 0) {
        ::fsync(nDirectory);
        ::close(nDirectory);
    }
}

}  // namespace

void FloorReplay::Impl::runOne(const Op& p_stOp, std::vector<uint8_t>& p_vecIsp) {
    switch (p_stOp.kind) {
        case OpKind::Report:
            if (::access(p_stOp.path.c_str(), F_OK) == 0) readWhole(p_stOp.path, vecScratch.data(), 64);
            break;
        case OpKind::FileExists:
            ::access(p_stOp.path.c_str(), F_OK);
            break;
        case OpKind::FileLength: {
            const int nFd = ::open(p_stOp.path.c_str(), O_RDONLY | O_CLOEXEC);
            if (nFd >= 0) {
                struct stat st;
                fstat(nFd, &st);
                ::close(nFd);
            }
            break;
        }
        case OpKind::FileRead:
        case OpKind::SchemeRead:
            readWhole(p_stOp.path, vecScratch.data(), static_cast<size_t>(p_stOp.length));
            break;
        case OpKind::AtomicWrite:
            replaceFile(p_stOp.path, p_stOp.data);
            break;
        case OpKind::XmlParse: {
            TiXmlDocument objDoc;
            objDoc.Parse(p_stOp.path.c_str(), nullptr, TIXML_ENCODING_UTF8);
            break;
        }
        case OpKind::XmlPrint: {
            TiXmlPrinter objPrinter;
            p_stOp.doc->Accept(&objPrinter);
            break;
        }
        case OpKind::XmlLoadFile: {
            TiXmlDocument objDoc;
            objDoc.LoadFile(p_stOp.path.c_str(), TIXML_ENCODING_UTF8);
            break;
        }
        case OpKind::XmlSaveFile:
            p_stOp.doc->SaveFile(p_stOp.path.c_str());
            break;
        case OpKind::Isp:
            ia_ioctrl_v2(p_stOp.channel, static_cast<ia_cmd_e>(p_stOp.cmd), p_stOp.option, p_vecIsp.data());
            break;
        case OpKind::VideoNotify:
            if (pVideo != nullptr)
                pVideo->notifySensorParam(p_stOp.channel, p_stOp.cmd, static_cast<int>(p_stOp.length));
            break;
        case OpKind::VideoList:
            if (pVideo != nullptr) {
                std::vector<AVStreamParam> vecStreams;
                pVideo->listStreamParams(vecStreams);
            }
            break;
        case OpKind::VideoLimited:
            if (pVideo != nullptr) {
                LimitedFramesWDRModeParam objParam;
                pVideo->getLimitedFramesWDRModeParam(p_stOp.channel, objParam);
            }
            break;
        case OpKind::VideoBusy:
            if (pVideo != nullptr) pVideo->isVideoBusy();
            break;
        case OpKind::System:
            sy_system(p_stOp.path.c_str(), 30);
            break;
        case OpKind::MachineInfo: {
            MachineInfo objInfo;
            SystemInfoParser::parseMachineInfo(p_stOp.path, objInfo);
            break;
        }
        case OpKind::Split:
            vecItems.clear();
            StringHandler::split(p_stOp.path, vecItems, p_stOp.extra);
            break;
        case OpKind::Lock:
            if (!bLocked) bLocked = objMutex.Lock(__FILE__, __LINE__) == 0;
            break;
        case OpKind::Unlock:
            if (bLocked) {
                objMutex.Unlock(__FILE__, __LINE__);
                bLocked = false;
            }
            break;
        case OpKind::Wait:
            ZentarTime(0, 0).wait();
            break;
        case OpKind::Resolve: {
            char aRoot[256];
            sensordll_device_root(aRoot, sizeof(aRoot));
            break;
        }
        case OpKind::ThreadStart:
            objThread.start();
            break;
        case OpKind::ThreadStop:
            objThread.stop();
            break;
    }
}

}  // namespace bench

// ---------------------------------------------------------------------------
// The wrappers. Each records its operation while a probe runs on this thread
// and calls the real function. Names are the mangled ones of the wrapped
// functions (32- and 64-bit builds differ only in INT64).
// ---------------------------------------------------------------------------

using bench::Op;
using bench::OpKind;
using bench::detail::IgnoreScope;
using bench::detail::OutsideScope;

#define BENCH_WRAP(ret, name, mangled, ...)                  \
    ret real_##name(__VA_ARGS__) __asm__("__real_" mangled); \
    ret wrap_##name(__VA_ARGS__) __asm__("__wrap_" mangled); \
    ret wrap_##name(__VA_ARGS__)

#define BENCH_STRING_T "NSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"

#if defined(__LP64__)
#define BENCH_INT64_M "l"
#else
#define BENCH_INT64_M "x"
#endif

namespace {

// The text is taken as a C string so that its copy is made inside the scope
// whose allocations are the benchmark's.
Op op(OpKind p_eKind, const char* p_szText = "", long long p_nLength = 0) {
    IgnoreScope objIgnore;
    Op stOp(p_eKind);
    stOp.path = p_szText;
    stOp.length = p_nLength;
    return stOp;
}

Op op(OpKind p_eKind, const std::string& p_strText, long long p_nLength = 0) {
    return op(p_eKind, p_strText.c_str(), p_nLength);
}

std::string resolved(const char* p_szCameraPath) {
    IgnoreScope objIgnore;
    return DeviceRoot::resolve(p_szCameraPath != nullptr ? p_szCameraPath : "");
}

std::vector<uint8_t> recordBytes(const KeyVal* p_pKeyVal, u32 p_nCount) {
    IgnoreScope objIgnore;
    std::vector<uint8_t> vecBytes;
    for (u32 i = 0; p_pKeyVal != nullptr && i < p_nCount; ++i) {
        const u32 aWords[2] = {p_pKeyVal[i].key, p_pKeyVal[i].value};
        for (u32 nWord : aWords)
            for (int nShift = 0; nShift < 32; nShift += 8) vecBytes.push_back(static_cast<uint8_t>(nWord >> nShift));
    }
    return vecBytes;
}

}  // namespace

extern "C" int __real_access(const char* p_szPath, int p_nMode);
extern "C" int __wrap_access(const char* p_szPath, int p_nMode) {
    if (bench::probing() && p_szPath != nullptr) {
        const bool bControl = bench::controlFile() == p_szPath;
        bench::recordOp(op(bControl ? OpKind::Report : OpKind::FileExists, p_szPath));
    }
    return __real_access(p_szPath, p_nMode);
}

extern "C" int __real_ia_ioctrl_v2(int, ia_cmd_e, unsigned int, void*);
extern "C" int __wrap_ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData) {
    OutsideScope objOutside;
    return __real_ia_ioctrl_v2(p_nChannel, p_eCmd, p_nOption, p_pData);
}

BENCH_WRAP(bool, LoadMem, "_Z7LoadMemR13TiXmlDocumentPKc13TiXmlEncoding", TiXmlDocument& p_objDoc, const char* p_szText,
           TiXmlEncoding p_eEncoding) {
    if (bench::probing() && p_szText != nullptr) bench::recordOp(op(OpKind::XmlParse, p_szText));
    return real_LoadMem(p_objDoc, p_szText, p_eEncoding);
}

BENCH_WRAP(void, getXmlString, "_Z12getXmlStringRK13TiXmlDocumentR" BENCH_STRING_T, const TiXmlDocument& p_objDoc,
           std::string& p_strText) {
    if (bench::probing()) {
        Op stOp = op(OpKind::XmlPrint);
        {
            IgnoreScope objIgnore;
            stOp.doc = std::make_shared<TiXmlDocument>(p_objDoc);
        }
        bench::recordOp(std::move(stOp));
    }
    real_getXmlString(p_objDoc, p_strText);
}

BENCH_WRAP(bool, LoadFile, "_Z8LoadFileR13TiXmlDocumentPKc13TiXmlEncoding", TiXmlDocument& p_objDoc,
           const char* p_szPath, TiXmlEncoding p_eEncoding) {
    if (bench::probing()) bench::recordOp(op(OpKind::XmlLoadFile, resolved(p_szPath)));
    return real_LoadFile(p_objDoc, p_szPath, p_eEncoding);
}

BENCH_WRAP(bool, SaveFile, "_Z8SaveFileRK13TiXmlDocumentPKc", const TiXmlDocument& p_objDoc, const char* p_szPath) {
    if (bench::probing()) {
        Op stOp = op(OpKind::XmlSaveFile, resolved(p_szPath));
        {
            IgnoreScope objIgnore;
            stOp.doc = std::make_shared<TiXmlDocument>(p_objDoc);
        }
        bench::recordOp(std::move(stOp));
    }
    return real_SaveFile(p_objDoc, p_szPath);
}

BENCH_WRAP(INT64, getFileLen, "_Z10getFileLenPKc", const char* p_szPath) {
    if (bench::probing()) bench::recordOp(op(OpKind::FileLength, resolved(p_szPath)));
    return real_getFileLen(p_szPath);
}

BENCH_WRAP(int, loadFromFile, "_Z12loadFromFilePKcPc" BENCH_INT64_M, const char* p_szPath, char* p_pData,
           INT64 p_nLength) {
    if (bench::probing()) bench::recordOp(op(OpKind::FileRead, resolved(p_szPath), p_nLength));
    return real_loadFromFile(p_szPath, p_pData, p_nLength);
}

BENCH_WRAP(int, keyValFromFile, "_Z14keyValFromFilePcP6KeyValj", char* p_szPath, KeyVal* p_pKeyVal, u32 p_nCount) {
    if (bench::probing()) bench::recordOp(op(OpKind::SchemeRead, resolved(p_szPath), 8LL * p_nCount));
    return real_keyValFromFile(p_szPath, p_pKeyVal, p_nCount);
}

BENCH_WRAP(int, keyValToFile, "_Z12keyValToFilePcP6KeyValj", char* p_szPath, KeyVal* p_pKeyVal, u32 p_nCount) {
    if (bench::probing()) {
        Op stOp = op(OpKind::AtomicWrite, resolved(p_szPath));
        stOp.data = recordBytes(p_pKeyVal, p_nCount);
        bench::recordOp(std::move(stOp));
    }
    return real_keyValToFile(p_szPath, p_pKeyVal, p_nCount);
}

BENCH_WRAP(int, setVersion, "_Z10setVersionj", u32 p_nVersion) {
    if (bench::probing()) {
        Op stOp = op(OpKind::AtomicWrite, resolved(camerapath::VERSION_FILE));
        const KeyVal stWord = {p_nVersion, 0};
        stOp.data = recordBytes(&stWord, 1);
        stOp.data.resize(4);
        bench::recordOp(std::move(stOp));
    }
    return real_setVersion(p_nVersion);
}

BENCH_WRAP(int, sy_system, "_Z9sy_systemPKci", const char* p_szCommand, int p_nTimeout) {
    if (bench::probing() && p_szCommand != nullptr) bench::recordOp(op(OpKind::System, p_szCommand));
    OutsideScope objOutside;
    return real_sy_system(p_szCommand, p_nTimeout);
}

BENCH_WRAP(bool, parseMachineInfo,
           "_ZN16SystemInfoParser16parseMachineInfoER"
           "K" BENCH_STRING_T "R11MachineInfo",
           const std::string& p_strPath, MachineInfo& p_objInfo) {
    if (bench::probing()) bench::recordOp(op(OpKind::MachineInfo, p_strPath));
    OutsideScope objOutside;
    return real_parseMachineInfo(p_strPath, p_objInfo);
}

BENCH_WRAP(void, split,
           "_ZN13StringHandler5splitER"
           "K" BENCH_STRING_T "RSt6vectorIS5_SaIS5_EES7_",
           const std::string& p_strText, std::vector<std::string>& p_vecItems, const std::string& p_strSeparator) {
    if (bench::probing()) {
        Op stOp = op(OpKind::Split, p_strText);
        {
            IgnoreScope objIgnore;
            stOp.extra = p_strSeparator;
        }
        bench::recordOp(std::move(stOp));
    }
    OutsideScope objOutside;
    real_split(p_strText, p_vecItems, p_strSeparator);
}

BENCH_WRAP(int, threadStart, "_ZN7GThread5startEv", GThread* p_pThread) {
    if (bench::probing()) bench::recordOp(op(OpKind::ThreadStart));
    OutsideScope objOutside;
    return real_threadStart(p_pThread);
}

BENCH_WRAP(int, threadStop, "_ZN7GThread4stopEv", GThread* p_pThread) {
    if (bench::probing()) bench::recordOp(op(OpKind::ThreadStop));
    OutsideScope objOutside;
    return real_threadStop(p_pThread);
}

BENCH_WRAP(void, lockGuard, "_ZN14ZTMutexManagerC1ER7ZTMutexPKci", ZTMutexManager* p_pGuard, ZTMutex& p_objMutex,
           const char* p_szFile, int p_nLine) {
    if (bench::probing()) bench::recordOp(op(OpKind::Lock));
    OutsideScope objOutside;
    real_lockGuard(p_pGuard, p_objMutex, p_szFile, p_nLine);
}

BENCH_WRAP(void, unlockGuard, "_ZN14ZTMutexManagerD1Ev", ZTMutexManager* p_pGuard) {
    if (bench::probing()) bench::recordOp(op(OpKind::Unlock));
    OutsideScope objOutside;
    real_unlockGuard(p_pGuard);
}

BENCH_WRAP(void, wait, "_ZN10ZentarTime4waitEv", ZentarTime* p_pTime) {
    if (bench::probing()) bench::recordOp(op(OpKind::Wait));
    OutsideScope objOutside;
    real_wait(p_pTime);
}

// The host's own work inside a file object or the device root: counted as the
// host's allocations, not the controller's. The controller's cameraPath asks
// the simulated host for its root through the device-root hook and then joins
// root and path; that join allocates at once, and only because there is a
// root (a camera has none), so the probing thread's next allocation after a
// non-empty root is counted with the device root's too.
extern "C" size_t __real_sensordll_device_root(char* p_szBuffer, size_t p_nSize);
extern "C" size_t __wrap_sensordll_device_root(char* p_szBuffer, size_t p_nSize) {
    const bool bProbing = bench::probing() && !bench::detail::heapOutside();
    if (bProbing) bench::recordOp(op(OpKind::Resolve));
    size_t nLength = 0;
    {
        OutsideScope objOutside(true);
        nLength = __real_sensordll_device_root(p_szBuffer, p_nSize);
    }
    if (bProbing && nLength > 0) bench::detail::expectRootJoin();
    return nLength;
}

BENCH_WRAP(int, fileOpen,
           "_ZN6ZTFile4openER"
           "K" BENCH_STRING_T "h",
           ZTFile* p_pFile, const std::string& p_strPath, unsigned char p_nMode) {
    OutsideScope objOutside;
    return real_fileOpen(p_pFile, p_strPath, p_nMode);
}

BENCH_WRAP(int, fileRead, "_ZN6ZTFile4readEPvj", ZTFile* p_pFile, void* p_pBuffer, unsigned int p_nCount) {
    OutsideScope objOutside;
    return real_fileRead(p_pFile, p_pBuffer, p_nCount);
}

BENCH_WRAP(std::string, readOneLine, "_ZN6ZTFile11ReadOneLineB5cxx11EP8_IO_FILE", FILE* p_pStream) {
    OutsideScope objOutside;
    return real_readOneLine(p_pStream);
}
