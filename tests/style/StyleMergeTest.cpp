// The diversity merge: which conditions hold, what the tab operations do, the
// merged file and the reports on broken input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "StyleTestSupport.h"

using styletest::assertionLine;
using styletest::merge;
using styletest::printed;
using styletest::tabs;

namespace {

const char* const kBase =
    "<style>"
    "<tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
    "<tab key=\"lens\" title=\"Lens\"><param id=\"1536\" value=\"0\"/></tab>"
    "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab>"
    "</style>";

typedef std::vector<std::string> Tabs;

const Tabs kBaseTabs = {"image:Image", "lens:Lens", "wdr:WDR"};

// One condition deleting the lens tab when the attribute holds.
std::string deleteLensWhen(const std::string& p_strAttributes) {
    return "<cond " + p_strAttributes + "><Delete tab_key=\"lens\"/></cond>";
}

class StyleMergeTest : public DeviceFixture {};

struct MatchCase {
    const char* accepted;  // the condition attribute's value
    const char* detailValue;
    bool matches;
};

class DiversityMatchTest : public DeviceFixture, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(DiversityMatchTest, ConditionAgreesOnTheFirstFiveCharacters) {
    const MatchCase& stCase = GetParam();
    const std::string strMerged = merge(kBase, deleteLensWhen(std::string("sensor=\"") + stCase.accepted + "\""),
                                        std::string("(max_scheme=4)(sensor=") + stCase.detailValue + ")");
    const Tabs vecExpected = stCase.matches ? Tabs{"image:Image", "wdr:WDR"} : kBaseTabs;
    EXPECT_EQ(vecExpected, tabs(strMerged)) << stCase.accepted << " / " << stCase.detailValue;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DiversityMatchTest,
    ::testing::Values(MatchCase{"IMX334", "IMX334", true},       // equal
                      MatchCase{"IMX290,IMX334", "IMX334", true},  // second item of a list
                      MatchCase{"IMX290,IMX334", "IMX33", true},   // the item's first five alone
                      MatchCase{"IMX290,IMX334", "IMX3345", true}, // the item with a character appended
                      MatchCase{"IMX33", "IMX339", true},          // sixth character not compared
                      MatchCase{"IMX290,IMX334", "IMX34", false},  // differs within five
                      MatchCase{"1", "17", false},                 // shorter than five: equal only
                      MatchCase{"17", "1", false},
                      MatchCase{"12,34", "12,345", true},          // the whole value agrees, no item does
                      MatchCase{"", "", true},                     // an empty value agrees with an empty field
                      MatchCase{"imx334", "IMX334", false}));      // case counts

TEST_F(StyleMergeTest, AConditionOnAFieldTheDetailLacksNeverMatches) {
    // The empty value would agree with an empty field, so only the missing
    // field can keep the condition from holding.
    EXPECT_EQ(kBaseTabs, tabs(merge(kBase, deleteLensWhen("nosuch=\"\""), "(max_scheme=4)(sensor=)")));
}

TEST_F(StyleMergeTest, ADetailValueLongerThanItsBufferMatchesOnItsFirstCharacters) {
    const std::string strDetail = "(sensor=IMX33" + std::string(400, 'x') + ")";
    EXPECT_EQ((Tabs{"image:Image", "wdr:WDR"}), tabs(merge(kBase, deleteLensWhen("sensor=\"IMX334\""), strDetail)));
}

TEST_F(StyleMergeTest, TheFirstMatchingAttributeAppliesTheOperationsOnce) {
    const std::string strDiversity =
        "<cond sensor=\"IMX290\" iris=\"P-Iris\" wdr=\"120dB\">"
        "<AddAfter tab_key=\"image\"><tab key=\"extra\"/></AddAfter></cond>";
    EXPECT_EQ((Tabs{"image:Image", "extra", "lens:Lens", "wdr:WDR"}),
              tabs(merge(kBase, strDiversity, "(sensor=IMX334)(iris=P-Iris)(wdr=120dB)")));
}

TEST_F(StyleMergeTest, SeveralMatchingConditionsApplyInDocumentOrder) {
    // The second condition acts on the tab the first one added.
    const std::string strDiversity =
        "<first iris=\"P-Iris\"><AddAfter tab_key=\"image\"><tab key=\"iris\" title=\"DC\"/></AddAfter></first>"
        "<skipped wdr=\"140dB\"><Delete tab_key=\"image\"/></skipped>"
        "<second wdr=\"120dB\"><Modify tab_key=\"iris\"><tab key=\"iris\" title=\"P\"/></Modify></second>";
    EXPECT_EQ((Tabs{"image:Image", "iris:P", "lens:Lens", "wdr:WDR"}),
              tabs(merge(kBase, strDiversity, "(iris=P-Iris)(wdr=120dB)")));
}

TEST_F(StyleMergeTest, ModifyReplacesATabAddedAfterByAnEarlierOperation) {
    const std::string strDiversity =
        "<cond lensId=\"3\">"
        "<AddAfter tab_key=\"lens\"><tab key=\"zoom\" title=\"added\"/></AddAfter>"
        "<Modify tab_key=\"zoom\"><tab key=\"zoom\" title=\"replaced\"/></Modify>"
        "</cond>";
    EXPECT_EQ((Tabs{"image:Image", "lens:Lens", "zoom:replaced", "wdr:WDR"}),
              tabs(merge(kBase, strDiversity, "(lensId=3)")));
}

TEST_F(StyleMergeTest, ModifyPutsTheNewTabWhereTheOldOneStood) {
    const std::string strMerged =
        merge(kBase, "<c a=\"1\"><Modify tab_key=\"lens\"><tab key=\"lens\" title=\"Zoom lens\"><param id=\"1537\" "
                     "value=\"3\"/></tab></Modify></c>",
              "(a=1)");
    EXPECT_EQ((Tabs{"image:Image", "lens:Zoom lens", "wdr:WDR"}), tabs(strMerged));
    EXPECT_EQ(std::string::npos, strMerged.find("1536"));
    EXPECT_NE(std::string::npos, strMerged.find("1537"));
}

TEST_F(StyleMergeTest, OnlyTheFirstOfTwoTabsWithTheSameKeyIsActedOn) {
    const std::string strBase = "<style><tab key=\"a\" title=\"1\"/><tab key=\"a\" title=\"2\"/></style>";
    EXPECT_EQ((Tabs{"a:2"}), tabs(merge(strBase, "<c a=\"1\"><Delete tab_key=\"a\"/></c>", "(a=1)")));
    EXPECT_EQ((Tabs{"a:1", "n", "a:2"}),
              tabs(merge(strBase, "<c a=\"1\"><AddAfter tab_key=\"a\"><tab key=\"n\"/></AddAfter></c>", "(a=1)")));
}

TEST_F(StyleMergeTest, OperationsThatCannotApplyChangeNothing) {
    const std::vector<std::string> vecOperations = {
        "<Remove tab_key=\"lens\"/>",                         // unknown operation
        "<delete tab_key=\"lens\"/>",                         // names compare exactly
        "<Delete tab_key=\"Lens\"/>",                         // so do tab keys
        "<Delete/>",                                          // no tab key
        "<Modify tab_key=\"lens\"/>",                         // no new tab: the tab is kept
        "<AddAfter tab_key=\"lens\"/>",
        "<Modify tab_key=\"nosuch\"><tab key=\"x\"/></Modify>"};
    for (const std::string& strOperation : vecOperations)
        EXPECT_EQ(printed(kBase), merge(kBase, "<c a=\"1\">" + strOperation + "</c>", "(a=1)")) << strOperation;
}

TEST_F(StyleMergeTest, TheMergedDocumentIsSavedForTheChannelAndReplacesTheText) {
    const std::string strMerged = merge(kBase, deleteLensWhen("a=\"1\""), "(a=1)", 2);
    EXPECT_EQ(printed("<style><tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
                      "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab></style>"),
              printed(strMerged));
    ASSERT_TRUE(fileExists("/tmp/merge_style_ch2.xml"));
    EXPECT_EQ(strMerged, readFile("/tmp/merge_style_ch2.xml"));
    EXPECT_FALSE(fileExists("/tmp/merge_style_ch1.xml"));
}

TEST_F(StyleMergeTest, ADiversityTextWithoutAnElementLeavesThePrintedBase) {
    testing::internal::CaptureStdout();
    const std::string strMerged = merge(kBase, "", "(a=1)");
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed(kBase), strMerged);
    EXPECT_NE(std::string::npos, strOut.find(assertionLine("doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)")));
    EXPECT_NE(std::string::npos, strOut.find(assertionLine("NULL != (node_first = doc_style_div.RootElement())")));
}

