// Host replacement: machine information, module configuration, string
// helpers and shell commands under the device root.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "StringHandler.h"

namespace {

const char* const kMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kModuleConfig = "/hd1/moduleConfig/moduleConfig.xml";

class MachineInfoTest : public DeviceFixture {
protected:
    MachineInfo preset() const {
        MachineInfo objInfo;
        objInfo.setDeviceType(99);
        objInfo.setHardwareModel("keep");
        objInfo.setHardwareCode("keep");
        return objInfo;
    }
};

TEST_F(MachineInfoTest, ReadsTheMachineSection) {
    writeFile(kMachineInfo,
              "# factory data\r\n[machine]\r\ndeviceType = 4\r\nhardwareModel=Hi3516AV200 ; chip\r\n"
              "hardwareCode=IPC-B2-IR\r\n");
    MachineInfo objInfo = preset();
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kMachineInfo, objInfo));
    EXPECT_EQ(4, objInfo.getDeviceType());
    EXPECT_EQ("Hi3516AV200", objInfo.getHardwareModel());
    EXPECT_EQ("IPC-B2-IR", objInfo.getHardwareCode());
}

TEST_F(MachineInfoTest, UnknownKeysSectionsAndBadNumbersAreIgnored) {
    writeFile(kMachineInfo,
              "deviceType=8\n[network]\ndeviceType=9\nhardwareCode=NET\n[machine]\nserial=123\n"
              "deviceType=abc\nhardwareModel=A;B\n");
    MachineInfo objInfo = preset();
    ASSERT_TRUE(SystemInfoParser::parseMachineInfo(kMachineInfo, objInfo));
    EXPECT_EQ(99, objInfo.getDeviceType());
    EXPECT_EQ("A;B", objInfo.getHardwareModel());
    EXPECT_EQ("keep", objInfo.getHardwareCode());
}

TEST_F(MachineInfoTest, MissingFileLeavesTheRecord) {
    MachineInfo objInfo = preset();
    EXPECT_FALSE(SystemInfoParser::parseMachineInfo(kMachineInfo, objInfo));
    EXPECT_EQ(99, objInfo.getDeviceType());
    EXPECT_EQ("keep", objInfo.getHardwareModel());
}

class ModuleConfigureTest : public DeviceFixture {};

TEST_F(ModuleConfigureTest, KeepsMatchingModulesInDocumentOrder) {
    writeFile(kModuleConfig,
              "<moduleConfig>\n"
              "  <module id=\"1\" hardwareModel=\"Hi3516AV200\" hardwareCode=\"IPC-B2-IR\">\n"
              "    <parameters>p1</parameters><detail>(max_scheme=4)(isInfrared=1)</detail></module>\n"
              "  <module id=\"2\" hardwareModel=\"Hi3519\" hardwareCode=\"IPC-B2-IR\"><detail>(x=1)</detail></module>\n"
              "  <module id=\"3\" hardwareModel=\"Hi3516AV200\" hardwareCode=\"OTHER\"/>\n"
              "  <module id=\"4\"><detail>(lensId=3)</detail></module>\n"
              "  <other id=\"5\"/>\n"
              "</moduleConfig>\n");
    std::vector<ModuleConfigure> vecModules(1);
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "Hi3516AV200", "IPC-B2-IR", vecModules));
    ASSERT_EQ(3u, vecModules.size());
    EXPECT_EQ(0, vecModules[0].getModuleId());
    EXPECT_EQ(1, vecModules[1].getModuleId());
    EXPECT_EQ("p1", vecModules[1].getParameters());
    EXPECT_EQ("(max_scheme=4)(isInfrared=1)", vecModules[1].getDetail());
    EXPECT_EQ(4, vecModules[2].getModuleId());
    EXPECT_EQ("", vecModules[2].getParameters());
    EXPECT_EQ("(lensId=3)", vecModules[2].getDetail());
}

TEST_F(ModuleConfigureTest, MissingOrBrokenDocumentFails) {
    std::vector<ModuleConfigure> vecModules;
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "m", "c", vecModules));
    writeFile(kModuleConfig, "<moduleConfig><module id=\"1\">");
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "m", "c", vecModules));
    writeFile(kModuleConfig, "<modules><module id=\"1\"/></modules>");
    EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "m", "c", vecModules));
    EXPECT_TRUE(vecModules.empty());
}

