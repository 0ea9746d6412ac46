// The merge of a diversity document into a base style: conditions on the
// module's detail fields select operations on whole tabs. The merged document
// replaces the caller's text and is saved for the controller's later reads.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "SensorFile.h"
#include "StringHandler.h"
#include "diag/SensorReport.h"
#include "platform/CameraFileSystem.h"
#include "storage/FileReplacement.h"
#include "style/XmlDocument.h"
#include "platform/CameraPaths.h"

namespace {

const size_t MERGED_NAME_SIZE = 100;
// Room for a detail value: at most nine characters and the terminator.
const size_t DETAIL_VALUE_SIZE = 10;
// A condition value agrees with the detail value in this many characters.
const size_t COMPARED_CHARACTERS = 5;
// The helpers below report for mergeStyle.
const SensorReportCaller MERGE_STYLE = {"mergeStyle", "int mergeStyle(int, ModuleConfig*, char**, char*)"};

bool agrees(const std::string& p_strAccepted, const char* p_szDetailValue) {
    return strncmp(p_strAccepted.c_str(), p_szDetailValue, COMPARED_CHARACTERS) == 0;
}

// Whether the attribute's list of accepted values holds the detail value.
bool acceptsDetailValue(const TiXmlAttribute* p_pAttribute, const char* p_szDetailValue) {
    std::vector<std::string> vecItems;
    StringHandler::split(p_pAttribute->Value(), vecItems, ",");
    for (size_t i = 0; i < vecItems.size(); ++i)
        if (agrees(vecItems[i], p_szDetailValue)) return true;
    return agrees(p_pAttribute->Value(), p_szDetailValue);
}

// The first attribute of the condition element that holds, or null.
const TiXmlAttribute* matchingCondition(const TiXmlElement* p_pCondition, const char* p_szDetail) {
    for (const TiXmlAttribute* pAttribute = p_pCondition->FirstAttribute(); pAttribute != nullptr;
         pAttribute = pAttribute->Next()) {
        SENSOR_DBG_FOR(MERGE_STYLE, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", pAttribute->Name(),
                       pAttribute->Value());
        char szValue[DETAIL_VALUE_SIZE];
        memset(szValue, 0, sizeof(szValue));
        if (getDetailFieldToStr(p_szDetail, pAttribute->Name(), szValue, sizeof(szValue)) == 0 &&
            acceptsDetailValue(pAttribute, szValue))
            return pAttribute;
        SENSOR_DBG_FOR(MERGE_STYLE, "modi_attr->Name()(%s), modi_attr->Value()(%s) nVal(%s)\n", pAttribute->Name(),
                       pAttribute->Value(), szValue);
    }
    return nullptr;
}

void applyOperations(TiXmlDocument& p_objStyle, const TiXmlElement* p_pCondition, const TiXmlAttribute* p_pMatched) {
    SENSOR_DBG_FOR(MERGE_STYLE, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", p_pMatched->Name(),
                   p_pMatched->Value());
    const TiXmlElement* node_second = nullptr;
    SENSOR_ASSERT_EXPR_FOR(MERGE_STYLE, nullptr != (node_second = p_pCondition->FirstChildElement()),
                           "NULL != (node_second = node_first->FirstChildElement())", "");
    for (const TiXmlElement* pOperation = node_second; pOperation != nullptr;
         pOperation = pOperation->NextSiblingElement()) {
        SENSOR_DBG_FOR(MERGE_STYLE, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", p_pMatched->Name(),
                       p_pMatched->Value());
        updateStyleTab(&p_objStyle, pOperation->Value(), pOperation->Attribute("tab_key"),
                       pOperation->FirstChildElement());
        SENSOR_DBG_FOR(MERGE_STYLE, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", p_pMatched->Name(),
                       p_pMatched->Value());
    }
}

// Writes the merged text to the merged style file by an exclusive temporary
// and a rename, so that no link planted at either name is written through.
// A file that cannot be written is removed, so that no earlier merge stands
// in for this one. True once the file holds the text.
bool saveMergedStyle(const char* p_szFileName, const std::string& p_strMerged) {
    bool bSaved = false;
    {
        FileReplacement objFile(p_szFileName);
        bSaved = objFile.open() &&
                 static_cast<int>(p_strMerged.size()) ==
                     objFile.write(p_strMerged.data(), static_cast<unsigned int>(p_strMerged.size())) &&
                 objFile.commit();
    }
    if (!bSaved) removeCameraFile(p_szFileName);
    return bSaved;
}

// Replaces *p_pszStyle with the merged text. A buffer that cannot grow is
// kept as it was, so the caller still holds a complete (unmerged) text.
void replaceStyleText(const std::string& p_strMerged, char** p_pszStyle) {
    char* szBuffer = static_cast<char*>(realloc(*p_pszStyle, p_strMerged.size() + 1));
    if (szBuffer == nullptr) {
        SENSOR_ASSERT_EXPR_FOR(MERGE_STYLE, false, "NULL != realloc(*ui_style, file_len + 1)", "file_len(%d)\n",
                               static_cast<int>(p_strMerged.size()));
        return;
    }
    memcpy(szBuffer, p_strMerged.c_str(), p_strMerged.size() + 1);
    *p_pszStyle = szBuffer;
}

}  // namespace

