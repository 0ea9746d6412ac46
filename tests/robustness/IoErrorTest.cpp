// I/O errors: the Nth file operation of a save or a load fails (EIO, ENOSPC
// or a short write), for every N until the operation completes, once and from
// then on. The call reports and returns its failure (a save that fails only
// after its rename reports and has replaced the file), the old data stays
// intact, no temporary file and no descriptor is left, and the next call
// without a fault works.
#include <gtest/gtest.h>

#include <errno.h>

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

const Fault kFaults[] = {{Kind::Eio, false},    {Kind::Eio, true},        {Kind::Enospc, false},
                         {Kind::Enospc, true},  {Kind::ShortWrite, false}, {Kind::ShortWrite, true}};

std::string describe(const Fault& p_stFault, size_t p_nOperation, const std::vector<faultfs::Event>& p_vecEvents) {
    static const char* const s_aszOps[] = {"open", "read", "write", "flush", "sync", "close", "rename", "unlink"};
    const char* szKind = p_stFault.eKind == Kind::Eio ? "EIO" : p_stFault.eKind == Kind::Enospc ? "ENOSPC" : "short write";
    const faultfs::Event& stEvent = p_vecEvents[p_nOperation];
    return std::string(szKind) + (p_stFault.bPersistent ? " from" : " at") + " operation " +
           std::to_string(p_nOperation) + " (" + s_aszOps[static_cast<int>(stEvent.eOp)] + " " +
           (stEvent.strName.empty() ? "<dir>" : stEvent.strName) + ")";
}

void inject(const Fault& p_stFault, size_t p_nOperation) {
    if (p_stFault.eKind == Kind::ShortWrite)
        faultfs::shortWriteAt(p_nOperation, p_stFault.bPersistent);
    else
        faultfs::failAt(p_nOperation, p_stFault.eKind == Kind::Eio ? EIO : ENOSPC, p_stFault.bPersistent);
}

const char* const kAssertionText = "~~~Assertion failed.";

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
        return strLog.size() > p_nLogSize && strLog.find(kAssertionText, p_nLogSize) != std::string::npos;
    }

    // A failure at this operation leaves nothing to report: the descriptor
    // is released anyway and the data was synced before.
    static bool harmless(const faultfs::Event& p_stEvent) { return p_stEvent.eOp == faultfs::Op::Close; }

    // Runs a save under every fault at every operation. p_fnSave returns 0 on
    // success; the saved file must then hold p_strNew, else p_strOld.
    template <typename Save>
    void everyFaultOfSave(const std::string& p_strName, const std::string& p_strOld, const std::string& p_strNew,
                          Save p_fnSave) {
        const std::string strPath = configDir() + "/" + p_strName;
        writeFile(std::string(kConfigDir) + "/" + p_strName, p_strOld);
        faultfs::arm(configDir());
        ASSERT_EQ(p_fnSave(), 0);
        const std::vector<faultfs::Event> vecEvents = faultfs::events();
        faultfs::disarm();
        ASSERT_EQ(faultfs::readDirectory(configDir()).at(p_strName), p_strNew);

        for (const Fault& stFault : kFaults) {
            for (size_t n = 0; n < vecEvents.size(); ++n) {
                if (stFault.eKind == Kind::ShortWrite && vecEvents[n].eOp != faultfs::Op::Write) continue;
                const std::string strCase = describe(stFault, n, vecEvents);
                writeFile(std::string(kConfigDir) + "/" + p_strName, p_strOld);
                const faultfs::Image mapBefore = faultfs::readDirectory(configDir());
                const int nDescriptors = faultfs::openDescriptors();
                const size_t nLogSize = errorLog().size();

                faultfs::arm(configDir());
                inject(stFault, n);
                testing::internal::CaptureStdout();
                const int nResult = p_fnSave();
                testing::internal::GetCapturedStdout();
                faultfs::disarm();

                const faultfs::Image mapAfter = faultfs::readDirectory(configDir());
                const std::string& strNow = mapAfter.at(p_strName);
                if (nResult == 0) {
                    EXPECT_EQ(strNow, p_strNew) << strCase;
                } else {
                    EXPECT_EQ(strNow, p_strOld) << strCase;
                }
                // Only a fault after the rename can leave the save done.
                bool bRenamed = false;
                for (size_t i = 0; i < n; ++i) bRenamed = bRenamed || vecEvents[i].eOp == faultfs::Op::Rename;
                if (!bRenamed && !harmless(vecEvents[n])) {
                    EXPECT_NE(nResult, 0) << strCase;
                }
                if (!harmless(vecEvents[n])) {
                    EXPECT_TRUE(reportedSince(nLogSize)) << "no report: " << strCase;
                }
                for (const auto& stEntry : mapAfter) {
                    if (stEntry.first == p_strName) continue;
                    // A lasting fault fails the removal of the temporary too;
                    // the next save replaces it.
                    if (isTemporary(stEntry.first) && stFault.bPersistent) continue;
                    EXPECT_FALSE(isTemporary(stEntry.first)) << stEntry.first << " left: " << strCase;
                    EXPECT_EQ(stEntry.second, mapBefore.at(stEntry.first)) << stEntry.first << ": " << strCase;
                }
                EXPECT_EQ(faultfs::openDescriptors(), nDescriptors) << "descriptor leak: " << strCase;

                writeFile(std::string(kConfigDir) + "/" + p_strName, p_strOld);
                EXPECT_EQ(p_fnSave(), 0) << "after " << strCase;
                EXPECT_EQ(readFile(std::string(kConfigDir) + "/" + p_strName), p_strNew) << "after " << strCase;
                EXPECT_EQ(lasting(faultfs::readDirectory(configDir())), faultfs::readDirectory(configDir()))
                    << "after " << strCase;
                if (HasFailure()) return;
            }
        }
    }
};

