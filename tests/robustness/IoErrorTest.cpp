// I/O errors: the Nth file operation of a save or a load fails (EIO, ENOSPC or
// a short write, once or from then on) for every N. The call reports and
// returns its failure (one that fails only after its rename has replaced the
// file reports), the old data stays, no temporary or descriptor is left, and
// the next call without a fault works.
#include <errno.h>
#include <string.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "RobustnessFixture.h"
#include "SensorFile.h"

// One run under a fault.
struct FaultRun {
    int nResult;
    std::string strCase;
    faultfs::Op eOp;  // the failing operation
    bool bRenamed;    // the fault came after a rename
    bool bPersistent;
    faultfs::Image mapBefore;
    bool bReported;
};

class IoErrorTest : public RobustnessFixture {
protected:
    void SetUp() override {
        RobustnessFixture::SetUp();
        removeFile(camerapath::DEBUG_CONTROL_FILE);  // the default level: reports go to the error log
    }

    // Learns the operations of p_fnRun, then runs it from p_fnReset under each
    // fault at each of them. A load meets EIO only, and leaves the directory
    // as it was.
    void everyFault(bool p_bLoad, const std::function<void()>& p_fnReset, const std::function<int()>& p_fnRun,
                    const std::function<void(const FaultRun&)>& p_fnCheck) {
        p_fnReset();
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnRun(), 0);
        const std::vector<faultfs::Event> vecEvents = faultfs::events();
        faultfs::disarm();
        ASSERT_FALSE(vecEvents.empty());
        for (int nErrno : {EIO, ENOSPC, 0}) {  // 0: a short write
            for (bool bPersistent : {false, true})
                for (size_t n = 0; n < vecEvents.size() && !HasFailure(); ++n) {
                    if ((nErrno == 0 && vecEvents[n].eOp != faultfs::Op::Write) || (p_bLoad && nErrno != EIO)) continue;
                    const std::string strCase = std::string(nErrno == 0 ? "short write" : strerror(nErrno)) +
                                                (bPersistent ? " from operation " : " at operation ") +
                                                std::to_string(n) + " (" + faultfs::describe(vecEvents[n]) + ")";
                    p_fnReset();
                    const faultfs::Image mapBefore = faultfs::readDirectory(configDir());
                    const int nDescriptors = faultfs::openDescriptors();
                    const size_t nLogSize = errorLog().size();
                    faultfs::arm(configDir());
                    faultfs::failAt(n, nErrno, bPersistent, nErrno == 0);
                    const int nResult = p_fnRun();
                    faultfs::disarm();
                    EXPECT_EQ(faultfs::openDescriptors(), nDescriptors) << "descriptor leak: " << strCase;
                    EXPECT_TRUE(!p_bLoad || faultfs::readDirectory(configDir()) == mapBefore) << strCase;
                    // A log that rotated holds only what came after.
                    const std::string strLog = errorLog();
                    const bool bReported = strLog.find("~~~Assertion failed.",
                                                       strLog.size() < nLogSize ? 0 : nLogSize) != std::string::npos;
                    const bool bRenamed =
                        std::any_of(vecEvents.begin(), vecEvents.begin() + static_cast<std::ptrdiff_t>(n),
                                    [](const faultfs::Event& e) { return e.eOp == faultfs::Op::Rename; });
                    p_fnCheck({nResult, strCase, vecEvents[n].eOp, bRenamed, bPersistent, mapBefore, bReported});
                }
        }
    }

    // Every fault of a save that returns 0 on success and leaves the named
    // file holding p_strNew, else p_strOld.
    void everyFaultOfSave(const std::string& p_strName, const std::string& p_strOld, const std::string& p_strNew,
                          const std::function<int()>& p_fnSave) {
        const auto fnReset = [&]() { writeFile(std::string(kConfigDir) + "/" + p_strName, p_strOld); };
        everyFault(false, fnReset, p_fnSave, [&](const FaultRun& r) {
            const faultfs::Image mapAfter = faultfs::readDirectory(configDir());
            EXPECT_EQ(mapAfter.at(p_strName), r.nResult == 0 ? p_strNew : p_strOld) << r.strCase;
            // A failed close leaves nothing to report: the data was synced before.
            if (r.eOp != faultfs::Op::Close) {
                EXPECT_TRUE(r.bRenamed || r.nResult != 0) << r.strCase;
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
    ASSERT_TRUE(start(camera("")));
    const std::string strOld = readFile(simdevice::schemeFile(1, 0));
    const int nBrightness = valueOf(strOld, KEY_BRIGHTNESS) + 3;
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, nBrightness, true), SNS_SUCCESS);
    everyFaultOfSave(schemeName(0), strOld, withValue(strOld, KEY_BRIGHTNESS, static_cast<u32>(nBrightness)),
                     [&]() { return controller().flush(); });
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nBrightness);
}

class IoErrorLoadTest : public IoErrorTest {};

TEST_F(IoErrorLoadTest, SchemeLoadFailingAtEveryOperationReportsAndKeepsTheCallersRecords) {
    std::vector<KeyVal> vecStored;
    for (u32 i = 0; i < 300; ++i) vecStored.push_back({2000 + i, 3 * i});
    writeFile(simdevice::schemeFile(1, 2), image(vecStored));
    const std::vector<KeyVal> vecSentinels(vecStored.size(), {0xDEADBEEFu, 0xFEEDFACEu});
    std::vector<KeyVal> vecRead;
    everyFault(
        true, []() {},
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
            EXPECT_TRUE(nFromFile == vecRead.size() || r.bReported) << "no report: " << r.strCase;
            EXPECT_TRUE(nFromFile < vecRead.size() || r.eOp == faultfs::Op::Close) << "no effect: " << r.strCase;
        });
}

TEST_F(IoErrorLoadTest, VersionLoadFailingAtEveryOperationFailsAndKeepsTheVersion) {
    writeFile(std::string(kConfigDir) + "/" + versionName(), std::string("\x08\x00\x00\x00", 4));
    u32 nVersion = 0;
    everyFault(
        true, []() {},
        [&]() {
            nVersion = 12345;
            return getVersion(&nVersion);
        },
        [&](const FaultRun& r) {
            EXPECT_EQ(nVersion, r.nResult == 0 ? 8u : 12345u) << r.strCase;
            EXPECT_TRUE(r.nResult == -1 || r.eOp == faultfs::Op::Close) << r.strCase;
        });
}
