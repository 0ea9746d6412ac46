// The document operations the style code needs beyond TinyXML itself:
// parsing a text held in memory, printing a document into a string, and
// loading and saving documents at camera paths (through the device root).
#ifndef SENSORDLL_STYLE_XML_DOCUMENT_H
#define SENSORDLL_STYLE_XML_DOCUMENT_H

#include <string>

#include <tinyxml.h>

// Parses a NUL-terminated text into the document; true when it parsed. A null
// text does not parse.
bool LoadMem(TiXmlDocument& p_objDoc, const char* p_szText, TiXmlEncoding p_eEncoding);

// The document's printed form (TinyXML's printer: four-blank indent, "\n").
void getXmlString(const TiXmlDocument& p_objDoc, std::string& p_strText);

// Load and save at a camera path; true on success.
bool LoadFile(TiXmlDocument& p_objDoc, const char* p_szCameraPath, TiXmlEncoding p_eEncoding);
bool SaveFile(const TiXmlDocument& p_objDoc, const char* p_szCameraPath);

#endif
