// The benchmark suite: every measured host call on every bundled device
// profile, timed beside its floor, then a summary of call time, floor and ratio
// against the targets, and the heap an initialised controller holds.
//
// Two runners: Google Benchmark, and a plain loop of alternating blocks that
// also counts, for callgrind, the instructions of a fixed number of calls.
//
// Usage: sensordll_bench --help.
//
// The library writes to standard output (traces, mandated lines); that goes to
// /dev/null during the run, as a daemon's would, and the suite writes its own
// output to the original standard output.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <iomanip>
#include <iostream>
#include <ostream>
#include <memory>
#include <regex>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#ifdef SENSORDLL_BENCH_CALLGRIND
#include <valgrind/callgrind.h>
#define BENCH_TOGGLE_COLLECT() CALLGRIND_TOGGLE_COLLECT
#else
#define BENCH_TOGGLE_COLLECT() \
    do {                       \
    } while (0)
#endif

#include "Cases.h"
#include "SwitchLatency.h"
#include "HostSimulation.h"
#include "SensorVersion.h"

namespace {

// A stream onto a file descriptor, for the suite's own output.
class FdBuffer : public std::streambuf {
public:
    explicit FdBuffer(int p_nFd) : m_nFd(p_nFd) { setp(m_aBuffer, m_aBuffer + sizeof(m_aBuffer)); }
    ~FdBuffer() override { sync(); }

protected:
    int overflow(int p_nChar) override {
        if (sync() != 0) return traits_type::eof();
        if (p_nChar != traits_type::eof()) {
            *pptr() = static_cast<char>(p_nChar);
            pbump(1);
        }
        return 0;
    }
    int sync() override {
        const char* pData = pbase();
        while (pData < pptr()) {
            const ssize_t nWritten = ::write(m_nFd, pData, static_cast<size_t>(pptr() - pData));
            if (nWritten <= 0) return -1;
            pData += nWritten;
        }
        setp(m_aBuffer, m_aBuffer + sizeof(m_aBuffer));
        return 0;
    }

private:
    int m_nFd;
    char m_aBuffer[4096];
};

struct Options {
    std::vector<bench::Profile> vecProfiles;
    bool bPlain = false;
    bool bHeap = true;
    std::string strFilter;
    double dMinTime = 0.5;
    long nIterations = 0;
    std::string strPart = "both";
    bool bCallgrind = false;
    bool bListOps = false;
    double dWaitScale = 0.0;
    int nSwitchChanges = 40;
};

bool startsWith(const std::string& p_strText, const std::string& p_strPrefix) {
    return p_strText.compare(0, p_strPrefix.size(), p_strPrefix) == 0;
}

const char USAGE[] =
    "Usage: sensordll_bench [OPTIONS] [Google Benchmark flags]\n"
    "       sensordll_bench --plain [--filter=REGEX] [--min-time=SECONDS]\n"
    "       sensordll_bench --plain --callgrind --iterations=N [--filter=REGEX] [--part=call|floor|both]\n"
    "                       [--wait-scale=X]   (under valgrind)\n"
    "       sensordll_bench --list-ops [--filter=REGEX]\n"
    "Times every measured host call of libsensordll on the bundled device profiles beside its floor, then\n"
    "prints call time, floor and ratio against the targets, the heap a controller holds and the sensor\n"
    "passes a day/night switch takes.\n\n"
    "Options:\n"
    "  --devices=LIST        profiles to run (default ir-bullet,dome,thermal-dual:1,thermal-dual:2)\n"
    "  --no-heap             leave out the heap table\n"
    "  --switch-changes=N    day/night changes for the switch latency (default 40, 0 leaves it out)\n"
    "  --plain               alternating blocks of calls and floors instead of Google Benchmark\n"
    "  --filter=REGEX        only the cases whose name matches (--plain, --list-ops)\n"
    "  --min-time=SECONDS    how long each case runs (--plain)\n"
    "  --callgrind           a fixed number of calls for instruction counts under valgrind (--plain)\n"
    "  --iterations=N        calls per case under --callgrind\n"
    "  --part=call|floor|both  what --callgrind runs\n"
    "  --wait-scale=X        scale of the start-up waits (--callgrind)\n"
    "  --list-ops            what each floor replays\n"
    "  -h, --help            this text and Google Benchmark's flags\n"
    "  --version             the library version it measures\n\n"
    "Exit status: 0 done, 1 a case failed, 2 bad options.\n\n"
    "Google Benchmark's flags (without --plain or --list-ops):\n";

bool wantsHelp(int p_nArgc, char** p_aArgv) {
    for (int i = 1; i < p_nArgc; ++i)
        if (strcmp(p_aArgv[i], "--help") == 0 || strcmp(p_aArgv[i], "-h") == 0) return true;
    return false;
}

// Takes the suite's own options out of argv; the rest is Google Benchmark's,
// which only its runner takes: the other modes refuse what is left.
bool parseOptions(int& p_nArgc, char** p_aArgv, Options& p_stOptions, std::ostream& p_objErr) {
    int nKept = 1;
    for (int i = 1; i < p_nArgc; ++i) {
        const std::string strArg = p_aArgv[i];
        const std::string strValue = strArg.find('=') != std::string::npos ? strArg.substr(strArg.find('=') + 1) : "";
        if (startsWith(strArg, "--devices=")) {
            std::stringstream stream(strValue);
            std::string strLabel;
            while (std::getline(stream, strLabel, ',')) {
                bench::Profile stProfile;
                if (!bench::profileByLabel(strLabel, stProfile)) {
                    p_objErr << "unknown device " << strLabel << "\n";
                    return false;
                }
                p_stOptions.vecProfiles.push_back(stProfile);
            }
        } else if (strArg == "--plain") {
            p_stOptions.bPlain = true;
        } else if (strArg == "--no-heap") {
            p_stOptions.bHeap = false;
        } else if (startsWith(strArg, "--filter=")) {
            p_stOptions.strFilter = strValue;
        } else if (startsWith(strArg, "--min-time=")) {
            p_stOptions.dMinTime = atof(strValue.c_str());
        } else if (startsWith(strArg, "--iterations=")) {
            p_stOptions.nIterations = atol(strValue.c_str());
        } else if (startsWith(strArg, "--part=")) {
            p_stOptions.strPart = strValue;
        } else if (strArg == "--list-ops") {
            p_stOptions.bListOps = true;
        } else if (strArg == "--callgrind") {
            p_stOptions.bCallgrind = true;
        } else if (startsWith(strArg, "--switch-changes=")) {
            p_stOptions.nSwitchChanges = atoi(strValue.c_str());
        } else if (startsWith(strArg, "--wait-scale=")) {
            p_stOptions.dWaitScale = atof(strValue.c_str());
        } else {
            p_aArgv[nKept++] = p_aArgv[i];
        }
    }
    p_nArgc = nKept;
    if (p_stOptions.vecProfiles.empty()) p_stOptions.vecProfiles = bench::bundledProfiles();
    if ((p_stOptions.bPlain || p_stOptions.bListOps) && p_nArgc > 1) {
        p_objErr << "sensordll_bench: unknown option " << p_aArgv[1] << " (see --help)\n";
        return false;
    }
    return true;
}

double nowNs() {
    struct timespec stNow;
    clock_gettime(CLOCK_MONOTONIC, &stNow);
    return static_cast<double>(stNow.tv_sec) * 1e9 + static_cast<double>(stNow.tv_nsec);
}

// ---- plain runner ------------------------------------------------------

// Alternating blocks of calls and floors until both together have run the
// minimum time (at least three blocks).
void timeBlocks(bench::CaseRun& p_objRun, double p_dMinTime) {
    p_objRun.clearBlocks();
    const double dStart = nowNs();
    for (int i = 0; i < 3 || nowNs() - dStart < p_dMinTime * 1e9; ++i)
        p_objRun.addBlock(p_objRun.runBlock(i % 2 == 1, p_objRun.blockCalls()));
}

// For callgrind: exactly p_nIterations calls (or floors), collected and
// nothing else; untimed work between calls stays outside the collection.
void countPart(bench::CaseRun& p_objRun, bool p_bFloor, long p_nIterations) {
    for (long i = 0; i < p_nIterations; ++i) {
        if (p_bFloor)
            p_objRun.beforeFloor();
        else
            p_objRun.between();
        BENCH_TOGGLE_COLLECT();
        if (p_bFloor)
            p_objRun.floor();
        else
            p_objRun.call();
        BENCH_TOGGLE_COLLECT();
    }
    p_objRun.afterBatch();
}

void runPlain(const Options& p_stOptions, std::vector<std::unique_ptr<bench::CaseRun>>& p_vecRuns,
              std::ostream& p_objOut) {
    const std::regex objFilter(p_stOptions.strFilter.empty() ? std::string(".") : p_stOptions.strFilter);
    for (std::unique_ptr<bench::CaseRun>& pRun : p_vecRuns) {
        if (!std::regex_search(pRun->name(), objFilter)) continue;
        if (!pRun->ensure()) {
            p_objOut << std::left << std::setw(52) << pRun->name() << " skipped: " << pRun->why() << std::endl;
            continue;
        }
        if (p_stOptions.bCallgrind) {
            if (p_stOptions.strPart != "floor") countPart(*pRun, false, p_stOptions.nIterations);
            if (p_stOptions.strPart != "call") countPart(*pRun, true, p_stOptions.nIterations);
            continue;
        }
        timeBlocks(*pRun, p_stOptions.dMinTime);
        p_objOut << std::left << std::setw(52) << pRun->name() << std::right << std::fixed << std::setprecision(2)
                 << std::setw(14) << pRun->callNs() / 1000.0 << " us  floor" << std::setw(14)
                 << pRun->floorNs() / 1000.0 << " us  ratio " << pRun->ratio() << std::endl;
    }
}

// What one operation of a floor is, in a few words.
std::string describe(const bench::Op& p_stOp) {
    std::ostringstream out;
    out << bench::opName(p_stOp.kind);
    const size_t nSlash = p_stOp.path.rfind('/');
    const std::string strBase = nSlash == std::string::npos ? p_stOp.path : p_stOp.path.substr(nSlash + 1);
    switch (p_stOp.kind) {
        case bench::OpKind::Isp:
            out << " cmd " << p_stOp.cmd << " option " << p_stOp.option;
            break;
        case bench::OpKind::VideoNotify:
            out << " key " << p_stOp.cmd;
            break;
        case bench::OpKind::XmlParse:
            out << " of " << p_stOp.path.size() << " bytes";
            break;
        case bench::OpKind::XmlPrint:
            break;
        case bench::OpKind::System:
        case bench::OpKind::Split:
            out << " \"" << p_stOp.path << "\"";
            break;
        case bench::OpKind::AtomicWrite:
            out << " " << strBase << " (" << p_stOp.data.size() << " bytes)";
            break;
        case bench::OpKind::FileRead:
        case bench::OpKind::SchemeRead:
            out << " " << strBase << " (" << p_stOp.length << " bytes)";
            break;
        default:
            if (!strBase.empty()) out << " " << strBase;
            break;
    }
    return out.str();
}

// Each floor's operations in order; runs of the same operation are counted.
void listOps(const Options& p_stOptions, std::vector<std::unique_ptr<bench::CaseRun>>& p_vecRuns,
             std::ostream& p_objOut) {
    const std::regex objFilter(p_stOptions.strFilter.empty() ? std::string(".") : p_stOptions.strFilter);
    for (std::unique_ptr<bench::CaseRun>& pRun : p_vecRuns) {
        if (!std::regex_search(pRun->name(), objFilter)) continue;
        if (!pRun->ensure()) {
            p_objOut << pRun->name() << ": skipped: " << pRun->why() << "\n";
            continue;
        }
        p_objOut << pRun->name() << ":\n";
        const std::vector<bench::Op>& vecOps = pRun->ops();
        for (size_t i = 0; i < vecOps.size();) {
            const std::string strText = describe(vecOps[i]);
            size_t nSame = 1;
            while (i + nSame < vecOps.size() && describe(vecOps[i + nSame]) == strText) ++nSame;
            p_objOut << "    " << strText;
            if (nSame > 1) p_objOut << " x" << nSame;
            p_objOut << "\n";
            i += nSame;
        }
    }
}

// ---- Google Benchmark runner -------------------------------------------

void runGoogleBenchmark(std::vector<std::unique_ptr<bench::CaseRun>>& p_vecRuns, std::ostream& p_objOut) {
    for (std::unique_ptr<bench::CaseRun>& pRun : p_vecRuns) {
        bench::CaseRun* p = pRun.get();
        // One iteration is one call and one floor, in alternating order; its
        // manual time is the call's.
        benchmark::RegisterBenchmark(p->name().c_str(),
                                     [p](benchmark::State& p_objState) {
                                         if (!p->ensure()) {
                                             p_objState.SkipWithError(p->why().c_str());
                                             return;
                                         }
                                         p->clearBlocks();
                                         bool bFloorFirst = false;
                                         for (auto _ : p_objState) {
                                             const bench::CaseRun::Block stBlock = p->runBlock(bFloorFirst, 1);
                                             bFloorFirst = !bFloorFirst;
                                             p->addBlock(stBlock);
                                             p_objState.SetIterationTime(stBlock.callNs / 1e9);
                                         }
                                         p_objState.counters["floor_us"] = p->floorNs() / 1000.0;
                                         p_objState.counters["ratio"] = p->ratio();
                                     })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::ConsoleReporter objReporter(benchmark::ConsoleReporter::OO_Tabular);
    objReporter.SetOutputStream(&p_objOut);
    objReporter.SetErrorStream(&p_objOut);
    benchmark::RunSpecifiedBenchmarks(&objReporter);
}

// ---- summary -------------------------------------------------------------

std::string micro(double p_dNs) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(p_dNs < 10000.0 ? 2 : 0) << p_dNs / 1000.0;
    return out.str();
}

std::string countOf(long long p_nCount) { return p_nCount < 0 ? std::string("-") : std::to_string(p_nCount); }

void printSummary(const std::vector<std::unique_ptr<bench::CaseRun>>& p_vecRuns, std::ostream& p_objOut) {
    p_objOut << "\nCall time beside its floor (wall time per call, microseconds)\n";
    p_objOut << std::left << std::setw(52) << "call" << std::right << std::setw(12) << "time" << std::setw(12)
             << "floor" << std::setw(8) << "ratio" << std::setw(9) << "target"
             << "\n";
    for (const std::unique_ptr<bench::CaseRun>& pRun : p_vecRuns) {
        if (pRun->callNs() <= 0.0 || pRun->floorNs() <= 0.0) continue;
        const double dRatio = pRun->ratio();
        const double dTarget = pRun->caseInfo().target;
        std::ostringstream target;
        if (dTarget > 0.0)
            target << std::fixed << std::setprecision(1) << dTarget << (dRatio <= dTarget ? " met" : " MISSED");
        p_objOut << std::left << std::setw(52) << pRun->name() << std::right << std::setw(12) << micro(pRun->callNs())
                 << std::setw(12) << micro(pRun->floorNs()) << std::setw(8) << std::fixed << std::setprecision(2)
                 << dRatio << "  " << target.str() << "\n";
    }

    p_objOut << "\nWhat each floor is made of (per call), and the call's heap allocations\n";
    p_objOut << std::left << std::setw(52) << "call" << std::right << std::setw(8) << "reports" << std::setw(6) << "isp"
             << std::setw(6) << "video" << std::setw(7) << "parses" << std::setw(7) << "prints" << std::setw(7)
             << "reads" << std::setw(7) << "writes" << std::setw(6) << "host" << std::setw(8) << "allocs"
             << std::setw(8) << "own" << std::setw(9) << "resolve"
             << "\n";
    for (const std::unique_ptr<bench::CaseRun>& pRun : p_vecRuns) {
        if (pRun->callNs() <= 0.0) continue;
        const bench::Composition& st = pRun->composition();
        const long long nOwn = st.allocations < 0 ? -1 : st.allocations - st.allocationsOutside;
        p_objOut << std::left << std::setw(52) << pRun->name() << std::right << std::setw(8) << st.reports
                 << std::setw(6) << st.isp << std::setw(6) << st.video << std::setw(7) << st.parses << std::setw(7)
                 << st.prints << std::setw(7) << st.fileReads << std::setw(7) << st.fileWrites << std::setw(6)
                 << st.otherHost << std::setw(8) << countOf(st.allocations) << std::setw(8) << countOf(nOwn)
                 << std::setw(9) << countOf(st.allocationsInResolve) << "\n";
    }
}

void printHeap(const std::vector<bench::Profile>& p_vecProfiles, std::ostream& p_objOut) {
    p_objOut << "\nHeap held by an initialised controller (bytes; target: 64 KiB beside the style text)\n";
    p_objOut << std::left << std::setw(20) << "profile" << std::right << std::setw(10) << "held" << std::setw(10)
             << "released" << std::setw(10) << "style" << std::setw(16) << "beside style"
             << "\n";
    for (const bench::Profile& stProfile : p_vecProfiles) {
        const bench::HeapHeld stHeld = bench::measureHeldHeap(stProfile);
        if (!stHeld.measured) {
            p_objOut << "not measured: this build does not count allocations\n";
            return;
        }
        const long long nBeside = stHeld.heldBytes - stHeld.styleBytes;
        p_objOut << std::left << std::setw(20) << stProfile.label() << std::right << std::setw(10) << stHeld.heldBytes
                 << std::setw(10) << stHeld.releasedBytes << std::setw(10) << stHeld.styleBytes << std::setw(16)
                 << nBeside << (nBeside <= 64 * 1024 ? "  met" : "  MISSED") << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        puts("sensordll_bench (libsensordll) " SENSORDLL_VERSION);
        return 0;
    }
    if (wantsHelp(argc, argv)) {
        fputs(USAGE, stdout);
        benchmark::PrintDefaultHelp();
        return 0;
    }
    const int nOut = dup(STDOUT_FILENO);
    const int nNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nOut < 0 || nNull < 0 || dup2(nNull, STDOUT_FILENO) < 0) {
        perror("sensordll_bench: cannot set up the output");
        return 1;
    }
    close(nNull);
    FdBuffer objBuffer(nOut);
    std::ostream objOut(&objBuffer);

