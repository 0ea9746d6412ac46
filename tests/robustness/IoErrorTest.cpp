// I/O errors: the Nth file operation of a save or a load fails (EIO, ENOSPC
// or a short write), for every N until the operation completes, once and from
// then on. The call reports and returns its failure (a save that fails only
// after its rename reports and has replaced the file), the old data stays
// intact, no temporary file and no descriptor is left, and the next call
// without a fault works.
#include <gtest/gtest.h>

#include <errno.h>

#include <functional>
#include <string>
#include <vector>

#include "RobustnessFixture.h"
#include "SensorFile.h"

namespace {

enum class Kind { Eio, Enospc, ShortWrite };

struct Fault {
    Kind eKind;
    bool bPersistent;
};

const Fault kFaults[] = {{Kind::Eio, false},   {Kind::Eio, true},        {Kind::Enospc, false},
                         {Kind::Enospc, true}, {Kind::ShortWrite, false}, {Kind::ShortWrite, true}};

// One run under a fault, as the checks see it.
struct FaultRun {
    int nResult;
    std::string strCase;
    size_t nOperation;
    bool bPersistent;
    faultfs::Image mapBefore;  // the directory before the run
    size_t nLogSize;           // the error log's size before the run
};

}  // namespace

class IoErrorTest : public RobustnessFixture {
protected:
    void SetUp() override {
        RobustnessFixture::SetUp();
        // The default level: assertion reports go to the error log.
        removeFile("/tmp/Debug.sign");
    }

    // Whether a report was logged since p_nLogSize.
    bool reportedSince(size_t p_nLogSize) const {
        const std::string strLog = errorLog();
        return strLog.size() > p_nLogSize && strLog.find("~~~Assertion failed.", p_nLogSize) != std::string::npos;
    }

    // A failure at a close leaves nothing to report: the descriptor is
    // released anyway and the data was synced before.
    static bool harmless(const faultfs::Event& p_stEvent) { return p_stEvent.eOp == faultfs::Op::Close; }

    // Runs p_fnRun once to learn its operations, then from p_fnReset under
    // each fault at each of them.
    void everyFault(const std::vector<Fault>& p_vecFaults, const std::function<void()>& p_fnReset,
                    const std::function<int()>& p_fnRun, const std::function<void(const FaultRun&)>& p_fnCheck) {
        p_fnReset();
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnRun(), 0);
        m_vecEvents = faultfs::events();
        faultfs::disarm();
        ASSERT_FALSE(m_vecEvents.empty());
        for (const Fault& stFault : p_vecFaults) {
            for (size_t n = 0; n < m_vecEvents.size(); ++n) {
                if (stFault.eKind == Kind::ShortWrite && m_vecEvents[n].eOp != faultfs::Op::Write) continue;
                const char* szKind = stFault.eKind == Kind::Eio ? "EIO" : stFault.eKind == Kind::Enospc ? "ENOSPC" : "short write";
                const std::string strCase = std::string(szKind) + (stFault.bPersistent ? " from" : " at") + " operation " +
                                            std::to_string(n) + " (" + faultfs::describe(m_vecEvents[n]) + ")";
                p_fnReset();
                const faultfs::Image mapBefore = faultfs::readDirectory(configDir());
                const int nDescriptors = faultfs::openDescriptors();
                const size_t nLogSize = errorLog().size();
                faultfs::arm(configDir());
                if (stFault.eKind == Kind::ShortWrite)
                    faultfs::shortWriteAt(n, stFault.bPersistent);
                else
                    faultfs::failAt(n, stFault.eKind == Kind::Eio ? EIO : ENOSPC, stFault.bPersistent);
                testing::internal::CaptureStdout();
                const int nResult = p_fnRun();
                testing::internal::GetCapturedStdout();
                faultfs::disarm();
                EXPECT_EQ(faultfs::openDescriptors(), nDescriptors) << "descriptor leak: " << strCase;
                p_fnCheck({nResult, strCase, n, stFault.bPersistent, mapBefore, nLogSize});
                if (HasFailure()) return;
            }
        }
    }

    // Every fault of a save that returns 0 on success and leaves the named
    // file holding p_strNew, else p_strOld.
    void everyFaultOfSave(const std::string& p_strName, const std::string& p_strOld, const std::string& p_strNew,
                          const std::function<int()>& p_fnSave) {
        const std::string strFile = std::string(kConfigDir) + "/" + p_strName;
        const auto fnReset = [&]() { writeFile(strFile, p_strOld); };
        everyFault(std::vector<Fault>(std::begin(kFaults), std::end(kFaults)), fnReset, p_fnSave,
                   [&](const FaultRun& r) {
                       const faultfs::Image mapAfter = faultfs::readDirectory(configDir());
                       EXPECT_EQ(mapAfter.at(p_strName), r.nResult == 0 ? p_strNew : p_strOld) << r.strCase;
                       // Only a fault after the rename can leave the save done.
                       bool bRenamed = false;
                       for (size_t i = 0; i < r.nOperation; ++i) bRenamed = bRenamed || m_vecEvents[i].eOp == faultfs::Op::Rename;
                       if (!harmless(m_vecEvents[r.nOperation])) {
                           if (!bRenamed) { EXPECT_NE(r.nResult, 0) << r.strCase; }
                           EXPECT_TRUE(reportedSince(r.nLogSize)) << "no report: " << r.strCase;
                       }
                       for (const auto& stEntry : mapAfter) {
                           if (stEntry.first == p_strName) continue;
                           // A lasting fault fails the removal of the temporary
                           // too; the next save replaces it.
                           if (isTemporary(stEntry.first) && r.bPersistent) continue;
                           EXPECT_FALSE(isTemporary(stEntry.first)) << stEntry.first << " left: " << r.strCase;
                           EXPECT_EQ(stEntry.second, r.mapBefore.at(stEntry.first)) << stEntry.first << ": " << r.strCase;
                       }
                       fnReset();
                       EXPECT_EQ(p_fnSave(), 0) << "after " << r.strCase;
                       const faultfs::Image mapNext = faultfs::readDirectory(configDir());
                       EXPECT_EQ(mapNext.at(p_strName), p_strNew) << "after " << r.strCase;
                       EXPECT_EQ(lasting(mapNext), mapNext) << "after " << r.strCase;
                   });
    }

    std::vector<faultfs::Event> m_vecEvents;
};