// *ui_style is a malloc'd text: it is resized with realloc and stays owned by
// the caller. Every failure is reported and the merge goes on.
int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity) {
    if (ui_style == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != ui_style", "");
        return SNS_SUCCESS;
    }
    const char* szDetail = p_pModuleConfig != nullptr ? p_pModuleConfig->szDetail : "";

    TiXmlDocument doc_style;
    TiXmlDocument doc_style_div;
    SENSOR_ASSERT_EXPR(LoadMem(doc_style, *ui_style, TIXML_ENCODING_UTF8),
                       "doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8)", "");
    SENSOR_ASSERT_EXPR(LoadMem(doc_style_div, ui_styleDiversity, TIXML_ENCODING_UTF8),
                       "doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8)", "");

    const TiXmlElement* node_first = nullptr;
    SENSOR_ASSERT_EXPR(nullptr != (node_first = doc_style_div.RootElement()),
                       "NULL != (node_first = doc_style_div.RootElement())", "");
    for (; node_first != nullptr; node_first = node_first->NextSiblingElement()) {
        const TiXmlAttribute* pMatched = matchingCondition(node_first, szDetail);
        if (pMatched != nullptr) applyOperations(doc_style, node_first, pMatched);
    }

    char szFileName[MERGED_NAME_SIZE];
    memset(szFileName, 0, sizeof(szFileName));
    snprintf(szFileName, sizeof(szFileName), camerapath::MERGED_STYLE_FILE, p_nChannelID);
    // The text comes from the document in memory, not from reading the file
    // back: a full or tampered /tmp must not cut the style, and with it the
    // factory set and every scheme saved from it.
    std::string strMerged;
    getXmlString(doc_style, strMerged);
    const bool bSaved = saveMergedStyle(szFileName, strMerged);
    SENSOR_ASSERT_EXPR(bSaved, "doc_style.SaveFile(filename)", "file_name(%s)\n", szFileName);
    SENSOR_INFO("%s\n", strMerged.c_str());

    replaceStyleText(strMerged, ui_style);
    return SNS_SUCCESS;
}

// A missing new tab leaves "Modify" and "AddAfter" without effect: replacing a
// tab by nothing would lose it.
int updateStyleTab(TiXmlDocument* doc_style, const char* p_szOperation, const char* p_szTabKey,
                   const TiXmlElement* p_pNewTab) {
    TiXmlElement* pRoot = doc_style != nullptr ? doc_style->RootElement() : nullptr;
    TiXmlElement* tab_node = nullptr;
    SENSOR_ASSERT_EXPR(pRoot != nullptr && nullptr != (tab_node = pRoot->FirstChildElement()),
                       "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())", "");
    if (tab_node == nullptr || p_szTabKey == nullptr || p_szOperation == nullptr) return 0;

    for (; tab_node != nullptr; tab_node = tab_node->NextSiblingElement()) {
        const char* szKey = tab_node->Attribute("key");
        if (szKey != nullptr && strcmp(szKey, p_szTabKey) == 0) break;
    }
    if (tab_node == nullptr) return 0;

    if (strcmp(p_szOperation, "Modify") == 0) {
        if (p_pNewTab != nullptr && pRoot->InsertAfterChild(tab_node, *p_pNewTab) != nullptr)
            pRoot->RemoveChild(tab_node);
    } else if (strcmp(p_szOperation, "AddAfter") == 0) {
        if (p_pNewTab != nullptr) pRoot->InsertAfterChild(tab_node, *p_pNewTab);
    } else if (strcmp(p_szOperation, "Delete") == 0) {
        pRoot->RemoveChild(tab_node);
    }
    return 0;
}
