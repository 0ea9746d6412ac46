// The inputs the fuzz targets found problems with (fuzz/regressions/<target>/)
// replayed through the same library calls, and the TinyXML hardening they led
// to: the nesting bound, the NUL-padded copy, and Debian's fixes for the
// parser's known hang and abort.
#include <dirent.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <tinyxml.h>

#include "../../fuzz/FuzzInputs.h"
#include "RobustnessFixture.h"
#include "SensorFile.h"
#include "style/XmlDocument.h"

namespace {

int treeDepth(const TiXmlNode* p_pNode) {
    int nDeepest = 0;
    for (const TiXmlNode* pChild = p_pNode->FirstChild(); pChild != nullptr; pChild = pChild->NextSibling())
        nDeepest = std::max(nDeepest, treeDepth(pChild) + (pChild->ToElement() != nullptr ? 1 : 0));
    return nDeepest;
}

void expectNoDeeperThanTheBound(const std::string& p_strInput) {
    TiXmlDocument objDoc;
    LoadMem(objDoc, p_strInput.c_str(), TIXML_ENCODING_UTF8);
    EXPECT_LE(treeDepth(&objDoc), 32);
}

// True when p_fnBody ends normally in a child process, which a hang (cut off
// by an alarm) or an abort cannot take the test run with.
bool endsCleanlyInAChild(const std::function<void()>& p_fnBody) {
    const pid_t nPid = fork();
    if (nPid == 0) {
        alarm(20);
        p_fnBody();
        _exit(0);
    }
    int nStatus = 0;
    return nPid > 0 && waitpid(nPid, &nStatus, 0) == nPid && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
}

std::string nested(int p_nDepth) {
    return joined(p_nDepth, [](int) { return "<a id=\"34\" value=\"1\">"; }) +
           joined(p_nDepth, [](int) { return "</a>"; });
}

}  // namespace

class FuzzRegressionTest : public RobustnessFixture {
protected:
    // The start-up target's property on its cut-down style, as far as a
    // running sensor thread leaves it checkable: each scheme holds the factory
    // set's keys in its order, whatever its file holds.
    void replayInitFiles(const std::string& p_strInput) {
        if (m_vecFactory.empty()) {
            writeFile(camerapath::STYLE_FILE, fuzzinputs::cutDownStyle(readFile(camerapath::STYLE_FILE)));
            ASSERT_TRUE(start(camera("")));
            m_vecFactory.assign(access().fctKeyVal(), access().fctKeyVal() + access().keyValSum());
            controller().uinit();
        }
        const fuzzinputs::SchemeFiles stFiles =
            fuzzinputs::decodeSchemeFiles(reinterpret_cast<const uint8_t*>(p_strInput.data()), p_strInput.size(),
                                          fuzzinputs::fileImage(m_vecFactory));
        faultfs::Image mapFiles;
        if (stFiles.bVersion) mapFiles[versionName()] = stFiles.strVersion;
        for (int i = 0; i < fuzzinputs::SchemeFiles::kSchemes; ++i)
            if (stFiles.abPresent[i]) mapFiles[schemeName(i)] = stFiles.astrSchemes[i];
        if (stFiles.bLeftovers) {
            mapFiles[schemeName(0) + ".tmp"] = stFiles.strSchemeLeftover;
            mapFiles[std::string(versionName()) + ".tmp"] = stFiles.strVersionLeftover;
        }
        faultfs::writeDirectory(configDir(), mapFiles);
        const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
        EXPECT_TRUE(pCamera->started);
        ISensorControllerTestAccess objAccess(pCamera->controller());
        ASSERT_EQ(objAccess.keyValSum(), m_vecFactory.size());
        for (u32 i = 0; i < fuzzinputs::SchemeFiles::kSchemes; ++i)
            for (size_t j = 0; j < m_vecFactory.size(); ++j)
                EXPECT_EQ(objAccess.scheme(i)[j].key, m_vecFactory[j].key) << i << " " << j;
    }

    std::vector<KeyVal> m_vecFactory;  // of the cut-down style
};

TEST_F(FuzzRegressionTest, SavedInputsReplayCleanly) {
    const std::string strRoot = bundledDevicesDir() + "/../fuzz/regressions/";
    DIR* pDir = opendir(strRoot.c_str());
    ASSERT_NE(pDir, nullptr) << strRoot;
    size_t nReplayed = 0;
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string strTarget = pEntry->d_name;
        for (const auto& stInput :
             strTarget[0] == '.' ? faultfs::Image() : faultfs::readDirectory(strRoot + strTarget)) {
            SCOPED_TRACE(strTarget + "/" + stInput.first);
            if (strTarget == "xml_guard")
                expectNoDeeperThanTheBound(stInput.second);
            else if (strTarget == "init_files")
                replayInitFiles(stInput.second);
            else
                ADD_FAILURE() << "no replay for the inputs of " << strTarget;
            ++nReplayed;
        }
    }
    closedir(pDir);
    EXPECT_GE(nReplayed, 5u);
}

