// The host calls the suite measures, and their floors.
#ifndef SENSORDLL_BENCH_CASES_H
#define SENSORDLL_BENCH_CASES_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Device.h"
#include "Probe.h"

namespace bench {

// One measured host call. prepare runs once on the device (false, with a
// reason, when the call does not apply there); between runs untimed before
// every timed call; call is what is timed; finish runs once at the end.
struct Case {
    std::string name;
    double target = 0.0;     // the ratio to its floor the call must stay within; 0: none set
    bool exclusive = false;  // needs the device without the shared controller (start-up)
    std::function<bool(Device&, std::string&)> prepare;
    std::function<void(Device&)> between;
    std::function<void(Device&)> call;
    std::function<void(Device&)> finish;
    // Untimed before every replay of the floor, so that it meets the files as
    // the call does.
    std::function<void(Device&)> beforeFloor;
};

std::vector<Case> allCases();

// One case on one profile: prepared and probed once, then timed, its floor
// replayed and timed.
class CaseRun {
public:
    CaseRun(const Profile& p_stProfile, const Case& p_stCase) : m_stProfile(p_stProfile), m_stCase(p_stCase) {}
    ~CaseRun();

    std::string name() const { return m_stProfile.label() + "/" + m_stCase.name; }
    const Case& caseInfo() const { return m_stCase; }
    const Profile& profile() const { return m_stProfile; }

    // Brings the device up as the case needs it and, the first time, prepares
    // and probes. False when the case does not apply (why() says why).
    bool ensure();
    const std::string& why() const { return m_strWhy; }

    bool hasBetween() const { return static_cast<bool>(m_stCase.between); }
    void between() {
        if (m_stCase.between) m_stCase.between(*m_pDevice);
    }
    void call() { m_stCase.call(*m_pDevice); }
    bool hasBeforeFloor() const { return static_cast<bool>(m_stCase.beforeFloor); }
    void beforeFloor() {
        if (m_stCase.beforeFloor) m_stCase.beforeFloor(*m_pDevice);
    }
    void floor() { m_pFloor->run(); }
    // Untimed, after a batch: the replacements' records of the batch dropped.
    void afterBatch() { m_pDevice->clearRecords(); }
    void finish();

    const Composition& composition() const { return m_stComposition; }
    const std::vector<Op>& ops() const { return m_vecOps; }

    // Calls and floors are timed in alternating blocks, so that both see the
    // same load on a busy machine. blockCalls() is the length of a block that
    // lasts about 50 microseconds (1 where calls need untimed work between
    // them).
    struct Block {
        double callNs;   // per call
        double floorNs;  // per floor
    };
    long blockCalls() const { return m_nBlockCalls; }
    Block runBlock(bool p_bFloorFirst, long p_nCalls);
    void clearBlocks() { m_vecBlocks.clear(); }
    void addBlock(const Block& p_stBlock) { m_vecBlocks.push_back(p_stBlock); }
    // Medians over the blocks: call time, floor time, and the ratio of the two
    // within a block. 0 when nothing was timed.
    double callNs() const;
    double floorNs() const;
    double ratio() const;

private:
    Profile m_stProfile;
    Case m_stCase;
    Device* m_pDevice = nullptr;
    bool m_bPrepared = false;
    bool m_bApplies = false;
    bool m_bFinished = false;
    std::string m_strWhy;
    std::vector<Op> m_vecOps;
    Composition m_stComposition;
    std::unique_ptr<FloorReplay> m_pFloor;
    long m_nBlockCalls = 1;
    std::vector<Block> m_vecBlocks;
};

// The wait scale for start-up measurements: 0 (the default) makes the first
// sensor-thread pass of init and the started thread's waits instant; callgrind
// runs take 1, so that the started thread sleeps instead of spinning.
void setStartUpWaitScale(double p_dScale);

// Heap held by an initialised controller, measured on one profile.
struct HeapHeld {
    bool measured = false;
    long long heldBytes = 0;      // net growth of the heap across construction and init
    long long releasedBytes = 0;  // what uinit and destruction give back
    long long styleBytes = 0;     // the merged style text the controller keeps
};
HeapHeld measureHeldHeap(const Profile& p_stProfile);

}  // namespace bench

#endif
