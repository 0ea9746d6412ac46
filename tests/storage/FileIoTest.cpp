// The general file helpers: length, whole reads and truncating writes, and
// the reports they give.
#include <gtest/gtest.h>

#include <string>

#include "DeviceFixture.h"
#include "HostSimulation.h"
#include "SensorFile.h"

namespace {

const char* const kStyle = "/hd1/moduleConfig/sensorConfig/style/style.xml";

class FileIoTest : public DeviceFixture {};

TEST_F(FileIoTest, LengthOfMissingFileIsReportedWithoutLineEnd) {
    writeFile(kStyle, std::string(123, 'a'));
    EXPECT_EQ(123, getFileLen(kStyle));

    testing::internal::CaptureStdout();
    const INT64 nLength = getFileLen("/hd1/none.xml");
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(-1, nLength);
    EXPECT_NE(std::string::npos, strStdout.find("file.open(file_name)   ~~~Assertion failed.\n\033[0m"
                                                "\033[0m\033[31mfile_name(/hd1/none.xml)\033[0m"))
        << strStdout;
}

TEST_F(FileIoTest, LoadReadsExactlyTheAskedLength) {
    writeFile(kStyle, "<style/>");
    char szData[16] = {0};
    EXPECT_EQ(8, loadFromFile(kStyle, szData, 8));
    EXPECT_STREQ("<style/>", szData);
    EXPECT_EQ(-1, loadFromFile(kStyle, szData, 9));
}

TEST_F(FileIoTest, LoadFailsSilentlyOnMissingFileOrNegativeLength) {
    writeFile(kStyle, "<style/>");
    char szData[4] = {'x', 'x', 'x', 'x'};
    testing::internal::CaptureStdout();
    const int nMissing = loadFromFile("/hd1/none.xml", szData, 4);
    const int nNegative = loadFromFile(kStyle, szData, -1);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(-1, nMissing);
    EXPECT_EQ(-1, nNegative);
    EXPECT_EQ('x', szData[0]);
}

TEST_F(FileIoTest, LoadTracesTheFileInGreyAtDebugLevel) {
    writeFile(kStyle, "<style/>");
    setDebugControl("6\n");
    char szData[8];
    testing::internal::CaptureStdout();
    const int nLoaded = loadFromFile(kStyle, szData, 8);
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(8, nLoaded);
    EXPECT_EQ(0u, strStdout.find("\033[0m\033[37m[sensor dbg] file:SensorFileIo.cpp fun:loadFromFile line:"));
    const std::string strTail = std::string("\nopen file:") + kStyle + "\n\033[0m";
    ASSERT_GE(strStdout.size(), strTail.size());
    EXPECT_EQ(strTail, strStdout.substr(strStdout.size() - strTail.size()));
}

TEST_F(FileIoTest, SaveTruncatesALongerFile) {
    writeFile(kStyle, std::string(100, 'z'));
    std::string strName = kStyle;
    char szData[] = "0123456789";
    EXPECT_EQ(10, saveToFile(&strName[0], szData, 10));
    EXPECT_EQ("0123456789", readFile(kStyle));
}

TEST_F(FileIoTest, SaveReportsShortWriteAndReturnsTheCount) {
    writeFile(kStyle, "old content");
    std::string strName = kStyle;
    char szData[] = "0123456789";
    hostsim::failWritesAfter(3);
    testing::internal::CaptureStdout();
    const int nSaved = saveToFile(&strName[0], szData, 10);
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(3, nSaved);
    EXPECT_NE(std::string::npos, strStdout.find("file_len == (nSize=file.write(data, file_len))   ~~~Assertion failed.\n"
                                                "\033[0m\033[0m\033[31mfile_len(10)\n\033[0m"))
        << strStdout;
    EXPECT_EQ("012", readFile(kStyle));
}

TEST_F(FileIoTest, SaveToMissingDirectoryReportsBothSteps) {
    std::string strName = "/hd1/missing/style.xml";
    char szData[] = "abc";
    testing::internal::CaptureStdout();
    const int nSaved = saveToFile(&strName[0], szData, 3);
    const std::string strStdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, nSaved);
    EXPECT_NE(std::string::npos,
              strStdout.find("file.open(file_name, ZTFile::modeWrite | ZTFile::modeTruncate)   ~~~Assertion failed.\n"
                             "\033[0m\033[0m\033[31mfile_name(/hd1/missing/style.xml)\n\033[0m"));
    EXPECT_NE(std::string::npos, strStdout.find("file_len(3)\n"));
}

}  // namespace
