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

class MachineInfoTest : public DeviceFixture {};

// Unknown keys, other sections and bad numbers are ignored; a missing file
// leaves the record as it was.
TEST_F(MachineInfoTest, ReadsTheMachineSection) {
    const struct {
        const char* szContent;  // nullptr: no file
        bool bResult;
        int nType;
        const char* szModel;
        const char* szCode;
    } aCases[] = {{"# factory data\r\n[machine]\r\ndeviceType = 4\r\nhardwareModel=Hi3516AV200 ; chip\r\n"
                   "hardwareCode=IPC-B2-IR\r\n",
                   true, 4, "Hi3516AV200", "IPC-B2-IR"},
                  {"deviceType=8\n[network]\ndeviceType=9\nhardwareCode=NET\n[machine]\nserial=123\n"
                   "deviceType=abc\nhardwareModel=A;B\n",
                   true, 99, "A;B", "keep"},
                  {nullptr, false, 99, "keep", "keep"}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szContent == nullptr ? "no file" : c.szContent);
        removeFile(kMachineInfo);
        if (c.szContent != nullptr) writeFile(kMachineInfo, c.szContent);
        MachineInfo objInfo;
        objInfo.setDeviceType(99);
        objInfo.setHardwareModel("keep");
        objInfo.setHardwareCode("keep");
        EXPECT_EQ(c.bResult, SystemInfoParser::parseMachineInfo(kMachineInfo, objInfo));
        EXPECT_EQ(c.nType, objInfo.getDeviceType());
        EXPECT_EQ(c.szModel, objInfo.getHardwareModel());
        EXPECT_EQ(c.szCode, objInfo.getHardwareCode());
    }
}

class ModuleConfigureTest : public DeviceFixture {};

TEST_F(ModuleConfigureTest, KeepsMatchingModulesInDocumentOrderAndRefusesBrokenDocuments) {
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
    EXPECT_FALSE(ModuleConfigureParser::parse("/hd1/none.xml", "m", "c", vecModules));
    ASSERT_TRUE(ModuleConfigureParser::parse(kModuleConfig, "Hi3516AV200", "IPC-B2-IR", vecModules));
    ASSERT_EQ(3u, vecModules.size());
    EXPECT_EQ(0, vecModules[0].getModuleId());
    EXPECT_EQ(1, vecModules[1].getModuleId());
    EXPECT_EQ("p1", vecModules[1].getParameters());
    EXPECT_EQ("(max_scheme=4)(isInfrared=1)", vecModules[1].getDetail());
    EXPECT_EQ(4, vecModules[2].getModuleId());
    EXPECT_EQ("", vecModules[2].getParameters());
    EXPECT_EQ("(lensId=3)", vecModules[2].getDetail());
    for (const char* szContent : {"<moduleConfig><module id=\"1\">", "<modules><module id=\"1\"/></modules>"}) {
        writeFile(kModuleConfig, szContent);
        EXPECT_FALSE(ModuleConfigureParser::parse(kModuleConfig, "m", "c", vecModules)) << szContent;
        EXPECT_EQ(3u, vecModules.size()) << szContent;
    }
}

TEST(StringHandlerTest, SplitGivesOneItemPerPiece) {
    const struct {
        const char* szText;
        const char* szSeparator;
        std::vector<std::string> vecItems;
    } aCases[] = {{"1,2,3", ",", {"1", "2", "3"}},       {"", ",", {}},
                  {",", ",", {"", ""}},                  {",a,,b,", ",", {"", "a", "", "b", ""}},
                  {"abc", ",", {"abc"}},                 {"(1)(2)(3)", ")(", {"(1", "2", "3)"}},
                  {"a)(", ")(", {"a", ""}},              {"abc", "", {"abc"}}};
    for (const auto& c : aCases) {
        std::vector<std::string> vecItems{"before"};
        StringHandler::split(c.szText, vecItems, c.szSeparator);
        std::vector<std::string> vecExpected{"before"};
        vecExpected.insert(vecExpected.end(), c.vecItems.begin(), c.vecItems.end());
        EXPECT_EQ(vecExpected, vecItems) << c.szText << " by " << c.szSeparator;
    }
}

TEST(StringHandlerTest, Str2TypeReadsLeadingDecimalInRange) {
    const struct {
        const char* szText;
        bool bOk;
        int nValue;
    } aCases[] = {{"  -12x", true, -12},      {"+7", true, 7},         {"-2147483648", true, -2147483647 - 1},
                  {"2147483647", true, 2147483647}, {"", false, 5},    {"x1", false, 5},
                  {"-", false, 5},          {" + 1", false, 5},      {"2147483648", false, 5},
                  {"-2147483649", false, 5}, {"99999999999999999999", false, 5}};
    for (const auto& c : aCases) {
        int nValue = 5;
        EXPECT_EQ(c.bOk, StringHandler::str2type(c.szText, nValue)) << c.szText;
        EXPECT_EQ(c.nValue, nValue) << c.szText;
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

TEST_F(SySystemTest, ReturnsTheExitStatusAndWithoutRootTakesPathsAsGiven) {
    EXPECT_EQ(3, sy_system("exit 3", 30));
    EXPECT_EQ(0, sy_system("test -d /mnt/mtd/log", 30));
    EXPECT_EQ(-1, sy_system(nullptr, 30));
    DeviceRoot::setRoot("");
    writeFile("/plain.txt", "x");
    EXPECT_EQ(0, sy_system(("rm " + root() + "/plain.txt").c_str(), 30));
    EXPECT_FALSE(fileExists("/plain.txt"));
}

}  // namespace