    Options stOptions;
    if (!parseOptions(argc, argv, stOptions, std::cerr)) return 2;
    if (!stOptions.bPlain && !stOptions.bListOps) {
        benchmark::Initialize(&argc, argv);
        if (argc > 1) {
            std::cerr << "sensordll_bench: unknown option " << argv[1] << " (see --help)\n";
            return 2;
        }
    }
    bench::setStartUpWaitScale(stOptions.dWaitScale);

    std::vector<std::unique_ptr<bench::CaseRun>> vecRuns;
    for (const bench::Profile& stProfile : stOptions.vecProfiles)
        for (const bench::Case& stCase : bench::allCases())
            vecRuns.push_back(std::unique_ptr<bench::CaseRun>(new bench::CaseRun(stProfile, stCase)));

    int nStatus = 0;
    try {
        if (stOptions.bListOps)
            listOps(stOptions, vecRuns, objOut);
        else if (stOptions.bPlain)
            runPlain(stOptions, vecRuns, objOut);
        else
            runGoogleBenchmark(vecRuns, objOut);
        for (std::unique_ptr<bench::CaseRun>& pRun : vecRuns) pRun->finish();
        printSummary(vecRuns, objOut);
        if (stOptions.bHeap && !stOptions.bCallgrind && !stOptions.bListOps) printHeap(stOptions.vecProfiles, objOut);
        if (stOptions.nSwitchChanges > 0 && !stOptions.bCallgrind && !stOptions.bListOps)
            bench::printSwitchLatency(stOptions.vecProfiles.front(), stOptions.nSwitchChanges, objOut);
    } catch (const std::exception& e) {
        objOut << "sensordll_bench: " << e.what() << "\n";
        nStatus = 1;
    }
    vecRuns.clear();
    bench::deactivate();
    objOut.flush();
    return nStatus;
}
