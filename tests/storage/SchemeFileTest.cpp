// Scheme and version files: the little-endian record format byte for byte,
// short and long files, and replacement that keeps the old file whenever a
// write fails part-way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "DeviceFixture.h"
#include "HostSimulation.h"
#include "SensorFile.h"

namespace {

const char* const kSchemeFile = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const char* const kVersionFile = "/mnt/mtd/code/config_file/snsversion.cfg";
const KeyVal kSentinel = {0xDEADBEEFu, 0xFEEDFACEu};

std::vector<KeyVal> makeRecords(u32 p_nCount, u32 p_nSeed) {
    std::vector<KeyVal> vecRecords;
    for (u32 i = 0; i < p_nCount; ++i) vecRecords.push_back({p_nSeed + i, 0x01020304u * (i + 1) + p_nSeed});
    return vecRecords;
}

std::string littleEndian(const std::vector<KeyVal>& p_vecRecords) {
    std::string strBytes;
    for (const KeyVal& record : p_vecRecords)
        for (u32 nWord : {record.key, record.value})
            for (int nShift = 0; nShift < 32; nShift += 8) strBytes += static_cast<char>((nWord >> nShift) & 0xFF);
    return strBytes;
}

bool sameRecords(const std::vector<KeyVal>& p_vecA, const std::vector<KeyVal>& p_vecB) {
    if (p_vecA.size() != p_vecB.size()) return false;
    for (size_t i = 0; i < p_vecA.size(); ++i)
        if (p_vecA[i].key != p_vecB[i].key || p_vecA[i].value != p_vecB[i].value) return false;
    return true;
}

std::string shortCountReport(u32 p_nSize, u32 p_nRecords) {
    return std::string("file_name(") + kSchemeFile + ") nSize(" + std::to_string(p_nSize) +
           ") sizeof(KeyVal) = 8, p_nKeyValNum(" + std::to_string(p_nRecords) + ")\n";
}

class SchemeFileTest : public DeviceFixture {
protected:
    int writeScheme(std::vector<KeyVal>& p_vecRecords) {
        std::string strName = kSchemeFile;
        return keyValToFile(&strName[0], p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
    }

    // Reads p_nRecords records into an array of p_nRecords + 1 sentinels, so
    // that a read past the caller's records shows in the last one.
    std::vector<KeyVal> readScheme(u32 p_nRecords, std::string& p_strStdout, int& p_nResult) {
        std::vector<KeyVal> vecRecords(p_nRecords + 1, kSentinel);
        std::string strName = kSchemeFile;
        testing::internal::CaptureStdout();
        p_nResult = keyValFromFile(&strName[0], vecRecords.data(), p_nRecords);
        p_strStdout = testing::internal::GetCapturedStdout();
        EXPECT_EQ(kSentinel.key, vecRecords.back().key) << "read past the caller's records";
        vecRecords.pop_back();
        return vecRecords;
    }

    bool temporaryLeft(const std::string& p_strTarget) const { return fileExists(p_strTarget + ".tmp"); }
};

TEST_F(SchemeFileTest, RecordsAreStoredLittleEndianWithoutHeader) {
    std::vector<KeyVal> vecRecords = {{0x01020304u, 0xA0B0C0D0u}, {34, 60}};
    EXPECT_EQ(0, writeScheme(vecRecords));
    const std::string strExpected("\x04\x03\x02\x01\xD0\xC0\xB0\xA0\x22\x00\x00\x00\x3C\x00\x00\x00", 16);
    EXPECT_EQ(strExpected, readFile(kSchemeFile));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
}

// 165 records span several of the chunks the records move in; on a
// big-endian host the round trip also checks the decoding.
TEST_F(SchemeFileTest, FullSchemeRoundTrips) {
    std::vector<KeyVal> vecRecords = makeRecords(165, 7);
    ASSERT_EQ(0, writeScheme(vecRecords));
    EXPECT_EQ(littleEndian(vecRecords), readFile(kSchemeFile));
    std::string strStdout;
    int nResult = -1;
    EXPECT_TRUE(sameRecords(vecRecords, readScheme(165, strStdout, nResult)));
    EXPECT_EQ(0, nResult);
    EXPECT_EQ("", strStdout);
}

TEST_F(SchemeFileTest, ShortFileReportsCountAndKeepsTheRest) {
    const std::vector<KeyVal> vecStored = makeRecords(70, 1);
    const std::string strBytes = littleEndian(vecStored);
    writeFile(kSchemeFile, strBytes.substr(0, strBytes.size() - 8));

    std::string strStdout;
    int nResult = -1;
    const std::vector<KeyVal> vecRead = readScheme(70, strStdout, nResult);
    EXPECT_EQ(0, nResult);
    EXPECT_TRUE(sameRecords(std::vector<KeyVal>(vecStored.begin(), vecStored.end() - 1),
                            std::vector<KeyVal>(vecRead.begin(), vecRead.end() - 1)));
    EXPECT_EQ(kSentinel.key, vecRead.back().key);
    EXPECT_EQ(kSentinel.value, vecRead.back().value);
    EXPECT_NE(std::string::npos, strStdout.find("nSize == sizeof(KeyVal)*p_nKeyValNum   ~~~Assertion failed.\n"));
    EXPECT_NE(std::string::npos, strStdout.find(shortCountReport(552, 70)));
}

TEST_F(SchemeFileTest, TornLastRecordIsLeftUnchanged) {
    const std::vector<KeyVal> vecStored = makeRecords(3, 1);
    writeFile(kSchemeFile, littleEndian(vecStored).substr(0, 21));
    std::string strStdout;
    int nResult = -1;
    const std::vector<KeyVal> vecRead = readScheme(3, strStdout, nResult);
    EXPECT_EQ(vecStored[1].value, vecRead[1].value);
    EXPECT_EQ(kSentinel.key, vecRead[2].key);
    EXPECT_EQ(kSentinel.value, vecRead[2].value);
    EXPECT_NE(std::string::npos, strStdout.find(shortCountReport(21, 3)));
}

TEST_F(SchemeFileTest, MissingFileReportsAndReturnsZero) {
    std::string strStdout;
    int nResult = -1;
    const std::vector<KeyVal> vecRead = readScheme(4, strStdout, nResult);
    EXPECT_EQ(0, nResult);
    for (const KeyVal& record : vecRead) EXPECT_EQ(kSentinel.key, record.key);
    EXPECT_NE(std::string::npos,
              strStdout.find(std::string("file.open(file_name)   ~~~Assertion failed.\n\033[0m\033[0m\033[31mfile_name(") +
                             kSchemeFile + ")\n\033[0m"));
    EXPECT_NE(std::string::npos, strStdout.find(shortCountReport(0, 4)));
    EXPECT_NE(std::string::npos, readFile("/mnt/mtd/log/SensorError.log").find("file.open(file_name)"));
}

TEST_F(SchemeFileTest, LongerFileReadsOnlyTheCallersRecords) {
    const std::vector<KeyVal> vecStored = makeRecords(6, 3);
    writeFile(kSchemeFile, littleEndian(vecStored));
    std::string strStdout;
    int nResult = -1;
    const std::vector<KeyVal> vecRead = readScheme(4, strStdout, nResult);
    EXPECT_EQ(0, nResult);
    EXPECT_TRUE(sameRecords(std::vector<KeyVal>(vecStored.begin(), vecStored.begin() + 4), vecRead));
    EXPECT_EQ("", strStdout);
}

// Every possible point at which the flash fills up: the old file stays whole,
// no temporary is left behind and the caller hears of the failure.
TEST_F(SchemeFileTest, FailedWriteAtAnyByteKeepsTheOldFile) {
    std::vector<KeyVal> vecOld = makeRecords(70, 100);
    ASSERT_EQ(0, writeScheme(vecOld));
    const std::string strOld = readFile(kSchemeFile);
    std::vector<KeyVal> vecNew = makeRecords(70, 900);

    for (u32 nBudget = 0; nBudget < strOld.size(); ++nBudget) {
        hostsim::failWritesAfter(nBudget);
        testing::internal::CaptureStdout();
        const int nResult = writeScheme(vecNew);
        const std::string strStdout = testing::internal::GetCapturedStdout();
        ASSERT_EQ(-1, nResult) << "budget " << nBudget;
        ASSERT_EQ(strOld, readFile(kSchemeFile)) << "budget " << nBudget;
        ASSERT_FALSE(temporaryLeft(kSchemeFile)) << "budget " << nBudget;
        ASSERT_NE(std::string::npos, strStdout.find("nSize(" + std::to_string(nBudget) +
                                                    ") sizeof(KeyVal) = 8, p_nKeyValNum(70)\n"))
            << strStdout;
    }
    hostsim::failWritesAfter(static_cast<long long>(strOld.size()));
    EXPECT_EQ(0, writeScheme(vecNew));
    EXPECT_EQ(littleEndian(vecNew), readFile(kSchemeFile));
}

TEST_F(SchemeFileTest, OpenFailureReportsAndFails) {
    std::vector<KeyVal> vecRecords = makeRecords(2, 1);
    std::string strName = "/mnt/mtd/code/missing_dir/sensor1_0.cfg";
    testing::internal::CaptureStdout();
    const int nResult = keyValToFile(&strName[0], vecRecords.data(), 2);
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(-1, nResult);
    EXPECT_NE(std::string::npos,
              strStdout.find("file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)   ~~~Assertion failed.\n"
                             "\033[0m\033[0m\033[31mfile_name(/mnt/mtd/code/missing_dir/sensor1_0.cfg)\n"));
}

TEST_F(SchemeFileTest, FailedRenameRemovesTheTemporary) {
    ASSERT_EQ(0, mkdir(hostPath(kSchemeFile).c_str(), 0755));
    std::vector<KeyVal> vecRecords = makeRecords(2, 1);
    testing::internal::CaptureStdout();
    const int nResult = writeScheme(vecRecords);
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(-1, nResult);
    EXPECT_NE(std::string::npos,
              strStdout.find("0 == renameCameraFile(m_strTemporary, m_strTarget)   ~~~Assertion failed.\n"));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
}

TEST_F(SchemeFileTest, LeftoverTemporaryIsReplacedAndRemoved) {
    writeFile(std::string(kSchemeFile) + ".tmp", "torn");
    std::vector<KeyVal> vecRecords = makeRecords(3, 5);
    EXPECT_EQ(0, writeScheme(vecRecords));
    EXPECT_EQ(littleEndian(vecRecords), readFile(kSchemeFile));
    EXPECT_FALSE(temporaryLeft(kSchemeFile));
}

class VersionFileTest : public SchemeFileTest {};

TEST_F(VersionFileTest, MissingFileFails) {
    u32 nVersion = 77;
    EXPECT_EQ(-1, getVersion(&nVersion));
    EXPECT_EQ(77u, nVersion);
}

TEST_F(VersionFileTest, TwoByteFileFailsAndLeavesTheVersion) {
    writeBytes(kVersionFile, {0x01, 0x02});
    u32 nVersion = 77;
    EXPECT_EQ(-1, getVersion(&nVersion));
    EXPECT_EQ(77u, nVersion);
}

TEST_F(VersionFileTest, LongerFileGivesItsFirstFourBytes) {
    writeBytes(kVersionFile, {0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF});
    u32 nVersion = 0;
    EXPECT_EQ(0, getVersion(&nVersion));
    EXPECT_EQ(0x01020304u, nVersion);
}

TEST_F(VersionFileTest, SetWritesExactlyFourLittleEndianBytes) {
    writeBytes(kVersionFile, {9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(0, setVersion(0x11223344u));
    EXPECT_EQ(std::string("\x44\x33\x22\x11", 4), readFile(kVersionFile));
    EXPECT_FALSE(temporaryLeft(kVersionFile));
    u32 nVersion = 0;
    EXPECT_EQ(0, getVersion(&nVersion));
    EXPECT_EQ(0x11223344u, nVersion);
}

TEST_F(VersionFileTest, FailedWriteAtAnyByteKeepsTheOldVersion) {
    ASSERT_EQ(0, setVersion(5));
    const std::string strOld = readFile(kVersionFile);
    for (long long nBudget = 0; nBudget < 4; ++nBudget) {
        hostsim::failWritesAfter(nBudget);
        testing::internal::CaptureStdout();
        const int nResult = setVersion(6);
        const std::string strStdout = testing::internal::GetCapturedStdout();
        EXPECT_EQ(-1, nResult) << "budget " << nBudget;
        EXPECT_EQ(strOld, readFile(kVersionFile)) << "budget " << nBudget;
        EXPECT_FALSE(temporaryLeft(kVersionFile)) << "budget " << nBudget;
        EXPECT_NE(std::string::npos,
                  strStdout.find("file_len == (nSize=file.write(data, file_len))   ~~~Assertion failed.\n"
                                 "\033[0m\033[0m\033[31mfile_len(4)\n"))
            << strStdout;
    }
    hostsim::failWritesAfter(4);
    EXPECT_EQ(0, setVersion(6));
    EXPECT_EQ(std::string("\x06\x00\x00\x00", 4), readFile(kVersionFile));
}

// Channels starting up on two threads share the version file and so its
// temporary; neither rewrite may break the other.
TEST_F(VersionFileTest, ConcurrentRewritesAllSucceed) {
    std::atomic<int> nFailures(0);
    auto rewrite = [&nFailures](u32 p_nVersion) {
        for (int i = 0; i < 50; ++i)
            if (setVersion(p_nVersion) != 0) ++nFailures;
    };
    std::thread objFirst(rewrite, 0x01010101u);
    std::thread objSecond(rewrite, 0x02020202u);
    objFirst.join();
    objSecond.join();
    EXPECT_EQ(0, nFailures.load());
    const std::string strContent = readFile(kVersionFile);
    EXPECT_TRUE(strContent == std::string(4, '\x01') || strContent == std::string(4, '\x02'));
    EXPECT_FALSE(temporaryLeft(kVersionFile));
}

}  // namespace
