// Reading the UI style's parameter elements.
#include "StyleInfo.h"

#include <tinyxml.h>

#include <cstdlib>

#include "Output.h"

namespace sensorsim {

namespace {

bool readNumber(const TiXmlElement& p_objElement, const char* p_szName, long long& p_nValue) {
    const char* szText = p_objElement.Attribute(p_szName);
    if (szText == nullptr || *szText == '\0') return false;
    char* szEnd = nullptr;
    const long long nValue = std::strtoll(szText, &szEnd, 10);
    if (*szEnd != '\0') return false;
    p_nValue = nValue;
    return true;
}

void readParam(const TiXmlElement& p_objElement, StyleParams& p_mapParams) {
    long long nKey = 0;
    if (!readNumber(p_objElement, "id", nKey) || nKey < 0) return;
    StyleParam stParam;
    const char* szTitle = p_objElement.Attribute("title");
    const char* szType = p_objElement.Attribute("type");
    stParam.title = szTitle != nullptr ? szTitle : "";
    stParam.type = szType != nullptr ? szType : "";
    stParam.hasDefault = readNumber(p_objElement, "value", stParam.defaultValue);
    stParam.hasRange = readNumber(p_objElement, "min", stParam.min) && readNumber(p_objElement, "max", stParam.max);
    for (const TiXmlElement* pOption = p_objElement.FirstChildElement("option"); pOption != nullptr;
         pOption = pOption->NextSiblingElement("option")) {
        long long nIndex = 0;
        if (!readNumber(*pOption, "index", nIndex)) continue;
        const char* szText = pOption->Attribute("text");
        stParam.options.emplace_back(nIndex, szText != nullptr ? szText : "");
    }
    const auto it = p_mapParams.find(static_cast<unsigned int>(nKey));
    if (it == p_mapParams.end())
        p_mapParams.emplace(static_cast<unsigned int>(nKey), stParam);
    else if (!it->second.hasDefault && stParam.hasDefault)
        it->second = stParam;
}

void readElements(const TiXmlElement& p_objParent, StyleParams& p_mapParams) {
    for (const TiXmlElement* pChild = p_objParent.FirstChildElement(); pChild != nullptr;
         pChild = pChild->NextSiblingElement()) {
        if (pChild->ValueStr() == "param")
            readParam(*pChild, p_mapParams);
        else
            readElements(*pChild, p_mapParams);
    }
}

}  // namespace

bool readStyleParams(const std::string& p_strStyle, StyleParams& p_mapParams) {
    TiXmlDocument objDocument;
    objDocument.Parse(p_strStyle.c_str());
    if (objDocument.Error() || objDocument.RootElement() == nullptr) return false;
    readElements(*objDocument.RootElement(), p_mapParams);
    return true;
}

StyleParams queryStyleParams(Session& p_objSession) {
    const std::string strStyle = p_objSession.controller().getUIStyleFile();
    p_objSession.isp.take();
    StyleParams mapParams;
    if (!readStyleParams(strStyle, mapParams))
        out::warning(strStyle.empty() ? "the controller gives no UI style, so no ranges to show or check"
                                      : "the controller's UI style does not parse, so no ranges to show or check");
    return mapParams;
}

std::string describeAllowed(const StyleParam& p_stParam) {
    if (p_stParam.hasRange) return "min=" + std::to_string(p_stParam.min) + " max=" + std::to_string(p_stParam.max);
    if (p_stParam.options.empty()) return "";
    std::string strText = "options=";
    for (size_t i = 0; i < p_stParam.options.size(); ++i)
        strText += (i == 0 ? "" : ",") + std::to_string(p_stParam.options[i].first);
    return strText;
}

std::string outsideAllowed(const StyleParam& p_stParam, long long p_nValue) {
    if (p_stParam.hasRange) {
        if (p_nValue >= p_stParam.min && p_nValue <= p_stParam.max) return "";
        return "outside the range " + std::to_string(p_stParam.min) + " to " + std::to_string(p_stParam.max);
    }
    if (p_stParam.options.empty()) return "";
    for (const auto& option : p_stParam.options)
        if (option.first == p_nValue) return "";
    std::string strList;
    for (const auto& option : p_stParam.options) strList += (strList.empty() ? "" : ", ") + std::to_string(option.first);
    return "not one of the options " + strList;
}

}  // namespace sensorsim
