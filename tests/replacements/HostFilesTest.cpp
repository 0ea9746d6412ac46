// Host replacement: files on device-root paths, the write fault the power-cut
// tests use, the rotating logger and shell commands under the root.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "StringHandler.h"
#include "ZTFile.h"
#include "ZTLogger.h"
#include "platform/CameraFileSystem.h"

namespace {

const char* const kFile = "/mnt/mtd/code/config_file/data.bin";

using HostFilesTest = DeviceFixture;

// Each open mode on a missing and an existing file: what the open answers,
// the length it sees, what two writes of "XY" and a read move, what the file
// holds; with a write budget the writes are cut at it.
TEST_F(HostFilesTest, ModesOpenReadWriteAndTruncateAsNamedAndWritesStopAtTheBudget) {
    const int kWriteTruncate = ZTFile::modeWrite | ZTFile::modeTruncate;
    const struct {
        const char* szBefore;  // nullptr: no file
        int nMode;
        long long nBudget, nLength;  // no budget: -1; the open fails: -1
        int nWritten, nRead;
        const char* szAfter;  // nullptr: no file
    } aCases[] = {
        {nullptr, kWriteTruncate, -1, 0, 4, 0, "XYXY"},
        {"old content", kWriteTruncate, -1, 0, 4, 0, "XYXY"},
        {nullptr, ZTFile::modeWrite, -1, 0, 4, 0, "XYXY"},
        {"abcdefg", ZTFile::modeWrite, -1, 7, 4, 0, "XYXYefg"},
        {"abc", ZTFile::modeAppend, -1, 3, 4, 0, "abcXYXY"},
        {"12345", ZTFile::modeRead, -1, 5, 0, 5, "12345"},
        {nullptr, ZTFile::modeRead, -1, -1, 0, 0, nullptr},
        {nullptr, ZTFile::modeTruncate, -1, -1, 0, 0, nullptr},
        {"abc", kWriteTruncate, 0, 0, 0, 0, ""},
        {"abc", kWriteTruncate, 1, 0, 1, 0, "X"},
        {"abc", kWriteTruncate, 3, 0, 3, 0, "XYX"},
        {"abc", kWriteTruncate, 5, 0, 4, 0, "XYXY"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(std::to_string(&c - aCases));
        removeFile(kFile);
        if (c.szBefore != nullptr) writeFile(kFile, c.szBefore);
        hostsim::failWritesAfter(c.nBudget);
        ZTFile objFile;
        EXPECT_EQ(c.nLength >= 0, objFile.open(kFile, c.nMode) != 0);
        EXPECT_EQ(c.nLength, objFile.getLength());
        EXPECT_EQ(c.nWritten, objFile.write("XY", 2) + objFile.write("XY", 2));
        char aBuffer[16] = {};
        EXPECT_EQ(c.nRead, objFile.read(aBuffer, sizeof(aBuffer)));
        objFile.close();
        EXPECT_EQ(c.szAfter != nullptr, fileExists(kFile));
        EXPECT_EQ(c.szAfter == nullptr ? "" : c.szAfter, readFile(kFile));
    }
    // The host and the library's own seam (through the device-root hook) put
    // absolute paths under the root, a root longer than the seam's first
    // buffer included, and leave relative ones.
    const std::string strRoot = root();
    for (const std::string& strTestRoot : {strRoot, strRoot + "/" + std::string(300, 'r')}) {
        DeviceRoot::setRoot(strTestRoot);
        EXPECT_EQ(strTestRoot + "/mnt/mtd/x", DeviceRoot::resolve("/mnt/mtd/x"));
        for (const char* szPath : {"/mnt/mtd/x", "relative/x", ""})
            EXPECT_EQ(DeviceRoot::resolve(szPath), cameraPath(szPath));
    }
    DeviceRoot::setRoot(strRoot);
}

// Each line is 11 bytes: three fit in 40, the fourth starts a new file, and
// three files are kept in all.
TEST_F(HostFilesTest, LoggerWritesTagAndMessageAndRotatesAtTheSize) {
    const std::string strLog = "/mnt/mtd/log/test.log";
    ZTLogger objLogger;
    ASSERT_TRUE(objLogger.init(strLog, 40, 3));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(objLogger.writeLog("t", "line " + std::to_string(100 + i)));
    EXPECT_EQ("t line 118\nt line 119\n", readFile(strLog));
    EXPECT_EQ("t line 115\nt line 116\nt line 117\n", readFile(strLog + ".1"));
    EXPECT_EQ("t line 112\nt line 113\nt line 114\n", readFile(strLog + ".2"));
    EXPECT_FALSE(fileExists(strLog + ".3"));

    ZTLogger objMissing;
    ASSERT_TRUE(objMissing.init("/mnt/mtd/nodir/SensorError.log", 10240, 3));
    EXPECT_FALSE(objMissing.writeLog("[sensor assert]", "text\n"));
    EXPECT_FALSE(fileExists("/mnt/mtd/nodir"));
}

// The factory reset's removal must touch only files under the device root,
// even when the root's name holds blanks and glob characters.
TEST_F(HostFilesTest, ShellCommandsActOnlyUnderTheRoot) {
    const std::string strRoot = "/dev ice*";
    DeviceRoot::setRoot(root() + strRoot + "/");
    const std::vector<std::string> vecRemoved = {"/mnt/mtd/code/config_file/sensor1_0.cfg",
                                                 "/mnt/mtd/code/config_backup/sensor1_3.cfg"};
    const std::vector<std::string> vecKept = {"/mnt/mtd/code/config_file/sensor1_4.cfg",
                                              "/mnt/mtd/code/config_file/sensor10_0.cfg"};
    for (const std::string& strPath : vecRemoved) writeFile(strRoot + strPath, "x");
    for (const std::string& strPath : vecKept) writeFile(strRoot + strPath, "x");
    writeFile("/dev iceX/mnt/mtd/code/config_file/sensor1_0.cfg", "x");

    const char* szCommand = "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg";
    EXPECT_EQ(0, sy_system(szCommand, 30));
    EXPECT_EQ(szCommand, hostsim::lastSystemCommand());
    for (const std::string& strPath : vecRemoved) EXPECT_FALSE(fileExists(strRoot + strPath)) << strPath;
    for (const std::string& strPath : vecKept) EXPECT_TRUE(fileExists(strRoot + strPath)) << strPath;
    EXPECT_TRUE(fileExists("/dev iceX/mnt/mtd/code/config_file/sensor1_0.cfg"));
    EXPECT_EQ(3, sy_system("exit 3", 30));
    EXPECT_EQ(-1, sy_system(nullptr, 30));
}

}  // namespace