struct SplitCase {
    const char* szText;
    const char* szSeparator;
    std::vector<std::string> vecItems;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, OneItemPerPiece) {
    std::vector<std::string> vecItems{"before"};
    StringHandler::split(GetParam().szText, vecItems, GetParam().szSeparator);
    std::vector<std::string> vecExpected{"before"};
    vecExpected.insert(vecExpected.end(), GetParam().vecItems.begin(), GetParam().vecItems.end());
    EXPECT_EQ(vecExpected, vecItems);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitTest,
                         ::testing::Values(SplitCase{"1,2,3", ",", {"1", "2", "3"}},
                                           SplitCase{"", ",", {}},
                                           SplitCase{",", ",", {"", ""}},
                                           SplitCase{",a,,b,", ",", {"", "a", "", "b", ""}},
                                           SplitCase{"abc", ",", {"abc"}},
                                           SplitCase{"(1)(2)(3)", ")(", {"(1", "2", "3)"}},
                                           SplitCase{"a)(", ")(", {"a", ""}},
                                           SplitCase{"abc", "", {"abc"}}));

TEST(Str2TypeTest, ReadsLeadingDecimal) {
    int nValue = 5;
    EXPECT_TRUE(StringHandler::str2type("  -12x", nValue));
    EXPECT_EQ(-12, nValue);
    EXPECT_TRUE(StringHandler::str2type("+7", nValue));
    EXPECT_EQ(7, nValue);
    EXPECT_TRUE(StringHandler::str2type("-2147483648", nValue));
    EXPECT_EQ(-2147483647 - 1, nValue);
    EXPECT_TRUE(StringHandler::str2type("2147483647", nValue));
    EXPECT_EQ(2147483647, nValue);
}

TEST(Str2TypeTest, RefusesTextWithoutDigitOrOutOfRange) {
    for (const char* szText : {"", "x1", "-", " + 1", "2147483648", "-2147483649", "99999999999999999999"}) {
        int nValue = 5;
        EXPECT_FALSE(StringHandler::str2type(szText, nValue)) << szText;
        EXPECT_EQ(5, nValue) << szText;
    }
}

class SySystemTest : public DeviceFixture {};

TEST_F(SySystemTest, RemovalTouchesOnlyFilesUnderTheRoot) {
    const std::vector<std::string> vecRemoved = {
        "/mnt/mtd/code/config_file/sensor1_0.cfg", "/mnt/mtd/code/config_file/sensor1_3.cfg",
        "/mnt/mtd/code/config_backup/sensor1_1.cfg"};
    const std::vector<std::string> vecKept = {"/mnt/mtd/code/config_file/sensor1_4.cfg",
                                              "/mnt/mtd/code/config_file/sensor2_0.cfg",
                                              "/mnt/mtd/code/config_file/sensor10_0.cfg"};
    for (const std::string& strPath : vecRemoved) writeFile(strPath, "x");
    for (const std::string& strPath : vecKept) writeFile(strPath, "x");

    const char* szCommand = "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg";
    const unsigned long nBefore = hostsim::systemCommandCount();
    EXPECT_EQ(0, sy_system(szCommand, 30));
    EXPECT_EQ(szCommand, hostsim::lastSystemCommand());
    EXPECT_EQ(nBefore + 1, hostsim::systemCommandCount());
    for (const std::string& strPath : vecRemoved) EXPECT_FALSE(fileExists(strPath)) << strPath;
    for (const std::string& strPath : vecKept) EXPECT_TRUE(fileExists(strPath)) << strPath;
}

TEST_F(SySystemTest, RootWithBlanksAndGlobCharactersStaysLiteral) {
    const std::string strRoot = root() + "/dev ice*";
    DeviceRoot::setRoot(strRoot + "/");
    EXPECT_EQ(strRoot, DeviceRoot::root());
    writeFile("/dev ice*/tmp/a.cfg", "x");
    writeFile("/dev iceX/tmp/a.cfg", "x");
    EXPECT_EQ(0, sy_system("rm -f /tmp/a.cfg", 30));
    EXPECT_FALSE(fileExists("/dev ice*/tmp/a.cfg"));
    EXPECT_TRUE(fileExists("/dev iceX/tmp/a.cfg"));
}

TEST_F(SySystemTest, ReturnsTheExitStatus) {
    EXPECT_EQ(3, sy_system("exit 3", 30));
    EXPECT_EQ(0, sy_system("test -d /mnt/mtd/log", 30));
    EXPECT_EQ(-1, sy_system(nullptr, 30));
}

TEST_F(SySystemTest, WithoutRootPathsStandAsGiven) {
    DeviceRoot::setRoot("");
    const std::string strFile = root() + "/plain.txt";
    writeFile("/plain.txt", "x");
    EXPECT_EQ(0, sy_system(("rm " + strFile).c_str(), 30));
    EXPECT_FALSE(fileExists("/plain.txt"));
}

}  // namespace