TEST_F(StyleMergeTest, ABaseTextThatDoesNotParseEndsAsAnEmptyText) {
    testing::internal::CaptureStdout();
    const std::string strMerged = merge("", deleteLensWhen("a=\"1\""), "(a=1)");
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ("", strMerged);
    EXPECT_NE(std::string::npos, strOut.find(assertionLine("doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)")));
    EXPECT_NE(std::string::npos, strOut.find(assertionLine("loadFromFile(filename, *ui_style, file_len) > 0")));
}

TEST_F(StyleMergeTest, AMatchedConditionWithoutOperationsIsReportedAndTheNextOneApplies) {
    testing::internal::CaptureStdout();
    const std::string strMerged = merge(kBase, "<empty a=\"1\"/>" + deleteLensWhen("a=\"1\""), "(a=1)");
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ((Tabs{"image:Image", "wdr:WDR"}), tabs(strMerged));
    EXPECT_NE(std::string::npos,
              strOut.find(assertionLine("NULL != (node_second = node_first->FirstChildElement())")));
}

TEST_F(StyleMergeTest, AStyleWithoutTabsReportsEachOperation) {
    testing::internal::CaptureStdout();
    const std::string strMerged = merge("<style/>", deleteLensWhen("a=\"1\"") + deleteLensWhen("b=\"2\""),
                                        "(a=1)(b=2)");
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed("<style/>"), strMerged);
    EXPECT_EQ(2u, styletest::occurrences(
                      strOut, assertionLine("NULL != (tab_node = doc_style->RootElement()->FirstChildElement())")));
}

}  // namespace
