// I/O errors: the Nth file operation of a save or a load fails (EIO, ENOSPC or
// a short write, once or from then on) for every N. The call reports and
// returns its failure (one that fails only after its rename has replaced the
// file reports), the old data stays, no temporary or descriptor is left, and
// the next call without a fault works.
#include <gtest/gtest.h>

#include <errno.h>

#include <functional>
#include <string>
#include <vector>

#include "RobustnessFixture.h"
#include "SensorFile.h"
#include "platform/CameraPaths.h"

namespace {

struct Fault {
    const char* szName;
    int nErrno;  // 0: a short write
    bool bPersistent;
};
const std::vector<Fault> kFaults = {{"EIO at", EIO, false},       {"EIO from", EIO, true},
                                    {"ENOSPC at", ENOSPC, false}, {"ENOSPC from", ENOSPC, true},
                                    {"short write at", 0, false}, {"short write from", 0, true}};

struct FaultRun {
    int nResult;
    std::string strCase;
    const faultfs::Event* pEvent;
    bool bRenamed;  // the fault came after a rename
    bool bPersistent;
    faultfs::Image mapBefore;
    bool bReported;
};

}  // namespace

class IoErrorTest : public RobustnessFixture {
protected:
    void SetUp() override {
        RobustnessFixture::SetUp();
        removeFile(camerapath::DEBUG_CONTROL_FILE);  // the default level: reports go to the error log
    }

    // Learns the operations of p_fnRun, then runs it from p_fnReset under each
    // fault at each of them.
    void everyFault(const std::vector<Fault>& p_vecFaults, const std::function<void()>& p_fnReset,
                    const std::function<int()>& p_fnRun, const std::function<void(const FaultRun&)>& p_fnCheck) {
        p_fnReset();
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnRun(), 0);
        const std::vector<faultfs::Event> vecEvents = faultfs::events();
        faultfs::disarm();
        ASSERT_FALSE(vecEvents.empty());
        for (const Fault& stFault : p_vecFaults) {
            for (size_t n = 0; n < vecEvents.size(); ++n) {
                if (stFault.nErrno == 0 && vecEvents[n].eOp != faultfs::Op::Write) continue;
                const std::string strCase = std::string(stFault.szName) + " operation " + std::to_string(n) + " (" +
                                            faultfs::describe(vecEvents[n]) + ")";
                bool bRenamed = false;
                for (size_t i = 0; i < n; ++i) bRenamed = bRenamed || vecEvents[i].eOp == faultfs::Op::Rename;
                p_fnReset();
                const faultfs::Image mapBefore = faultfs::readDirectory(configDir());
                const int nDescriptors = faultfs::openDescriptors();
                const size_t nLogSize = errorLog().size();
                faultfs::arm(configDir());
                faultfs::failAt(n, stFault.nErrno, stFault.bPersistent, stFault.nErrno == 0);
                const int nResult = p_fnRun();
                faultfs::disarm();
                EXPECT_EQ(faultfs::openDescriptors(), nDescriptors) << "descriptor leak: " << strCase;
                // A log that rotated holds only what came after.
                const std::string strLog = errorLog();
                const bool bReported =
                    strLog.find("~~~Assertion failed.", strLog.size() < nLogSize ? 0 : nLogSize) != std::string::npos;
                p_fnCheck({nResult, strCase, &vecEvents[n], bRenamed, stFault.bPersistent, mapBefore, bReported});
                if (HasFailure()) return;
            }
        }
    }

    // Every fault of a save that returns 0 on success and leaves the named
    // file holding p_strNew, else p_strOld.
    void everyFaultOfSave(const std::string& p_strName, const std::string& p_strOld, const std::string& p_strNew,
                          const std::function<int()>& p_fnSave) {
        const auto fnReset = [&]() { writeFile(std::string(kConfigDir) + "/" + p_strName, p_strOld); };
        everyFault(kFaults, fnReset, p_fnSave, [&](const FaultRun& r) {
            const faultfs::Image mapAfter = faultfs::readDirectory(configDir());
            EXPECT_EQ(mapAfter.at(p_strName), r.nResult == 0 ? p_strNew : p_strOld) << r.strCase;
            // A failed close leaves nothing to report: the data was synced before.
            if (r.pEvent->eOp != faultfs::Op::Close) {
                if (!r.bRenamed) {
                    EXPECT_NE(r.nResult, 0) << r.strCase;
                }
                EXPECT_TRUE(r.bReported) << "no report: " << r.strCase;
            }
            for (const auto& stEntry : mapAfter) {
                // A lasting fault fails the temporary's removal too; the next save replaces it.
                if (stEntry.first == p_strName || (isTemporary(stEntry.first) && r.bPersistent)) continue;
                EXPECT_TRUE(r.mapBefore.count(stEntry.first) != 0 && r.mapBefore.at(stEntry.first) == stEntry.second)
                    << stEntry.first << " left or changed: " << r.strCase;
            }
            fnReset();
            EXPECT_EQ(p_fnSave(), 0) << "after " << r.strCase;
            const faultfs::Image mapNext = faultfs::readDirectory(configDir());
            EXPECT_EQ(mapNext.at(p_strName), p_strNew) << "after " << r.strCase;
            EXPECT_EQ(lasting(mapNext), mapNext) << "after " << r.strCase;
        });
    }
};

