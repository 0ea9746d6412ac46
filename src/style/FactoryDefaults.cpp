// Factory defaults: one record for every element of the dynamic-parameter
// style that carries both "id" and "value", in document order.
#include <string>

#include "SensorFile.h"
#include "diag/SensorReport.h"
#include "style/StyleTree.h"
#include "style/XmlDocument.h"

// Fills p_pKeyVal (room for p_nCapacity records) from its start with the
// factory set of the channel (counted from 1) and sets *p_pnKeyValNum to the
// number of records. A style with more records than fit gives the first
// p_nCapacity of them; the rest are dropped with a report.
int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, bool p_bShowWDRFalg,
               u32 p_nCapacity) {
    if (p_pnKeyValNum == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pnKeyValNum", "");
        return -1;
    }
    std::string strDnaStyle;
    const int nBuilt = getDnaStyle(p_channelID, p_szStyle, strDnaStyle, p_bShowWDRFalg);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nBuilt,
                       "SNS_SUCCESS == getDnaStyle(p_channelID,p_szStyle, strDnaStyle,p_bShowWDRFalg)", "");

    TiXmlDocument objDnaStyleDoc;
    const bool bParsed = LoadMem(objDnaStyleDoc, strDnaStyle.c_str(), TIXML_ENCODING_UTF8);
    SENSOR_ASSERT_EXPR(bParsed, "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)", "");

    *p_pnKeyValNum = 0;
    TiXmlElement* pRootNode = objDnaStyleDoc.RootElement();
    const int nCollected = style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum, p_pKeyVal != nullptr ? p_nCapacity : 0);
    SENSOR_ASSERT_EXPR(SNS_SUCCESS == nCollected, "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)",
                       "p_pnKeyValNum(%u)\n", *p_pnKeyValNum);
    return SNS_SUCCESS;
}

// Appends, in pre-order, a record for every element of the tree that carries
// both "id" and "value", at position *p_pnKeyValNum. A record that does not fit
// in p_nCapacity ends the walk with -1 (reported): the records stored so far
// stand and nothing is written past the array.
int style2KeyVal(TiXmlElement* p_pElement, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity) {
    if (p_pElement == nullptr) return 0;
    if (p_pnKeyValNum == nullptr) {
        SENSOR_ASSERT_EXPR(false, "NULL != p_pnKeyValNum", "");
        return -1;
    }
    const char* szId = p_pElement->Attribute("id");
    const char* szValue = p_pElement->Attribute("value");
    if (szId != nullptr && szValue != nullptr) {
        if (p_pKeyVal == nullptr || *p_pnKeyValNum >= p_nCapacity) {
            SENSOR_ASSERT_EXPR(false, "*p_pnKeyValNum < p_nCapacity", "id(%s) value(%s) p_nCapacity(%u)\n", szId,
                               szValue, p_nCapacity);
            return -1;
        }
        KeyVal& stRecord = p_pKeyVal[*p_pnKeyValNum];
        stRecord.key = static_cast<u32>(styleNumber(szId));
        stRecord.value = static_cast<u32>(styleNumber(szValue));
        ++*p_pnKeyValNum;
    }
    for (TiXmlElement* pChild = p_pElement->FirstChildElement(); pChild != nullptr;
         pChild = pChild->NextSiblingElement()) {
        if (style2KeyVal(pChild, p_pKeyVal, p_pnKeyValNum, p_nCapacity) != 0) return -1;
    }
    return 0;
}
