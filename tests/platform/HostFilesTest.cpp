// Host replacement: files on device-root paths, the write fault, line
// reading and the rotating logger.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "ZTFile.h"
#include "ZTLogger.h"

namespace {

const char* const kFile = "/mnt/mtd/code/config_file/data.bin";

class ZTFileTest : public DeviceFixture {};

TEST_F(ZTFileTest, PathsResolveUnderTheDeviceRoot) {
    EXPECT_EQ(root() + "/mnt/mtd/x", DeviceRoot::resolve("/mnt/mtd/x"));
    EXPECT_EQ("relative/x", DeviceRoot::resolve("relative/x"));
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeWrite | ZTFile::modeTruncate));
    EXPECT_EQ(3, objFile.write("abc", 3));
    objFile.close();
    EXPECT_EQ("abc", readFile(kFile));
}

TEST_F(ZTFileTest, WriteTruncateEmptiesAnExistingFile) {
    writeFile(kFile, "old content");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, 66));
    EXPECT_EQ(0, objFile.getLength());
    EXPECT_EQ(2, objFile.write("xy", 2));
    objFile.close();
    EXPECT_EQ("xy", readFile(kFile));
}

TEST_F(ZTFileTest, WriteAloneCreatesOrOverwritesInPlaceWithoutTruncating) {
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeWrite));
    objFile.close();
    EXPECT_TRUE(fileExists(kFile));

    writeFile(kFile, "abcdef");
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeWrite));
    EXPECT_EQ(2, objFile.write("XY", 2));
    objFile.close();
    EXPECT_EQ("XYcdef", readFile(kFile));
}

TEST_F(ZTFileTest, AppendAddsAtTheEnd) {
    writeFile(kFile, "abc");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeAppend));
    EXPECT_EQ(2, objFile.write("de", 2));
    EXPECT_EQ(5, objFile.getLength());
    objFile.close();
    EXPECT_EQ("abcde", readFile(kFile));
}

TEST_F(ZTFileTest, ReadOfMissingFileFailsAndClosedFileMovesNothing) {
    ZTFile objFile;
    EXPECT_EQ(0, objFile.open("/mnt/mtd/code/config_file/missing.cfg", ZTFile::modeRead));
    EXPECT_EQ(nullptr, objFile.getFileHandle());
    char aBuffer[4] = {};
    EXPECT_EQ(0, objFile.read(aBuffer, sizeof(aBuffer)));
    EXPECT_EQ(0, objFile.write("ab", 2));
    EXPECT_EQ(-1, objFile.getLength());
    EXPECT_TRUE(objFile.ReadLines().empty());
    EXPECT_FALSE(fileExists("/mnt/mtd/code/config_file/missing.cfg"));
}

TEST_F(ZTFileTest, ReadMovesWhatTheFileHolds) {
    writeFile(kFile, "12345");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeRead));
    EXPECT_EQ(5, objFile.getLength());
    char aBuffer[16] = {};
    EXPECT_EQ(5, objFile.read(aBuffer, sizeof(aBuffer)));
    EXPECT_EQ(std::string("12345"), aBuffer);
    EXPECT_EQ(0, objFile.write("x", 1));
}

TEST_F(ZTFileTest, OpenWithoutReadOrWriteFails) {
    ZTFile objFile;
    EXPECT_EQ(0, objFile.open(kFile, ZTFile::modeTruncate));
    EXPECT_FALSE(fileExists(kFile));
}

class ZTFileWriteFaultTest : public DeviceFixture, public ::testing::WithParamInterface<long long> {};

// Every budget from none to more than the data: the write is cut at the
// budget, the later writes move nothing, and the file holds what was moved.
TEST_P(ZTFileWriteFaultTest, WritesStopAtTheBudget) {
    const std::string strData = "0123456789";
    const long long nBudget = GetParam();
    hostsim::failWritesAfter(nBudget);
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, 66));
    const int nFirst = objFile.write(strData.data(), 6);
    const int nSecond = objFile.write(strData.data() + 6, 4);
    objFile.close();
    const long long nExpected = nBudget < 10 ? nBudget : 10;
    EXPECT_EQ(nExpected < 6 ? nExpected : 6, nFirst);
    EXPECT_EQ(nExpected - (nExpected < 6 ? nExpected : 6), nSecond);
    EXPECT_EQ(strData.substr(0, static_cast<size_t>(nExpected)), readFile(kFile));
}