TEST_F(IoErrorTest, SchemeSaveFailingAtEveryOperationKeepsTheOldRecords) {
    std::vector<KeyVal> vecOld;
    for (u32 i = 0; i < 107; ++i) vecOld.push_back({1000 + i, i});
    std::vector<KeyVal> vecNew = vecOld;
    for (KeyVal& stRecord : vecNew) stRecord.value += 500;
    everyFaultOfSave(schemeName(0), image(vecOld), image(vecNew), [&]() {
        std::string strName = schemePath(0);
        return keyValToFile(&strName[0], vecNew.data(), static_cast<u32>(vecNew.size()));
    });
}

TEST_F(IoErrorTest, VersionSaveFailingAtEveryOperationKeepsTheOldVersion) {
    everyFaultOfSave(versionName(), std::string("\x07\x00\x00\x00", 4), std::string("\x08\x00\x00\x00", 4),
                     []() { return setVersion(8); });
}

TEST_F(IoErrorTest, FlushFailingAtEveryOperationKeepsTheStoredSchemeAndTheNextFlushSavesIt) {
    primeFiles();
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const std::string strOld = readFile(schemePath(0));
    const int nBrightness = valueOf(strOld, KEY_BRIGHTNESS) + 3;
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, nBrightness, true), SNS_SUCCESS);
    everyFaultOfSave(schemeName(0), strOld, withValue(strOld, KEY_BRIGHTNESS, static_cast<u32>(nBrightness)),
                     [&]() { return objController.flush(); });
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nBrightness);
}

class IoErrorLoadTest : public IoErrorTest {
protected:
    // Every EIO at every operation of a load: the directory stays as it was.
    void everyFaultOfLoad(const std::function<int()>& p_fnLoad, const std::function<void(const FaultRun&)>& p_fnCheck) {
        everyFault({kFaults[0], kFaults[1]}, []() {}, p_fnLoad, [&](const FaultRun& r) {
            p_fnCheck(r);
            EXPECT_EQ(faultfs::readDirectory(configDir()), r.mapBefore) << r.strCase;
        });
    }
};

TEST_F(IoErrorLoadTest, SchemeLoadFailingAtEveryOperationReportsAndKeepsTheCallersRecords) {
    std::vector<KeyVal> vecStored;
    for (u32 i = 0; i < 300; ++i) vecStored.push_back({2000 + i, 3 * i});
    writeFile(schemePath(2), image(vecStored));
    const KeyVal stSentinel = {0xDEADBEEFu, 0xFEEDFACEu};
    std::vector<KeyVal> vecRead;
    const auto fnLoad = [&]() {
        vecRead.assign(vecStored.size(), stSentinel);
        std::string strName = schemePath(2);
        return keyValFromFile(&strName[0], vecRead.data(), static_cast<u32>(vecRead.size()));
    };
    everyFaultOfLoad(fnLoad, [&](const FaultRun& r) {
        // Whole records from the file, then the caller's own: never a mix
        // inside a record, never anything else.
        size_t nFromFile = 0;
        while (nFromFile < vecRead.size() && vecRead[nFromFile].key == vecStored[nFromFile].key &&
               vecRead[nFromFile].value == vecStored[nFromFile].value)
            ++nFromFile;
        for (size_t i = nFromFile; i < vecRead.size(); ++i) {
            EXPECT_TRUE(vecRead[i].key == stSentinel.key && vecRead[i].value == stSentinel.value) << i << " " << r.strCase;
        }
        if (nFromFile < vecRead.size()) { EXPECT_TRUE(reportedSince(r.nLogSize)) << "no report: " << r.strCase; }
        if (!harmless(m_vecEvents[r.nOperation]) && nFromFile == vecRead.size())
            ADD_FAILURE() << "the fault had no effect: " << r.strCase;
    });
}

TEST_F(IoErrorLoadTest, VersionLoadFailingAtEveryOperationFailsAndKeepsTheVersion) {
    writeFile(std::string(kConfigDir) + "/" + versionName(), std::string("\x08\x00\x00\x00", 4));
    u32 nVersion = 0;
    const auto fnLoad = [&]() {
        nVersion = 12345;
        return getVersion(&nVersion);
    };
    everyFaultOfLoad(fnLoad, [&](const FaultRun& r) {
        EXPECT_EQ(nVersion, r.nResult == 0 ? 8u : 12345u) << r.strCase;
        if (!harmless(m_vecEvents[r.nOperation])) { EXPECT_EQ(r.nResult, -1) << r.strCase; }
    });
}
