// The file helpers: whole reads and truncating writes with their reports,
// and the scheme and version files: the little-endian record format byte for
// byte, short and long files, and replacement that keeps the old file
// whenever a write fails part-way.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../params/ControllerFixture.h"
#include "HostSimulation.h"
#include "SensorFile.h"
#include "SimulatedCamera.h"
#include "storage/SchemeMerge.h"
#include "platform/CameraPaths.h"

namespace {

const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/style.xml";
const std::string kSchemeFile = StartedControllers::schemePath(1, 0);
const char* const kVersionFile = camerapath::VERSION_FILE;
const KeyVal kSentinel = {0xDEADBEEFu, 0xFEEDFACEu};

std::vector<KeyVal> makeRecords(u32 p_nCount, u32 p_nSeed) {
    std::vector<KeyVal> vecRecords;
    for (u32 i = 0; i < p_nCount; ++i) vecRecords.push_back({p_nSeed + i, 0x01020304u * (i + 1) + p_nSeed});
    return vecRecords;
}

// A failed check's report naming the file.
std::string report(const std::string& p_strCheck, const std::string& p_strPath) {
    return p_strCheck + "   ~~~Assertion failed.\n\033[0m\033[0m\033[31mfile_name(" + p_strPath + ")";
}
const char* const kOpenForWrite = "file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)";

class FileIoTest : public DeviceFixture {
protected:
    bool temporaryLeft(const std::string& p_strTarget) const { return fileExists(p_strTarget + ".tmp"); }
    int writeScheme(std::vector<KeyVal> p_vecRecords, const std::string& p_strPath = kSchemeFile) {
        std::string strName = p_strPath;
        return keyValToFile(&strName[0], p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
    }
};
using SchemeFileTest = FileIoTest;
using VersionFileTest = FileIoTest;

// Only the length of a missing file is reported (without a line end); a load
// reads exactly the asked length or fails without a word and leaves the
// buffer.
TEST_F(FileIoTest, LengthAndLoadOfWholeFiles) {
    writeFile(kStyle, "<style/>");
    EXPECT_EQ(8, getFileLen(kStyle));
    INT64 nLength = 0;
    std::string strStdout = printedBy([&] { nLength = getFileLen("/hd1/none.xml"); });
    EXPECT_EQ(-1, nLength);
    EXPECT_NE(std::string::npos, strStdout.find(report("file.open(file_name)", "/hd1/none.xml") + "\033[0m"));
    char szData[16] = {0};
    EXPECT_EQ(8, loadFromFile(kStyle, szData, 8));
    EXPECT_STREQ("<style/>", szData);
    strStdout = printedBy([&] {
        EXPECT_EQ(-1, loadFromFile(kStyle, szData, 9));
        szData[0] = 'x';
        EXPECT_EQ(-1, loadFromFile("/hd1/none.xml", szData, 4));
        EXPECT_EQ(-1, loadFromFile(kStyle, szData, -1));
    });
    EXPECT_EQ("", strStdout);
    EXPECT_EQ('x', szData[0]);
}

TEST_F(FileIoTest, SaveTruncatesAndReportsShortWritesAndMissingDirectories) {
    std::string strName = kStyle, strMissing = "/hd1/missing/style.xml";
    char szData[] = "0123456789";
    writeFile(kStyle, std::string(100, 'z'));
    EXPECT_EQ(10, saveToFile(&strName[0], szData, 10));
    EXPECT_EQ("0123456789", readFile(kStyle));
    hostsim::failWritesAfter(3);
    std::string strStdout = printedBy([&] { EXPECT_EQ(3, saveToFile(&strName[0], szData, 10)); });
    EXPECT_NE(std::string::npos, strStdout.find("file_len == (nSize=file.write(data, file_len))   ~~~Assertion "
                                                "failed.\n\033[0m\033[0m\033[31mfile_len(10)\n\033[0m"));
    EXPECT_EQ("012", readFile(kStyle));
    hostsim::failWritesAfter(-1);
    strStdout = printedBy([&] { EXPECT_EQ(0, saveToFile(&strMissing[0], szData, 3)); });
    EXPECT_NE(std::string::npos, strStdout.find(report(kOpenForWrite, strMissing) + "\n\033[0m"));
    EXPECT_NE(std::string::npos, strStdout.find("file_len(3)\n"));
}

// 165 records span several of the chunks the records move in.
TEST_F(SchemeFileTest, RecordsAreStoredLittleEndianWithoutHeader) {
    EXPECT_EQ(0, writeScheme({{0x01020304u, 0xA0B0C0D0u}, {KEY_BRIGHTNESS, 60}}));
    EXPECT_EQ(std::string("\x04\x03\x02\x01\xD0\xC0\xB0\xA0\x22\x00\x00\x00\x3C\x00\x00\x00", 16),
              readFile(kSchemeFile));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
    EXPECT_EQ(0, writeScheme(makeRecords(165, 7)));
    EXPECT_EQ(simdevice::schemeImage(makeRecords(165, 7)), readFile(kSchemeFile));
}

// Reads into an array of sentinels one longer than asked: the whole records
// of the file arrive, a torn or missing one leaves its sentinel, and nothing
// past the caller's records is touched. A short or missing file is reported.
TEST_F(SchemeFileTest, ReadsTheWholeRecordsTheFileHolds) {
    const struct {
        const char* szName;
        int nStored;  // -1: no file
        size_t nCut;  // bytes missing at the end
        u32 nAsked, nWhole;
    } aCases[] = {
        {"FullScheme", 165, 0, 165, 165}, {"LongerFile", 6, 0, 4, 4}, {"ShortFile", 70, 8, 70, 69},
        {"TornLastRecord", 3, 3, 3, 2},   {"EmptyFile", 0, 0, 3, 0},  {"MissingFile", -1, 0, 4, 0},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szName);
        removeFile(kSchemeFile);
        const std::vector<KeyVal> vecStored = makeRecords(c.nStored < 0 ? 0 : static_cast<u32>(c.nStored), 3);
        const std::string strBytes = simdevice::schemeImage(vecStored).substr(0, vecStored.size() * 8 - c.nCut);
        if (c.nStored >= 0) writeFile(kSchemeFile, strBytes);
        std::vector<KeyVal> vecRead(c.nAsked + 1, kSentinel);
        std::string strName = kSchemeFile;
        const std::string strStdout =
            printedBy([&] { EXPECT_EQ(0, keyValFromFile(&strName[0], vecRead.data(), c.nAsked)); });
        for (u32 i = 0; i <= c.nAsked; ++i) {
            const KeyVal stExpected = i < c.nWhole ? vecStored[i] : kSentinel;
            EXPECT_EQ(stExpected.key, vecRead[i].key) << "record " << i;
            EXPECT_EQ(stExpected.value, vecRead[i].value) << "record " << i;
        }
        const std::string strShort = report("nSize == sizeof(KeyVal)*p_nKeyValNum", kSchemeFile) + " nSize(" +
                                     std::to_string(strBytes.size()) + ") sizeof(KeyVal) = 8, p_nKeyValNum(" +
                                     std::to_string(c.nAsked) + ")\n";
        EXPECT_EQ(strBytes.size() < c.nAsked * 8u, strStdout.find(strShort) != std::string::npos) << strStdout;
        EXPECT_EQ(c.nStored < 0,
                  strStdout.find(report("file.open(file_name)", kSchemeFile) + "\n\033[0m") != std::string::npos);
        EXPECT_TRUE(strBytes.size() < c.nAsked * 8u || strStdout.empty()) << strStdout;
    }
    EXPECT_NE(std::string::npos, readFile(camerapath::ERROR_LOG_FILE).find("file.open(file_name)"));
}

// The n-th stored record of a key sets the n-th record of that key; the
// scheme's keys and order stay, whatever the file holds.
TEST(StoredRecordMergeTest, StoredValuesGoToTheirKeys) {
    const std::vector<KeyVal> vecScheme = {{8000, 0}, {34, 50}, {7, 1}, {34, 51}, {2337, 50}};
    const struct {
        const char* szName;
        std::vector<KeyVal> vecStored;
        std::vector<u32> vecValues;
        u32 nDropped;
    } aCases[] = {
        {"CurrentOrder", {{8000, 2}, {34, 60}, {7, 3}, {34, 61}, {2337, 62}}, {2, 60, 3, 61, 62}, 0},
        {"ReorderedShortAndExtra", {{2337, 62}, {99, 9}, {34, 60}}, {0, 60, 1, 51, 62}, 1},
        {"KeyStoredThrice", {{34, 60}, {7, 3}, {34, 61}, {34, 62}, {7, 4}}, {0, 60, 3, 61, 50}, 2},
        {"Empty", {}, {0, 50, 1, 51, 50}, 0},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szName);
        std::vector<KeyVal> vecMerged = vecScheme;
        EXPECT_EQ(c.nDropped, mergeStoredRecords(vecMerged.data(), static_cast<u32>(vecMerged.size()),
                                                 c.vecStored.data(), static_cast<u32>(c.vecStored.size())));
        for (size_t i = 0; i < vecScheme.size(); ++i) {
            EXPECT_EQ(vecScheme[i].key, vecMerged[i].key) << i;
            EXPECT_EQ(c.vecValues[i], vecMerged[i].value) << i;
        }
    }
}

