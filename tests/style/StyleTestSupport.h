// Helpers shared by the style tests: styles as heap texts the way the system
// holds them, merges over hand-written documents, reading results back, and
// the console lines a call printed.
#ifndef SENSORDLL_TESTS_STYLE_TEST_SUPPORT_H
#define SENSORDLL_TESTS_STYLE_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "IspSimulation.h"
#include "SensorFile.h"
#include "style/XmlDocument.h"

namespace styletest {

typedef std::vector<std::string> Strings;

// The text printed the way the system prints a parsed document.
inline std::string printed(const std::string& p_strXml) {
    TiXmlDocument objDoc;
    LoadMem(objDoc, p_strXml.c_str(), TIXML_ENCODING_UTF8);
    std::string strOut;
    getXmlString(objDoc, strOut);
    return strOut;
}

inline std::string printedBy(const std::function<void()>& p_fnCall) {
    testing::internal::CaptureStdout();
    p_fnCall();
    return testing::internal::GetCapturedStdout();
}

// mergeStyle over a base text and a diversity text for a module detail text;
// the merged text.
inline std::string merge(const std::string& p_strBase, const std::string& p_strDiversity,
                         const std::string& p_strDetail, int p_nChannel = 1) {
    ModuleConfig stModule;
    memset(&stModule, 0, sizeof(stModule));
    strncpy(stModule.szDetail, p_strDetail.c_str(), sizeof(stModule.szDetail) - 1);
    char* szStyle = strdup(p_strBase.c_str());
    std::vector<char> vecDiversity(p_strDiversity.begin(), p_strDiversity.end());
    vecDiversity.push_back('\0');
    mergeStyle(p_nChannel, &stModule, &szStyle, vecDiversity.data());
    std::string strMerged = szStyle != nullptr ? szStyle : "";
    free(szStyle);
    return strMerged;
}

inline std::string attribute(const TiXmlElement* p_pElement, const char* p_szName, const char* p_szAbsent) {
    const char* szValue = p_pElement->Attribute(p_szName);
    return szValue != nullptr ? szValue : p_szAbsent;
}

// "key" of each tab of a style, with its "title" after a colon when it has one.
inline Strings tabs(const std::string& p_strStyle) {
    Strings vecTabs;
    TiXmlDocument objDoc;
    if (!LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8) || objDoc.RootElement() == nullptr) return vecTabs;
    for (const TiXmlElement* pTab = objDoc.RootElement()->FirstChildElement(); pTab != nullptr;
         pTab = pTab->NextSiblingElement())
        vecTabs.push_back(attribute(pTab, "key", "") + (pTab->Attribute("title") ? ":" + attribute(pTab, "title", "") : ""));
    return vecTabs;
}

// What a style says of the parameter elements with one id, in document order:
// "value" ("-" without one) and the "index" of its options.
struct Param {
    std::string value;
    Strings options;
};

inline void collect(const TiXmlElement* p_pElement, int p_nId, std::vector<Param>& p_vecFound) {
    for (; p_pElement != nullptr; p_pElement = p_pElement->NextSiblingElement()) {
        if (p_pElement->Attribute("id") != nullptr && atoi(p_pElement->Attribute("id")) == p_nId) {
            Param stParam{attribute(p_pElement, "value", "-"), {}};
            for (const TiXmlElement* pOption = p_pElement->FirstChildElement(); pOption != nullptr;
                 pOption = pOption->NextSiblingElement())
                stParam.options.push_back(attribute(pOption, "index", "-"));
            p_vecFound.push_back(stParam);
        }
        collect(p_pElement->FirstChildElement(), p_nId, p_vecFound);
    }
}

inline std::vector<Param> params(const std::string& p_strStyle, int p_nId) {
    std::vector<Param> vecParams;
    TiXmlDocument objDoc;
    if (LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8)) collect(objDoc.RootElement(), p_nId, vecParams);
    return vecParams;
}

inline ispsim::Range range(int p_nCmd, int p_nDefault, const std::vector<int>& p_vecItems) {
    return ispsim::Range{p_nCmd, 0, p_nDefault, p_vecItems.empty() ? 0 : p_vecItems.front(),
                         p_vecItems.empty() ? 0 : p_vecItems.back(), p_vecItems};
}

inline void setRanges(int p_nIspChannel, const std::vector<ispsim::Range>& p_vecRanges) {
    ispsim::SensorProfile stProfile;
    stProfile.name = "test";
    stProfile.ranges = p_vecRanges;
    ispsim::setProfile(p_nIspChannel, stProfile);
}

// Commands of the recorded calls with one option, in order.
inline std::vector<int> commandsWithOption(unsigned int p_nOption) {
    std::vector<int> vecCommands;
    for (const ispsim::Call& stCall : ispsim::calls())
        if (stCall.option == p_nOption) vecCommands.push_back(stCall.cmd);
    return vecCommands;
}

// Whether the output holds the console line of a failed check quoting the
// expression text.
inline bool reports(const std::string& p_strOut, const std::string& p_strExpression) {
    return p_strOut.find(p_strExpression + "   ~~~Assertion failed.") != std::string::npos;
}

// The functions the report headers of the output name ("fun:NAME line:").
inline std::set<std::string> reportingFunctions(const std::string& p_strOut) {
    std::set<std::string> setNames;
    for (size_t nPos = p_strOut.find(" fun:"); nPos != std::string::npos; nPos = p_strOut.find(" fun:", nPos + 1))
        setNames.insert(p_strOut.substr(nPos + 5, p_strOut.find(' ', nPos + 5) - nPos - 5));
    return setNames;
}

inline size_t occurrences(const std::string& p_strText, const std::string& p_strPiece) {
    size_t nCount = 0;
    for (size_t nPos = p_strText.find(p_strPiece); nPos != std::string::npos;
         nPos = p_strText.find(p_strPiece, nPos + p_strPiece.size()))
        ++nCount;
    return nCount;
}

}  // namespace styletest

#endif
