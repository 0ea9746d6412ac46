// File helpers, the scheme and version files, the module detail fields, and
// the style functions over the UI style documents.
#ifndef SENSORDLL_SENSOR_FILE_H
#define SENSORDLL_SENSOR_FILE_H

#include <stddef.h>

#include <string>

#include "SensorExport.h"
#include "SensorTypes.h"
#include "ia_ioctrl.h"

class TiXmlDocument;
class TiXmlElement;

// Files. Paths are camera paths.
SENSORDLL_API INT64 getFileLen(const char* file_name);
SENSORDLL_API int loadFromFile(const char* file_name, char* data, INT64 file_len);
SENSORDLL_API int saveToFile(char* file_name, char* data, INT64 file_len);
SENSORDLL_API int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
SENSORDLL_API int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
SENSORDLL_API int getVersion(u32* p_pnVersion);
SENSORDLL_API int setVersion(u32 p_nVersion);

// Module detail fields "(name=value)". The string form writes at most
// p_nValueSize - 1 characters and always terminates the value.
SENSORDLL_API int getDetailFieldTou32(const char* p_szDetail, const char* p_szName, u32* p_pnValue);
SENSORDLL_API int getDetailFieldToStr(const char* p_szDetail, const char* p_szName, char* p_szValue,
                                      size_t p_nValueSize);

// Style merge and the id-search family.
SENSORDLL_API int mergeStyle(int p_nChannelID, ModuleConfig* p_pModuleConfig, char** ui_style, char* ui_styleDiversity);
SENSORDLL_API int updateStyleTab(TiXmlDocument* doc_style, const char* p_szOperation, const char* p_szTabKey,
                                 const TiXmlElement* p_pNewTab);
SENSORDLL_API int getNodebyCmdId(TiXmlElement* p_pElement, int p_nId, TiXmlElement*& p_pFound);
SENSORDLL_API int getDnaValbyCmdId(TiXmlElement* p_pElement, int p_nId, int& p_nValue);
SENSORDLL_API int ModifyNodebyCmdId(TiXmlElement* p_pElement, int p_nId);
SENSORDLL_API int DeleteNode(TiXmlElement* p_pRoot, TiXmlElement* p_pNode);

// Dynamic-parameter style.
SENSORDLL_API int getDnaStyle(int p_channelID, const char* szStyle, std::string& strDnaStyle, bool p_bShowWDRFalg);
SENSORDLL_API int doDnaStyle(TiXmlElement* p_pElement, int p_nCmd, const ia_dynamic_params_attr_st* p_pRange);
SENSORDLL_API int doCustomizeStyle(TiXmlElement* p_pElement, int p_nCmd, ia_dynamic_params_attr_st* p_pRange);

// Factory defaults. At most p_nCapacity records are written; the surplus is
// dropped with a report.
SENSORDLL_API int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                             bool p_bShowWDRFalg, u32 p_nCapacity);
SENSORDLL_API int style2KeyVal(TiXmlElement* p_pElement, KeyVal* p_pKeyVal, u32* p_pnKeyValNum, u32 p_nCapacity);

#endif