INSTANTIATE_TEST_SUITE_P(Budgets, ZTFileWriteFaultTest, ::testing::Values(0, 1, 5, 6, 7, 9, 10, 11));

class LineReadingTest : public DeviceFixture {
protected:
    std::vector<std::string> oneLineAtATime(const std::string& p_strContent, int p_nCalls) {
        writeFile(kFile, p_strContent);
        ZTFile objFile;
        EXPECT_NE(0, objFile.open(kFile, ZTFile::modeRead));
        std::vector<std::string> vecLines;
        for (int i = 0; i < p_nCalls; ++i) vecLines.push_back(ZTFile::ReadOneLine(objFile.getFileHandle()));
        return vecLines;
    }
};

TEST_F(LineReadingTest, ReadOneLineStripsBothLineEnds) {
    EXPECT_EQ((std::vector<std::string>{"6", "1", "last", ""}), oneLineAtATime("6\r\n1\nlast", 4));
}

TEST_F(LineReadingTest, ReadOneLineOfEmptyFileAndNullStream) {
    EXPECT_EQ((std::vector<std::string>{""}), oneLineAtATime("", 1));
    EXPECT_EQ("", ZTFile::ReadOneLine(nullptr));
}

TEST_F(LineReadingTest, ReadLinesKeepsEmptyLinesButAddsNoneAtTheEnd) {
    writeFile(kFile, "zoom1=2,\r\n\nfocus1=3,\n");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeRead));
    EXPECT_EQ((std::vector<std::string>{"zoom1=2,", "", "focus1=3,"}), objFile.ReadLines());
    EXPECT_TRUE(objFile.ReadLines().empty());
}

class ZTLoggerTest : public DeviceFixture {
protected:
    const std::string m_strLog = "/mnt/mtd/log/test.log";

    long long sizeOf(const std::string& p_strCameraPath) const {
        struct stat st;
        return stat(hostPath(p_strCameraPath).c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    }
};

TEST_F(ZTLoggerTest, AppendsTagAndMessageAsOneLine) {
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init(m_strLog, 10240, 3));
    EXPECT_TRUE(objLogger.writeLog("[sensor warn]", "file:a.cpp fun:f line:3\n"));
    EXPECT_TRUE(objLogger.writeLog("[sensor warn]", "no line end"));
    EXPECT_TRUE(objLogger.writeLog("[sensor assert]", ""));
    EXPECT_EQ("[sensor warn] file:a.cpp fun:f line:3\n[sensor warn] no line end\n[sensor assert] \n", readFile(m_strLog));
}

TEST_F(ZTLoggerTest, RotatesAtTheSizeKeepingTheFileCount) {
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init(m_strLog, 40, 3));
    // Each line is 11 bytes: three fit in 40, the fourth starts a new file.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(objLogger.writeLog("t", "line " + std::to_string(100 + i) + "\n"));
    EXPECT_EQ(22, sizeOf(m_strLog));
    EXPECT_EQ(33, sizeOf(m_strLog + ".1"));
    EXPECT_EQ(33, sizeOf(m_strLog + ".2"));
    EXPECT_FALSE(fileExists(m_strLog + ".3"));
    EXPECT_EQ("t line 118\nt line 119\n", readFile(m_strLog));
    EXPECT_EQ("t line 115\nt line 116\nt line 117\n", readFile(m_strLog + ".1"));
}

TEST_F(ZTLoggerTest, OneFileInAllStartsAfresh) {
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init(m_strLog, 20, 1));
    ASSERT_TRUE(objLogger.writeLog("t", "first line\n"));
    ASSERT_TRUE(objLogger.writeLog("t", "second one\n"));
    EXPECT_EQ("t second one\n", readFile(m_strLog));
    EXPECT_FALSE(fileExists(m_strLog + ".1"));
}

TEST_F(ZTLoggerTest, MissingDirectoryFailsQuietly) {
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init("/mnt/mtd/nodir/SensorError.log", 10240, 3));
    EXPECT_FALSE(objLogger.writeLog("[sensor assert]", "text\n"));
    EXPECT_FALSE(fileExists("/mnt/mtd/nodir"));
}

}  // namespace
