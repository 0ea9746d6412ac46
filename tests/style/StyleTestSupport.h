// Helpers shared by the style tests: styles as heap texts the way the system
// holds them, merges over hand-written documents, and reading results back.
#ifndef SENSORDLL_TESTS_STYLE_TEST_SUPPORT_H
#define SENSORDLL_TESTS_STYLE_TEST_SUPPORT_H

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <tinyxml.h>

#include "IspSimulation.h"
#include "SensorFile.h"
#include "style/XmlDocument.h"

namespace styletest {

// The text printed the way the system prints a parsed document.
inline std::string printed(const std::string& p_strXml) {
    TiXmlDocument objDoc;
    LoadMem(objDoc, p_strXml.c_str(), TIXML_ENCODING_UTF8);
    std::string strOut;
    getXmlString(objDoc, strOut);
    return strOut;
}

inline ModuleConfig moduleWithDetail(const std::string& p_strDetail) {
    ModuleConfig stModule;
    memset(&stModule, 0, sizeof(stModule));
    strncpy(stModule.szDetail, p_strDetail.c_str(), sizeof(stModule.szDetail) - 1);
    return stModule;
}

// mergeStyle over a base text and a diversity text for a module detail text;
// the merged text.
inline std::string merge(const std::string& p_strBase, const std::string& p_strDiversity,
                         const std::string& p_strDetail, int p_nChannel = 1) {
    ModuleConfig stModule = moduleWithDetail(p_strDetail);
    char* szStyle = strdup(p_strBase.c_str());
    std::vector<char> vecDiversity(p_strDiversity.begin(), p_strDiversity.end());
    vecDiversity.push_back('\0');
    mergeStyle(p_nChannel, &stModule, &szStyle, vecDiversity.data());
    std::string strMerged = szStyle != nullptr ? szStyle : "";
    free(szStyle);
    return strMerged;
}

// "key" of each tab of a style, with its "title" after a colon when it has one.
inline std::vector<std::string> tabs(const std::string& p_strStyle) {
    std::vector<std::string> vecTabs;
    TiXmlDocument objDoc;
    if (!LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8) || objDoc.RootElement() == nullptr) return vecTabs;
    for (const TiXmlElement* pTab = objDoc.RootElement()->FirstChildElement(); pTab != nullptr;
         pTab = pTab->NextSiblingElement()) {
        std::string strTab = pTab->Attribute("key") != nullptr ? pTab->Attribute("key") : "";
        if (pTab->Attribute("title") != nullptr) strTab += std::string(":") + pTab->Attribute("title");
        vecTabs.push_back(strTab);
    }
    return vecTabs;
}

inline void collectElements(TiXmlElement* p_pElement, int p_nId, std::vector<TiXmlElement*>& p_vecFound) {
    for (; p_pElement != nullptr; p_pElement = p_pElement->NextSiblingElement()) {
        const char* szId = p_pElement->Attribute("id");
        if (szId != nullptr && atoi(szId) == p_nId) p_vecFound.push_back(p_pElement);
        collectElements(p_pElement->FirstChildElement(), p_nId, p_vecFound);
    }
}

// What a style says of the parameter elements with one id, in document order:
// "value" ("-" without one) and the "index" of its options.
struct Param {
    std::string value;
    std::vector<std::string> options;
};

inline std::vector<Param> params(const std::string& p_strStyle, int p_nId) {
    std::vector<Param> vecParams;
    TiXmlDocument objDoc;
    if (!LoadMem(objDoc, p_strStyle.c_str(), TIXML_ENCODING_UTF8)) return vecParams;
    std::vector<TiXmlElement*> vecFound;
    collectElements(objDoc.RootElement(), p_nId, vecFound);
    for (TiXmlElement* pElement : vecFound) {
        Param stParam;
        stParam.value = pElement->Attribute("value") != nullptr ? pElement->Attribute("value") : "-";
        for (const TiXmlElement* pOption = pElement->FirstChildElement(); pOption != nullptr;
             pOption = pOption->NextSiblingElement())
            stParam.options.push_back(pOption->Attribute("index") != nullptr ? pOption->Attribute("index") : "-");
        vecParams.push_back(stParam);
    }
    return vecParams;
}

inline ispsim::Range range(int p_nCmd, int p_nDefault, const std::vector<int>& p_vecItems, int p_nType = 0) {
    ispsim::Range stRange;
    stRange.cmd = p_nCmd;
    stRange.attrType = p_nType;
    stRange.defaultValue = p_nDefault;
    stRange.minValue = p_vecItems.empty() ? 0 : p_vecItems.front();
    stRange.maxValue = p_vecItems.empty() ? 0 : p_vecItems.back();
    stRange.items = p_vecItems;
    return stRange;
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

// The console line of a failed check quoting the expression text.
inline std::string assertionLine(const std::string& p_strExpression) {
    return p_strExpression + "   ~~~Assertion failed.";
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
