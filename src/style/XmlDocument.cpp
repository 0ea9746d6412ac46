// TinyXML helpers for the style documents.
#include "XmlDocument.h"

#include "DeviceRoot.h"

bool LoadMem(TiXmlDocument& p_objDoc, const char* p_szText, TiXmlEncoding p_eEncoding) {
    if (p_szText == NULL) return false;
    p_objDoc.Parse(p_szText, NULL, p_eEncoding);
    return !p_objDoc.Error();
}

void getXmlString(const TiXmlDocument& p_objDoc, std::string& p_strText) {
    TiXmlPrinter objPrinter;
    p_objDoc.Accept(&objPrinter);
    p_strText = objPrinter.Str();
}

bool LoadFile(TiXmlDocument& p_objDoc, const char* p_szCameraPath, TiXmlEncoding p_eEncoding) {
    if (p_szCameraPath == NULL) return false;
    return p_objDoc.LoadFile(DeviceRoot::resolve(p_szCameraPath).c_str(), p_eEncoding);
}

bool SaveFile(const TiXmlDocument& p_objDoc, const char* p_szCameraPath) {
    if (p_szCameraPath == NULL) return false;
    return p_objDoc.SaveFile(DeviceRoot::resolve(p_szCameraPath).c_str());
}
