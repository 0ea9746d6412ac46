// The diversity merge: which conditions hold, what the tab operations do, the
// merged file and the reports on broken input.
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "StyleTestSupport.h"

using namespace styletest;

namespace {

const char* const kBase =
    "<style>"
    "<tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
    "<tab key=\"lens\" title=\"Lens\"><param id=\"1536\" value=\"0\"/></tab>"
    "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab>"
    "</style>";
const Strings kBaseTabs = {"image:Image", "lens:Lens", "wdr:WDR"};
const Strings kWithoutLens = {"image:Image", "wdr:WDR"};

// One condition deleting the lens tab when the attribute holds.
std::string deleteLensWhen(const std::string& p_strAttributes) {
    return "<cond " + p_strAttributes + "><Delete tab_key=\"lens\"/></cond>";
}

class StyleMergeTest : public DeviceFixture {};

// A condition's value agrees with the detail field on its first five
// characters, item by item of a list or as a whole.
TEST_F(StyleMergeTest, ConditionAgreesOnTheFirstFiveCharacters) {
    const struct {
        const char* szAccepted;  // the condition attribute's value
        const char* szDetailValue;
        bool bMatches;
    } aCases[] = {{"IMX334", "IMX334", true},       {"IMX290,IMX334", "IMX334", true},
                  {"IMX290,IMX334", "IMX33", true}, {"IMX290,IMX334", "IMX3345", true},
                  {"IMX33", "IMX339", true},        {"IMX290,IMX334", "IMX34", false},
                  {"1", "17", false},               {"17", "1", false},  // shorter than five: equal only
                  {"12,34", "12,345", true},        {"", "", true},
                  {"imx334", "IMX334", false}};
    for (const auto& c : aCases)
        EXPECT_EQ(c.bMatches ? kWithoutLens : kBaseTabs,
                  tabs(merge(kBase, deleteLensWhen(std::string("sensor=\"") + c.szAccepted + "\""),
                             std::string("(max_scheme=4)(sensor=") + c.szDetailValue + ")")))
            << c.szAccepted << " / " << c.szDetailValue;
}

struct MergeCase {
    const char* what;
    std::string base, diversity, detail;
    Strings tabs;
};

TEST_F(StyleMergeTest, TheMatchingConditionsApplyTheirTabOperations) {
    const std::string strTwoA = "<style><tab key=\"a\" title=\"1\"/><tab key=\"a\" title=\"2\"/></style>";
    const std::vector<MergeCase> vecCases = {
        // The empty value would agree with an empty field: only the missing
        // field keeps the condition from holding.
        {"field the detail lacks", kBase, deleteLensWhen("nosuch=\"\""), "(max_scheme=4)(sensor=)", kBaseTabs},
        {"value longer than its buffer", kBase, deleteLensWhen("sensor=\"IMX334\""),
         "(sensor=IMX33" + std::string(400, 'x') + ")", kWithoutLens},
        {"first matching attribute, once", kBase,
         "<cond sensor=\"IMX290\" iris=\"P-Iris\" wdr=\"120dB\"><AddAfter tab_key=\"image\"><tab key=\"extra\"/>"
         "</AddAfter></cond>",
         "(sensor=IMX334)(iris=P-Iris)(wdr=120dB)", {"image:Image", "extra", "lens:Lens", "wdr:WDR"}},
        // The second condition acts on the tab the first one added.
        {"conditions in document order", kBase,
         "<first iris=\"P-Iris\"><AddAfter tab_key=\"image\"><tab key=\"iris\" title=\"DC\"/></AddAfter></first>"
         "<skipped wdr=\"140dB\"><Delete tab_key=\"image\"/></skipped>"
         "<second wdr=\"120dB\"><Modify tab_key=\"iris\"><tab key=\"iris\" title=\"P\"/></Modify></second>",
         "(iris=P-Iris)(wdr=120dB)", {"image:Image", "iris:P", "lens:Lens", "wdr:WDR"}},
        {"modify of an added tab", kBase,
         "<cond lensId=\"3\"><AddAfter tab_key=\"lens\"><tab key=\"zoom\" title=\"added\"/></AddAfter>"
         "<Modify tab_key=\"zoom\"><tab key=\"zoom\" title=\"replaced\"/></Modify></cond>",
         "(lensId=3)", {"image:Image", "lens:Lens", "zoom:replaced", "wdr:WDR"}},
        {"delete of the first of two keys", strTwoA, "<c a=\"1\"><Delete tab_key=\"a\"/></c>", "(a=1)", {"a:2"}},
        {"add after the first of two keys", strTwoA,
         "<c a=\"1\"><AddAfter tab_key=\"a\"><tab key=\"n\"/></AddAfter></c>", "(a=1)", {"a:1", "n", "a:2"}},
    };
    for (const MergeCase& stCase : vecCases)
        EXPECT_EQ(stCase.tabs, tabs(merge(stCase.base, stCase.diversity, stCase.detail))) << stCase.what;
}

TEST_F(StyleMergeTest, OperationsThatCannotApplyChangeNothing) {
    for (const char* szOperation : {"<Remove tab_key=\"lens\"/>",  // unknown operation
                                    "<delete tab_key=\"lens\"/>",  // names compare exactly
                                    "<Delete tab_key=\"Lens\"/>",  // so do tab keys
                                    "<Delete/>",                   // no tab key
                                    "<Modify tab_key=\"lens\"/>",  // no new tab: the tab is kept
                                    "<AddAfter tab_key=\"lens\"/>", "<Modify tab_key=\"nosuch\"><tab key=\"x\"/></Modify>"})
        EXPECT_EQ(printed(kBase), merge(kBase, std::string("<c a=\"1\">") + szOperation + "</c>", "(a=1)")) << szOperation;
}

TEST_F(StyleMergeTest, TheMergedDocumentIsSavedForTheChannelAndReplacesTheText) {
    const std::string strMerged = merge(kBase, deleteLensWhen("a=\"1\""), "(a=1)", 2);
    EXPECT_EQ(printed("<style><tab key=\"image\" title=\"Image\"><param id=\"34\" value=\"50\"/></tab>"
                      "<tab key=\"wdr\" title=\"WDR\"><param id=\"2368\" value=\"0\"/></tab></style>"),
              printed(strMerged));
    EXPECT_EQ(strMerged, readFile("/tmp/merge_style_ch2.xml"));
    EXPECT_FALSE(fileExists("/tmp/merge_style_ch1.xml"));
}

struct BrokenCase {
    std::string base, diversity, detail, merged;
    std::vector<std::pair<std::string, size_t>> reports;  // the expression and how often it is reported
};

TEST_F(StyleMergeTest, BrokenInputIsReportedAndMergedAsFarAsItGoes) {
    const std::vector<BrokenCase> vecCases = {
        {kBase, "", "(a=1)", printed(kBase),
         {{"doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", 1},
          {"NULL != (node_first = doc_style_div.RootElement())", 1}}},
        {"", deleteLensWhen("a=\"1\""), "(a=1)", "",
         {{"doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", 1}, {"doc_style.SaveFile(filename)", 0}}},
        // A matched condition without operations; the next one still applies.
        {kBase, "<empty a=\"1\"/>" + deleteLensWhen("a=\"1\""), "(a=1)",
         merge(kBase, deleteLensWhen("a=\"1\""), "(a=1)"),
         {{"NULL != (node_second = node_first->FirstChildElement())", 1}}},
        {"<style/>", deleteLensWhen("a=\"1\"") + deleteLensWhen("b=\"2\""), "(a=1)(b=2)", printed("<style/>"),
         {{"NULL != (tab_node = doc_style->RootElement()->FirstChildElement())", 2}}},
    };
    // Traces too: every report names the function the host or init called.
    setDebugControl("6\n");
    for (const BrokenCase& stCase : vecCases) {
        SCOPED_TRACE(stCase.diversity);
        std::string strMerged;
        const std::string strOut = printedBy([&] { strMerged = merge(stCase.base, stCase.diversity, stCase.detail); });
        EXPECT_EQ(stCase.merged, strMerged);
        for (const std::pair<std::string, size_t>& stReport : stCase.reports)
            EXPECT_EQ(stReport.second, occurrences(strOut, stReport.first + "   ~~~Assertion failed.")) << stReport.first;
        for (const std::string& strName : reportingFunctions(strOut))
            EXPECT_TRUE(strName == "mergeStyle" || strName == "updateStyleTab" || strName == "loadFromFile") << strName;
    }
}

}  // namespace