TEST_F(IoErrorTest, VersionSaveFailingAtEveryOperationKeepsTheOldVersion) {
    everyFaultOfSave(versionName(), std::string("\x07\x00\x00\x00", 4), std::string("\x08\x00\x00\x00", 4),
                     []() { return setVersion(8); });
}

TEST_F(IoErrorTest, FlushFailingAtEveryOperationKeepsTheStoredSchemeAndTheNextFlushSavesIt) {
    primeFiles();
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const std::string strOld = readFile(simdevice::schemeFile(1, 0));
    const int nBrightness = valueOf(strOld, KEY_BRIGHTNESS) + 3;
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, nBrightness, true), SNS_SUCCESS);
    everyFaultOfSave(schemeName(0), strOld, withValue(strOld, KEY_BRIGHTNESS, static_cast<u32>(nBrightness)),
                     [&]() { return objController.flush(); });
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nBrightness);
}

// Loads under EIO: the directory stays as it was.
class IoErrorLoadTest : public IoErrorTest {
protected:
    void everyFaultOfLoad(const std::function<int()>& p_fnLoad, const std::function<void(const FaultRun&)>& p_fnCheck) {
        everyFault(
            {kFaults[0], kFaults[1]}, []() {}, p_fnLoad,
            [&](const FaultRun& r) {
                p_fnCheck(r);
                EXPECT_EQ(faultfs::readDirectory(configDir()), r.mapBefore) << r.strCase;
            });
    }
};

TEST_F(IoErrorLoadTest, SchemeLoadFailingAtEveryOperationReportsAndKeepsTheCallersRecords) {
    std::vector<KeyVal> vecStored;
    for (u32 i = 0; i < 300; ++i) vecStored.push_back({2000 + i, 3 * i});
    writeFile(simdevice::schemeFile(1, 2), image(vecStored));
    const std::vector<KeyVal> vecSentinels(vecStored.size(), {0xDEADBEEFu, 0xFEEDFACEu});
    std::vector<KeyVal> vecRead;
    everyFaultOfLoad(
        [&]() {
            vecRead = vecSentinels;
            std::string strName = simdevice::schemeFile(1, 2);
            return keyValFromFile(&strName[0], vecRead.data(), static_cast<u32>(vecRead.size()));
        },
        [&](const FaultRun& r) {
            // Whole records from the file, then the caller's own: never a mix.
            size_t nFromFile = 0;
            while (nFromFile < vecRead.size() && image(&vecRead[nFromFile], 1) == image(&vecStored[nFromFile], 1))
                ++nFromFile;
            const u32 nRest = static_cast<u32>(vecRead.size() - nFromFile);
            EXPECT_EQ(image(vecRead.data() + nFromFile, nRest), image(vecSentinels.data() + nFromFile, nRest))
                << r.strCase;
            if (nFromFile < vecRead.size()) {
                EXPECT_TRUE(r.bReported) << "no report: " << r.strCase;
            }
            if (r.pEvent->eOp != faultfs::Op::Close) {
                EXPECT_LT(nFromFile, vecRead.size()) << "no effect: " << r.strCase;
            }
        });
}

TEST_F(IoErrorLoadTest, VersionLoadFailingAtEveryOperationFailsAndKeepsTheVersion) {
    writeFile(std::string(kConfigDir) + "/" + versionName(), std::string("\x08\x00\x00\x00", 4));
    u32 nVersion = 0;
    everyFaultOfLoad(
        [&]() {
            nVersion = 12345;
            return getVersion(&nVersion);
        },
        [&](const FaultRun& r) {
            EXPECT_EQ(nVersion, r.nResult == 0 ? 8u : 12345u) << r.strCase;
            if (r.pEvent->eOp != faultfs::Op::Close) {
                EXPECT_EQ(r.nResult, -1) << r.strCase;
            }
        });
}