// At every byte at which the flash fills up, and when the open or the rename
// fails, the old file stays whole, no temporary is left and the caller hears
// of the failure.
TEST_F(SchemeFileTest, FailedWriteOpenOrRenameKeepsTheOldFile) {
    ASSERT_EQ(0, writeScheme(makeRecords(70, 100)));
    const std::string strOld = readFile(kSchemeFile);
    for (size_t nBudget = 0; nBudget < 560; ++nBudget) {
        SCOPED_TRACE("budget " + std::to_string(nBudget));
        hostsim::failWritesAfter(static_cast<long long>(nBudget));
        const std::string strStdout = printedBy([&] { ASSERT_EQ(-1, writeScheme(makeRecords(70, 900))); });
        ASSERT_EQ(strOld, readFile(kSchemeFile));
        ASSERT_FALSE(temporaryLeft(kSchemeFile));
        ASSERT_NE(std::string::npos,
                  strStdout.find("nSize(" + std::to_string(nBudget) + ") sizeof(KeyVal) = 8, p_nKeyValNum(70)\n"));
    }
    hostsim::failWritesAfter(560);
    EXPECT_EQ(0, writeScheme(makeRecords(70, 900)));
    EXPECT_EQ(simdevice::schemeImage(makeRecords(70, 900)), readFile(kSchemeFile));
    hostsim::failWritesAfter(-1);

    const char* const szMissing = "/mnt/mtd/code/missing_dir/sensor1_0.cfg";
    std::string strStdout = printedBy([&] { EXPECT_EQ(-1, writeScheme(makeRecords(2, 1), szMissing)); });
    EXPECT_NE(std::string::npos, strStdout.find(report(kOpenForWrite, szMissing) + "\n"));
    removeFile(kSchemeFile);
    ASSERT_EQ(0, mkdir(hostPath(kSchemeFile).c_str(), 0755));
    strStdout = printedBy([&] { EXPECT_EQ(-1, writeScheme(makeRecords(2, 1))); });
    EXPECT_NE(std::string::npos,
              strStdout.find("0 == renameCameraFile(m_strTemporary, m_strTarget)   ~~~Assertion failed.\n"));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
}