// Found through a scheme file; files are read by key now, so the record
// reaches the ISP through the record form of setParameters.
TEST_F(FuzzRegressionTest, KeyBeyondTheCommandRangeReachesTheIspAsItsInteger) {
    ASSERT_TRUE(start(camera("")));
    ispsim::clearCalls();
    KeyVal stRecord = {0x8281A0BEu, 1};
    controller().setParameters(&stRecord, 1, false);
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
    char* szStyle = strdup(strDeep.c_str());
    char szDiversity[] = "<c/>";
    std::string strDna;
    EXPECT_EQ(mergeStyle(1, &stModule, &szStyle, szDiversity), SNS_SUCCESS);
    EXPECT_EQ(getDnaStyle(1, strDeep.c_str(), strDna, true), SNS_SUCCESS);
    // Unguarded, TinyXML prints this text as about 36 MB.
    EXPECT_LT(strlen(szStyle), 1024u);
    EXPECT_LT(strDna.size(), 1024u);
    free(szStyle);
}

TEST_F(FuzzRegressionTest, QuotedValuesDeclarationsAndCommentsDoNotHideNesting) {
    for (const std::string strTrick : {
             "<a x=\"></a>\">",                           // a closing tag in a quoted value
             "<a x='/>'>",                                // an empty-element end in a quoted value
             "<a x=\"\xe0\"/></b>\">",                    // a UTF-8 sequence swallowing the closing quote
             "<?xml version=\"></a>\"?><a>",              // a declaration's quoted value
             "<?xml \xef\xbb\xbfversion=\"></a>\"?><a>",  // ... after a byte-order mark
             "<!-- </a> --><a>", "<![CDATA[</a>]]><a>",
             "\xe0</a><a>",  // a UTF-8 sequence swallowing the "<"
         }) {
        SCOPED_TRACE(strTrick);
        expectNoDeeperThanTheBound(joined(40, [&](int) { return "<a>" + strTrick; }));
    }
}

TEST_F(FuzzRegressionTest, CutUtf8SequenceAtTheEndOfTheBufferIsReadWithinIt) {
    // The text ends right before an inaccessible page: a read past its NUL faults.
    const size_t nPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    char* pPages =
        static_cast<char*>(mmap(nullptr, 2 * nPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pPages, MAP_FAILED);
    ASSERT_EQ(mprotect(pPages + nPage, nPage, PROT_NONE), 0);
    const char szText[] = "<r>\xf0";
    char* pText = pPages + nPage - sizeof(szText);
    memcpy(pText, szText, sizeof(szText));
    EXPECT_TRUE(endsCleanlyInAChild([pText]() {
        TiXmlDocument objDoc;
        LoadMem(objDoc, pText, TIXML_ENCODING_UTF8);
    }));
    munmap(pPages, 2 * nPage);

    // What stands after the terminator is not the document's.
    TiXmlDocument objDoc;
    LoadMem(objDoc, "<r>\xe0\0<x/></r>", TIXML_ENCODING_UTF8);
    ASSERT_NE(objDoc.RootElement(), nullptr);
    EXPECT_EQ(objDoc.RootElement()->FirstChildElement("x"), nullptr);
}

// Debian's TinyXML 2.6.2-6+deb12u1 carries the fixes for CVE-2021-42260 (an
// endless loop on a cut UTF-8 lead byte) and CVE-2023-34194 (an assertion
// abort at a NUL after white space).
TEST_F(FuzzRegressionTest, ParserEndsOnInputsOfItsKnownHangAndAbort) {
    for (const std::string strInput :
         {"<a>\xef", "\xef", "<a \xef", "<?xml \xef", "<!-- \xef", "<a x='\xef", "<a ", "<?xml ", "<!DOCTYPE ", "<!-- ",
          "<a x='1' ", "<a>\n\t ", "<![CDATA[ ", "< ", "<a></a ", "\xef\xbb\xbf "}) {
        EXPECT_TRUE(endsCleanlyInAChild([&strInput]() {
            TiXmlDocument objDoc;
            objDoc.Parse(strInput.c_str(), nullptr, TIXML_ENCODING_UTF8);
            TiXmlDocument objGuarded;
            LoadMem(objGuarded, strInput.c_str(), TIXML_ENCODING_UTF8);
        })) << strInput;
    }
}
