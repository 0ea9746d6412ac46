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

// Each open mode on a missing and an existing file: what the open answers,
// the length it sees, what a write of "XY" moves and what the file then holds.
TEST_F(ZTFileTest, ModesOpenReadWriteAndTruncateAsNamed) {
    const int kWriteTruncate = ZTFile::modeWrite | ZTFile::modeTruncate;
    const struct {
        const char* szBefore;  // nullptr: no file
        int nMode;
        bool bOpens;
        long long nLength;
        int nWritten;
        const char* szAfter;  // nullptr: no file
    } aCases[] = {{nullptr, kWriteTruncate, true, 0, 2, "XY"},   {"old content", 66, true, 0, 2, "XY"},
                  {nullptr, ZTFile::modeWrite, true, 0, 2, "XY"}, {"abcdef", ZTFile::modeWrite, true, 6, 2, "XYcdef"},
                  {"abc", ZTFile::modeAppend, true, 3, 2, "abcXY"}, {"12345", ZTFile::modeRead, true, 5, 0, "12345"},
                  {nullptr, ZTFile::modeRead, false, -1, 0, nullptr}, {nullptr, ZTFile::modeTruncate, false, -1, 0, nullptr}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::string(c.szBefore == nullptr ? "no file" : c.szBefore) + ", mode " + std::to_string(c.nMode));
        removeFile(kFile);
        if (c.szBefore != nullptr) writeFile(kFile, c.szBefore);
        ZTFile objFile;
        EXPECT_EQ(c.bOpens, objFile.open(kFile, c.nMode) != 0);
        EXPECT_EQ(c.nLength, objFile.getLength());
        EXPECT_EQ(c.nWritten, objFile.write("XY", 2));
        objFile.close();
        EXPECT_EQ(c.szAfter != nullptr, fileExists(kFile));
        if (c.szAfter != nullptr) {
            EXPECT_EQ(c.szAfter, readFile(kFile));
        }
    }
    EXPECT_EQ(root() + "/mnt/mtd/x", DeviceRoot::resolve("/mnt/mtd/x"));
    EXPECT_EQ("relative/x", DeviceRoot::resolve("relative/x"));
}

TEST_F(ZTFileTest, ReadMovesWhatTheFileHoldsAndAClosedFileNothing) {
    writeFile(kFile, "12345");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeRead));
    char aBuffer[16] = {};
    EXPECT_EQ(5, objFile.read(aBuffer, sizeof(aBuffer)));
    EXPECT_EQ(std::string("12345"), aBuffer);
    objFile.close();
    ASSERT_EQ(0, objFile.open("/mnt/mtd/code/config_file/missing.cfg", ZTFile::modeRead));
    EXPECT_EQ(nullptr, objFile.getFileHandle());
    EXPECT_EQ(0, objFile.read(aBuffer, sizeof(aBuffer)));
    EXPECT_TRUE(objFile.ReadLines().empty());
}

// Every budget from none to more than the data: the write is cut at the
// budget, the later writes move nothing, and the file holds what was moved.
TEST_F(ZTFileTest, WritesStopAtTheBudget) {
    const std::string strData = "0123456789";
    for (long long nBudget : {0, 1, 5, 6, 7, 9, 10, 11}) {
        SCOPED_TRACE(nBudget);
        hostsim::failWritesAfter(nBudget);
        ZTFile objFile;
        ASSERT_NE(0, objFile.open(kFile, 66));
        const int nFirst = objFile.write(strData.data(), 6);
        const int nSecond = objFile.write(strData.data() + 6, 4);
        objFile.close();
        const long long nMoved = nBudget < 10 ? nBudget : 10;
        EXPECT_EQ(nMoved < 6 ? nMoved : 6, nFirst);
        EXPECT_EQ(nMoved - (nMoved < 6 ? nMoved : 6), nSecond);
        EXPECT_EQ(strData.substr(0, static_cast<size_t>(nMoved)), readFile(kFile));
    }
}

TEST_F(ZTFileTest, LinesLoseBothLineEndsAndNoEmptyOneIsAddedAtTheEnd) {
    writeFile(kFile, "6\r\n1\n\nlast");
    ZTFile objFile;
    ASSERT_NE(0, objFile.open(kFile, ZTFile::modeRead));
    std::vector<std::string> vecLines;
    for (int i = 0; i < 5; ++i) vecLines.push_back(ZTFile::ReadOneLine(objFile.getFileHandle()));
    EXPECT_EQ((std::vector<std::string>{"6", "1", "", "last", ""}), vecLines);
    EXPECT_EQ("", ZTFile::ReadOneLine(nullptr));
    objFile.close();

    writeFile(kFile, "zoom1=2,\r\n\nfocus1=3,\n");
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

TEST_F(ZTLoggerTest, OneFileInAllStartsAfreshAndAMissingDirectoryFailsQuietly) {
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init(m_strLog, 20, 1));
    ASSERT_TRUE(objLogger.writeLog("t", "first line\n"));
    ASSERT_TRUE(objLogger.writeLog("t", "second one\n"));
    EXPECT_EQ("t second one\n", readFile(m_strLog));
    EXPECT_FALSE(fileExists(m_strLog + ".1"));

    ZTLogger objMissing;
    ASSERT_TRUE(objMissing.init("/mnt/mtd/nodir/SensorError.log", 10240, 3));
    EXPECT_FALSE(objMissing.writeLog("[sensor assert]", "text\n"));
    EXPECT_FALSE(fileExists("/mnt/mtd/nodir"));
}

}  // namespace