// A link planted at the temporary's name is removed, never written through.
TEST_F(SchemeFileTest, LeftoverTemporaryIsReplacedAndRemoved) {
    writeFile(std::string(kSchemeFile) + ".tmp", "torn");
    EXPECT_EQ(0, writeScheme(makeRecords(3, 5)));
    EXPECT_EQ(simdevice::schemeImage(makeRecords(3, 5)), readFile(kSchemeFile));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
    writeFile("/tmp/elsewhere", "kept");
    ASSERT_EQ(0, symlink(hostPath("/tmp/elsewhere").c_str(), hostPath(std::string(kSchemeFile) + ".tmp").c_str()));
    EXPECT_EQ(0, writeScheme(makeRecords(2, 7)));
    EXPECT_EQ("kept", readFile("/tmp/elsewhere"));
    EXPECT_EQ(simdevice::schemeImage(makeRecords(2, 7)), readFile(kSchemeFile));
}

// Channels starting up on two threads share the version file and so its
// temporary; neither rewrite may break the other.
TEST_F(VersionFileTest, ReadsTheFirstFourBytesAndConcurrentRewritesOfFourAllSucceed) {
    u32 nVersion = 77;
    writeBytes(kVersionFile, {0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(0, getVersion(&nVersion));
    EXPECT_EQ(0x01020304u, nVersion);
    std::atomic<int> nFailures(0);
    const auto rewrite = [&nFailures](u32 p_nVersion) {
        for (int i = 0; i < 50; ++i) nFailures += setVersion(p_nVersion) != 0 ? 1 : 0;
    };
    std::thread objFirst(rewrite, 0x11223344u), objSecond(rewrite, 0x55667788u);
    objFirst.join();
    objSecond.join();
    EXPECT_EQ(0, nFailures.load());
    const std::string strContent = readFile(kVersionFile);
    EXPECT_TRUE(strContent == std::string("\x44\x33\x22\x11", 4) || strContent == std::string("\x88\x77\x66\x55", 4));
    EXPECT_FALSE(temporaryLeft(kVersionFile));
}

}  // namespace