TEST_F(IoErrorTest, SchemeSaveFailingAtEveryOperationKeepsTheOldRecords) {
    std::vector<KeyVal> vecOld;
    for (u32 i = 0; i < 107; ++i) vecOld.push_back({1000 + i, i});
    std::vector<KeyVal> vecNew = vecOld;
    for (KeyVal& stRecord : vecNew) stRecord.value += 500;
    const std::string strOld = image(vecOld.data(), static_cast<u32>(vecOld.size()));
    const std::string strNew = image(vecNew.data(), static_cast<u32>(vecNew.size()));
    everyFaultOfSave(schemeName(0), strOld, strNew, [&]() {
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
    const int nBrightness = valueOf(strOld, KEY_BRIGHTNESS);
    ASSERT_EQ(objController.setParameter(KEY_BRIGHTNESS, nBrightness + 3, true), SNS_SUCCESS);
    const std::string strNew = withValue(strOld, KEY_BRIGHTNESS, static_cast<u32>(nBrightness + 3));
    everyFaultOfSave(schemeName(0), strOld, strNew, [&]() { return objController.flush(); });
    EXPECT_EQ(access(0).schemeValue(0, KEY_BRIGHTNESS), nBrightness + 3);
}

class IoErrorLoadTest : public IoErrorTest {
protected:
    // Every fault at every operation of a load that needs the file.
    template <typename Load, typename Check>
    void everyFaultOfLoad(Load p_fnLoad, Check p_fnCheck) {
        faultfs::arm(configDir());
        p_fnLoad();
        const std::vector<faultfs::Event> vecEvents = faultfs::events();
        faultfs::disarm();
        ASSERT_FALSE(vecEvents.empty());
        for (const Fault& stFault : {kFaults[0], kFaults[1]}) {
            for (size_t n = 0; n < vecEvents.size(); ++n) {
                const std::string strCase = describe(stFault, n, vecEvents);
                const faultfs::Image mapBefore = faultfs::readDirectory(configDir());
                const int nDescriptors = faultfs::openDescriptors();
                const size_t nLogSize = errorLog().size();
                faultfs::arm(configDir());
                inject(stFault, n);
                testing::internal::CaptureStdout();
                p_fnLoad();
                testing::internal::GetCapturedStdout();
                faultfs::disarm();
                p_fnCheck(strCase, harmless(vecEvents[n]), nLogSize);
                EXPECT_EQ(faultfs::readDirectory(configDir()), mapBefore) << strCase;
                EXPECT_EQ(faultfs::openDescriptors(), nDescriptors) << "descriptor leak: " << strCase;
                if (HasFailure()) return;
            }
        }
    }
};

TEST_F(IoErrorLoadTest, SchemeLoadFailingAtEveryOperationReportsAndKeepsTheCallersRecords) {
    std::vector<KeyVal> vecStored;
    for (u32 i = 0; i < 300; ++i) vecStored.push_back({2000 + i, 3 * i});
    writeFile(schemePath(2), image(vecStored.data(), static_cast<u32>(vecStored.size())));
    const KeyVal stSentinel = {0xDEADBEEFu, 0xFEEDFACEu};
    std::vector<KeyVal> vecRead;
    auto fnLoad = [&]() {
        vecRead.assign(vecStored.size(), stSentinel);
        std::string strName = schemePath(2);
        return keyValFromFile(&strName[0], vecRead.data(), static_cast<u32>(vecRead.size()));
    };
    everyFaultOfLoad(fnLoad, [&](const std::string& p_strCase, bool p_bHarmless, size_t p_nLogSize) {
        // Whole records from the file, then the caller's own: never a mix
        // inside a record, never anything else.
        size_t nFromFile = 0;
        while (nFromFile < vecRead.size() && vecRead[nFromFile].key == vecStored[nFromFile].key &&
               vecRead[nFromFile].value == vecStored[nFromFile].value)
            ++nFromFile;
        for (size_t i = nFromFile; i < vecRead.size(); ++i) {
            EXPECT_EQ(vecRead[i].key, stSentinel.key) << i << " " << p_strCase;
            EXPECT_EQ(vecRead[i].value, stSentinel.value) << i << " " << p_strCase;
        }
        if (nFromFile < vecRead.size()) {
            EXPECT_TRUE(reportedSince(p_nLogSize)) << "no report: " << p_strCase;
        }
        if (!p_bHarmless && nFromFile == vecRead.size()) ADD_FAILURE() << "the fault had no effect: " << p_strCase;
    });
}

TEST_F(IoErrorLoadTest, VersionLoadFailingAtEveryOperationFailsAndKeepsTheVersion) {
    writeFile(std::string(kConfigDir) + "/" + versionName(), std::string("\x08\x00\x00\x00", 4));
    u32 nVersion = 0;
    int nResult = 0;
    auto fnLoad = [&]() {
        nVersion = 12345;
        nResult = getVersion(&nVersion);
    };
    everyFaultOfLoad(fnLoad, [&](const std::string& p_strCase, bool p_bHarmless, size_t) {
        if (nResult == 0) {
            EXPECT_EQ(nVersion, 8u) << p_strCase;
        } else {
            EXPECT_EQ(nVersion, 12345u) << p_strCase;
        }
        if (!p_bHarmless) {
            EXPECT_EQ(nResult, -1) << p_strCase;
        }
    });
}
