// The inputs the fuzz targets found problems with (fuzz/regressions/<target>/)
// replayed through the same library calls, and the TinyXML hardening they led
// to: the nesting bound, the NUL-padded copy, and Debian's fixes for the
// parser's known hang and abort on crafted input.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <tinyxml.h>

#include "../../fuzz/FuzzInputs.h"
#include "RobustnessFixture.h"
#include "SensorFile.h"
#include "SensorKeyVal.h"
#include "sensor.h"
#include "style/XmlDocument.h"

namespace {

std::string regressionsDir() {
    return bundledDevicesDir() + "/../fuzz/regressions";
}

std::vector<std::string> entries(const std::string& p_strDirectory) {
    std::vector<std::string> vecNames;
    DIR* pDir = opendir(p_strDirectory.c_str());
    if (pDir == nullptr) return vecNames;
    while (dirent* pEntry = readdir(pDir))
        if (pEntry->d_name[0] != '.') vecNames.push_back(pEntry->d_name);
    closedir(pDir);
    return vecNames;
}

std::string slurp(const std::string& p_strPath) {
    std::ifstream in(p_strPath, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Element depth of a parsed tree, without recursion.
int treeDepth(const TiXmlNode* p_pRoot) {
    int nDeepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> vecStack;
    vecStack.emplace_back(p_pRoot, 0);
    while (!vecStack.empty()) {
        const std::pair<const TiXmlNode*, int> stTop = vecStack.back();
        vecStack.pop_back();
        for (const TiXmlNode* pChild = stTop.first->FirstChild(); pChild != nullptr; pChild = pChild->NextSibling()) {
            const int nDepth = stTop.second + (pChild->ToElement() != nullptr ? 1 : 0);
            nDeepest = std::max(nDeepest, nDepth);
            vecStack.emplace_back(pChild, nDepth);
        }
    }
    return nDeepest;
}

// Runs p_fnBody in a child process that a hang cannot keep alive; true when
// it ended normally with status 0.
bool endsCleanlyInAChild(const std::function<void()>& p_fnBody) {
    const pid_t nPid = fork();
    if (nPid == 0) {
        alarm(20);
        p_fnBody();
        _exit(0);
    }
    int nStatus = 0;
    if (nPid < 0 || waitpid(nPid, &nStatus, 0) != nPid) return false;
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
}

std::string nested(int p_nDepth) {
    std::string strText;
    for (int i = 0; i < p_nDepth; ++i) strText += "<a id=\"34\" value=\"1\">";
    for (int i = 0; i < p_nDepth; ++i) strText += "</a>";
    return strText;
}

}  // namespace

class FuzzRegressionTest : public RobustnessFixture {
protected:
    void replayXmlGuard(const std::string& p_strInput) {
        TiXmlDocument objDoc;
        LoadMem(objDoc, p_strInput.c_str(), TIXML_ENCODING_UTF8);
        EXPECT_LE(treeDepth(&objDoc), 32);
    }

    void replayMergeStyle(const std::string& p_strInput) {
        const std::vector<std::string> vecParts = fuzzinputs::splitParts(
            reinterpret_cast<const uint8_t*>(p_strInput.data()), p_strInput.size(), 3);
        ModuleConfig stModule;
        memset(&stModule, 0, sizeof(stModule));
        strncpy(stModule.szDetail, vecParts[2].c_str(), sizeof(stModule.szDetail) - 1);
        char* szStyle = static_cast<char*>(malloc(vecParts[0].size() + 1));
        memcpy(szStyle, vecParts[0].c_str(), vecParts[0].size() + 1);
        std::vector<char> vecDiversity(vecParts[1].begin(), vecParts[1].end());
        vecDiversity.push_back('\0');
        EXPECT_EQ(mergeStyle(1, &stModule, &szStyle, vecDiversity.data()), SNS_SUCCESS);
        EXPECT_EQ(readFile("/tmp/merge_style_ch1.xml"), szStyle);
        free(szStyle);
    }

    // The start-up target's device and property: the cut-down style, the
    // files of the input, and the key layout each scheme array must have.
    void replayInitFiles(const std::string& p_strInput) {
        const char* const szStyle = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
        if (m_strFactoryImage.empty()) {
            writeFile(szStyle, fuzzinputs::cutDownStyle(readFile(szStyle)));
            SysConfig stSysConf;
            initSysConf(1, moduleConfig(), &stSysConf);
            std::vector<KeyVal> vecFactory(170);
            u32 nCount = 0;
            getFctData(1, stSysConf.szUIStyle, vecFactory.data(), &nCount, true, 170);
            uinitSysConf(&stSysConf);
            vecFactory.resize(nCount);
            m_vecFactory = vecFactory;
            m_strFactoryImage = fuzzinputs::fileImage(vecFactory);
        }
        const fuzzinputs::SchemeFiles stFiles = fuzzinputs::decodeSchemeFiles(
            reinterpret_cast<const uint8_t*>(p_strInput.data()), p_strInput.size(), m_strFactoryImage);
        faultfs::Image mapFiles;
        if (stFiles.bVersion) mapFiles[versionName()] = stFiles.strVersion;
        for (int i = 0; i < fuzzinputs::SchemeFiles::kSchemes; ++i)
            if (stFiles.abPresent[i]) mapFiles[schemeName(i)] = stFiles.astrSchemes[i];
        if (stFiles.bLeftovers) {
            mapFiles[schemeName(0) + ".tmp"] = stFiles.strSchemeLeftover;
            mapFiles[std::string(versionName()) + ".tmp"] = stFiles.strVersionLeftover;
        }
        faultfs::writeDirectory(configDir(), mapFiles);
        const bool bVersionMatches =
            stFiles.bVersion && stFiles.strVersion.size() >= 4 && fuzzinputs::le32(stFiles.strVersion, 0) == 8;

        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        EXPECT_TRUE(objController.init(moduleConfig()));
        ISensorControllerTestAccess objAccess(objController);
        ASSERT_EQ(objAccess.keyValSum(), m_vecFactory.size());
        for (int i = 0; i < fuzzinputs::SchemeFiles::kSchemes; ++i) {
            const std::string& strFile = stFiles.astrSchemes[i];
            const size_t nWhole = bVersionMatches && stFiles.abPresent[i]
                                      ? std::min<size_t>(strFile.size() / 8, objAccess.keyValSum())
                                      : 0;
            for (size_t j = 0; j < objAccess.keyValSum(); ++j) {
                const u32 nExpected = j < nWhole ? fuzzinputs::le32(strFile, j * 8) : m_vecFactory[j].key;
                EXPECT_EQ(objAccess.scheme(static_cast<u32>(i))[j].key, nExpected) << i << " " << j;
            }
        }
        objController.uinit();
    }

    std::vector<KeyVal> m_vecFactory;
    std::string m_strFactoryImage;
};

TEST_F(FuzzRegressionTest, SavedInputsReplayCleanly) {
    const std::string strRoot = regressionsDir();
    const std::vector<std::string> vecTargets = entries(strRoot);
    ASSERT_FALSE(vecTargets.empty()) << strRoot;
    size_t nReplayed = 0;
    testing::internal::CaptureStdout();
    for (const std::string& strTarget : vecTargets) {
        for (const std::string& strName : entries(strRoot + "/" + strTarget)) {
            SCOPED_TRACE(strTarget + "/" + strName);
            const std::string strInput = slurp(strRoot + "/" + strTarget + "/" + strName);
            if (strTarget == "xml_guard")
                replayXmlGuard(strInput);
            else if (strTarget == "merge_style")
                replayMergeStyle(strInput);
            else if (strTarget == "init_files")
                replayInitFiles(strInput);
            else
                ADD_FAILURE() << "no replay for the inputs of " << strTarget;
            ++nReplayed;
        }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GT(nReplayed, 0u);
}

TEST_F(FuzzRegressionTest, KeyBeyondTheCommandRangeReachesTheIspAsItsInteger) {
    // A complete scheme 0 whose brightness record carries the key 0x8281A0BE.
    testing::internal::CaptureStdout();
    ASSERT_TRUE(startAndStop());
    std::vector<KeyVal> vecScheme0 = records(readFile(schemePath(0)));
    for (KeyVal& stRecord : vecScheme0)
        if (stRecord.key == KEY_BRIGHTNESS) stRecord.key = 0x8281A0BEu;
    writeFile(schemePath(0), image(vecScheme0));
    ispsim::clearCalls();
    EXPECT_TRUE(makeController(1).init(moduleConfig()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ispsim::setCalls(static_cast<int>(0x8281A0BEu)).size(), 1u);
}

TEST_F(FuzzRegressionTest, StyleNestedThousandsDeepIsRefusedAndPrintsNothingLarge) {
    const std::string strDeep = nested(3000);
    TiXmlDocument objDoc;
    EXPECT_FALSE(LoadMem(objDoc, strDeep.c_str(), TIXML_ENCODING_UTF8));
    EXPECT_EQ(objDoc.RootElement(), nullptr);
    EXPECT_TRUE(LoadMem(objDoc, nested(32).c_str(), TIXML_ENCODING_UTF8));
    EXPECT_FALSE(LoadMem(objDoc, nested(33).c_str(), TIXML_ENCODING_UTF8));

    ModuleConfig stModule;
    memset(&stModule, 0, sizeof(stModule));
    char* szStyle = static_cast<char*>(malloc(strDeep.size() + 1));
    memcpy(szStyle, strDeep.c_str(), strDeep.size() + 1);
    char szDiversity[] = "<c/>";
    testing::internal::CaptureStdout();
    EXPECT_EQ(mergeStyle(1, &stModule, &szStyle, szDiversity), SNS_SUCCESS);
    std::string strDna;
    EXPECT_EQ(getDnaStyle(1, strDeep.c_str(), strDna, true), SNS_SUCCESS);
    testing::internal::GetCapturedStdout();
    // Unguarded, TinyXML prints this text as about 36 MB.
    EXPECT_LT(strlen(szStyle), 1024u);
    EXPECT_LT(strDna.size(), 1024u);
    free(szStyle);
}

TEST_F(FuzzRegressionTest, QuotedValuesDeclarationsAndCommentsDoNotHideNesting) {
    const std::vector<std::string> vecTricks = {
        "<a x=\"></a>\">",                        // a closing tag inside a quoted value
        "<a x='/>'>",                             // an empty-element end inside a quoted value
        "<a x=\"\xe0\"/></b>\">",                 // a UTF-8 sequence swallowing the closing quote
        "<?xml version=\"></a>\"?><a>",           // a declaration's quoted value
        "<?xml \xef\xbb\xbfversion=\"></a>\"?><a>",  // ... after a byte-order mark
        "<!-- </a> --><a>",                       // a comment
        "<![CDATA[</a>]]><a>",                    // a CDATA section
        "\xe0</a><a>",                            // a UTF-8 sequence swallowing the "<"
    };
    for (const std::string& strTrick : vecTricks) {
        std::string strText;
        for (int i = 0; i < 40; ++i) strText += "<a>" + strTrick;
        SCOPED_TRACE(strTrick);
        replayXmlGuard(strText);
    }
}

TEST_F(FuzzRegressionTest, CutUtf8SequenceAtTheEndOfTheBufferIsReadWithinIt) {
    // The text ends right before an inaccessible page: a read past its NUL
    // faults.
    const long nPage = sysconf(_SC_PAGESIZE);
    char* pPages = static_cast<char*>(
        mmap(nullptr, static_cast<size_t>(2 * nPage), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pPages, MAP_FAILED);
    ASSERT_EQ(mprotect(pPages + nPage, static_cast<size_t>(nPage), PROT_NONE), 0);
    const char szText[] = "<r>\xf0";
    char* pText = pPages + nPage - sizeof(szText);
    memcpy(pText, szText, sizeof(szText));
    EXPECT_TRUE(endsCleanlyInAChild([pText]() {
        TiXmlDocument objDoc;
        LoadMem(objDoc, pText, TIXML_ENCODING_UTF8);
    }));
    munmap(pPages, static_cast<size_t>(2 * nPage));

    // What stands after the terminator is not the document's.
    const char aText[] = "<r>\xe0\0<x/></r>";
    TiXmlDocument objDoc;
    LoadMem(objDoc, aText, TIXML_ENCODING_UTF8);
    ASSERT_NE(objDoc.RootElement(), nullptr);
    EXPECT_EQ(objDoc.RootElement()->FirstChildElement("x"), nullptr);
}

// Debian's TinyXML 2.6.2-6+deb12u1 carries the fixes for CVE-2021-42260 (an
// endless loop on a cut UTF-8 lead byte) and CVE-2023-34194 (an assertion
// abort at a NUL after white space); each input ends, in a child process that
// a hang or an abort cannot take the test run with it.
TEST_F(FuzzRegressionTest, ParserEndsOnInputsOfItsKnownHangAndAbort) {
    const std::vector<std::string> vecInputs = {
        "<a>\xef",        "\xef",     "<a \xef",    "<?xml \xef", "<!-- \xef", "<a x='\xef",
        "<a ",            "<?xml ",   "<!DOCTYPE ", "<!-- ",      "<a x='1' ", "<a>\n\t ",
        "<![CDATA[ ",     "< ",       "<a></a ",    "\xef\xbb\xbf ",
    };
    for (const std::string& strInput : vecInputs) {
        EXPECT_TRUE(endsCleanlyInAChild([&strInput]() {
            TiXmlDocument objDoc;
            objDoc.Parse(strInput.c_str(), nullptr, TIXML_ENCODING_UTF8);
            TiXmlDocument objGuarded;
            LoadMem(objGuarded, strInput.c_str(), TIXML_ENCODING_UTF8);
        })) << strInput;
    }
}
