// The id-search family and node removal over hand-written style trees.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "StyleTestSupport.h"

namespace {

class StyleSearchTest : public ::testing::Test {
protected:
    void load(const char* p_szXml) { ASSERT_TRUE(LoadMem(m_objDoc, p_szXml, TIXML_ENCODING_UTF8)); }
    TiXmlElement* root() { return m_objDoc.RootElement(); }
    std::string text() const {
        std::string strText;
        getXmlString(m_objDoc, strText);
        return strText;
    }

    TiXmlDocument m_objDoc;
    int m_nValue = -1;
};

// The 30 nested in the second match would come last in document order; a
// match without value leaves the value as it was. Numbers read as atoi reads
// them: no digits read as 0, a number beyond the int range is held at its end.
TEST_F(StyleSearchTest, TheLastReachedValueWinsAndAMatchIsNotSearchedInside) {
    load("<s><tab><p id=\"49\" value=\"10\"/><p id=\"49\" value=\"20\"><p id=\"49\" value=\"30\"/></p></tab>"
         "<p id=\"50\" value=\"5\"/><p id=\"50\"/><p id=\" +52abc\" value=\"-12x\"/><p id=\"abc\" value=\"99999999999\"/></s>");
    for (const std::pair<int, int>& stCase : std::vector<std::pair<int, int>>{{49, 20}, {50, 5}, {51, 5}, {52, -12}, {0, 2147483647}}) {
        EXPECT_EQ(0, getDnaValbyCmdId(root(), stCase.first, m_nValue));
        EXPECT_EQ(stCase.second, m_nValue) << stCase.first;
    }
}

TEST_F(StyleSearchTest, GetNodeFindsTheLastMatchAndLeavesTheResultWithoutOne) {
    load("<s><a id=\"10\" n=\"1\"/><tab><b id=\"10\" n=\"2\"/></tab></s>");
    TiXmlElement* pFound = nullptr;
    EXPECT_EQ(0, getNodebyCmdId(root(), 10, pFound));
    ASSERT_NE(nullptr, pFound);
    EXPECT_STREQ("2", pFound->Attribute("n"));
    TiXmlElement* pUntouched = root();
    getNodebyCmdId(root(), 11, pUntouched);
    EXPECT_EQ(root(), pUntouched);
    EXPECT_EQ(0, getNodebyCmdId(nullptr, 10, pFound));
}

TEST_F(StyleSearchTest, ModifyNodeSwapsTheSwitchesEnableLists) {
    load("<s><p id=\"112\" enable_list=\"113\"/><tab><p id=\"112\"/><p id=\"128\" enable_list=\"129\"/>"
         "<p id=\"34\" enable_list=\"x\"/></tab></s>");
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 112));
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 128));
    EXPECT_EQ(0, ModifyNodebyCmdId(root(), 34));
    EXPECT_EQ(styletest::printed("<s><p id=\"112\" enable_list=\"128\"/><tab><p id=\"112\" enable_list=\"128\"/>"
                                 "<p id=\"128\" enable_list=\"112\"/><p id=\"34\" enable_list=\"x\"/></tab></s>"),
              text());
}

TEST_F(StyleSearchTest, DeleteNodeRemovesOnlyNodesWithAnElementParent) {
    load("<s><tab><p id=\"1\"/></tab></s>");
    TiXmlElement* pParam = root()->FirstChildElement()->FirstChildElement();
    EXPECT_EQ(-1, DeleteNode(nullptr, pParam));
    EXPECT_EQ(-1, DeleteNode(root(), nullptr));
    EXPECT_EQ(0, DeleteNode(root(), root()));
    ASSERT_NE(nullptr, root());
    TiXmlElement objDetached("p");
    EXPECT_EQ(0, DeleteNode(root(), &objDetached));
    EXPECT_EQ(0, DeleteNode(root(), pParam));
    EXPECT_EQ(styletest::printed("<s><tab/></s>"), text());
}

}  // namespace
