// TinyXML helpers for the style documents.
#include "XmlDocument.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include "platform/CameraFileSystem.h"

namespace {

// TinyXML parses, prints and destroys a document recursively, one level per
// element, and indents each printed line by its depth: a text of a few
// kilobytes nested thousands deep overflows the stack or prints gigabytes.
// The styles nest a handful of levels.
const int MAX_NESTING = 32;
// A style is some tens of kilobytes; a file far beyond that is not one.
const size_t MAX_DOCUMENT_BYTES = 4 * 1024 * 1024;
// The longest UTF-8 sequence TinyXML steps over.
const size_t LONGEST_SEQUENCE = 4;

bool isBlank(char p_c) { return isspace(static_cast<unsigned char>(p_c)) != 0; }

// TinyXML takes every non-ASCII byte for a letter.
bool isNameCharacter(char p_c) {
    const unsigned char c = static_cast<unsigned char>(p_c);
    return c >= 127 || isalnum(c) != 0 || c == '_' || c == '-' || c == '.' || c == ':';
}

// The bytes TinyXML takes as one character where it reads text or a quoted
// value: a UTF-8 lead byte takes its whole sequence, a "<" or a quote in it
// included, short of the terminator.
size_t sequenceLength(const char* p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    const size_t nLength = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 1;
    size_t i = 1;
    while (i < nLength && p[i] != '\0') ++i;
    return i;
}

// A quoted value from its opening quote; the position after its closing one.
const char* skipQuoted(const char* p) {
    const char cQuote = *p;
    for (++p; *p != '\0' && *p != cQuote; p += sequenceLength(p)) {
    }
    return *p == '\0' ? p : p + 1;
}

// TinyXML's blank skip, which also steps over byte-order marks.
const char* skipBlanks(const char* p) {
    for (;;) {
        const unsigned char* pByte = reinterpret_cast<const unsigned char*>(p);
        if (pByte[0] == 0xef && ((pByte[1] == 0xbb && pByte[2] == 0xbf) || (pByte[1] == 0xbf && pByte[2] == 0xbe) ||
                                 (pByte[1] == 0xbf && pByte[2] == 0xbf))) {
            p += 3;
        } else if (isBlank(*p)) {
            ++p;
        } else {
            return p;
        }
    }
}

bool startsWith(const char* p, const char* p_szPrefix) { return strncmp(p, p_szPrefix, strlen(p_szPrefix)) == 0; }

bool startsWithNoCase(const char* p, const char* p_szPrefix) {
    return strncasecmp(p, p_szPrefix, strlen(p_szPrefix)) == 0;
}

const char* skipPast(const char* p, const char* p_szEnd) {
    const char* pEnd = strstr(p, p_szEnd);
    return pEnd == nullptr ? p + strlen(p) : pEnd + strlen(p_szEnd);
}

// After "<?xml": TinyXML ends the declaration at its first ">" except inside
// a quoted version, encoding or standalone value. nullptr where TinyXML gives up
// on the text.
const char* skipDeclaration(const char* p) {
    for (;;) {
        if (*p == '\0') return p;
        if (*p == '>') return p + 1;
        p = skipBlanks(p);
        if (startsWithNoCase(p, "version") || startsWithNoCase(p, "encoding") || startsWithNoCase(p, "standalone")) {
            while (isNameCharacter(*p)) ++p;
            p = skipBlanks(p);
            if (*p != '=') return nullptr;
            p = skipBlanks(p + 1);
            if (*p == '"' || *p == '\'') {
                p = skipQuoted(p);
            } else {
                for (; *p != '\0' && !isBlank(*p) && *p != '/' && *p != '>'; ++p)
                    if (*p == '"' || *p == '\'') return nullptr;
            }
        } else {
            while (*p != '\0' && *p != '>' && !isBlank(*p)) ++p;
        }
    }
}

// Whether no element of the UTF-8 text nests deeper than p_nLimit, with the
// tags told apart as TinyXML tells them: an element starts with "<" and a
// letter, "_" or a non-ASCII byte; "</" ends one; comments, CDATA sections,
// declarations and other "<!" or "<?" items hold none; inside a start tag a
// quoted value may hold "<", ">" and "/>"; text and quoted values are read a
// UTF-8 sequence at a time. Where the two readings could differ TinyXML stops
// at an error, or this count is the higher one.
bool nestingWithin(const char* p, int p_nLimit) {
    int nDepth = 0;
    while (*p != '\0') {
        if (*p != '<') {
            p += sequenceLength(p);
        } else if (startsWithNoCase(p, "<?xml")) {
            p = skipDeclaration(p + 5);
            if (p == nullptr) return true;
        } else if (startsWith(p, "<!--")) {
            p = skipPast(p + 4, "-->");
        } else if (startsWith(p, "<![CDATA[")) {
            p = skipPast(p + 9, "]]>");
        } else if (p[1] == '/') {
            if (nDepth > 0) --nDepth;
            p = skipPast(p + 2, ">");
        } else if (isalpha(static_cast<unsigned char>(p[1])) || p[1] == '_' ||
                   static_cast<unsigned char>(p[1]) >= 127) {
            char cLast = '\0';
            for (++p; *p != '\0' && *p != '>';) {
                cLast = *p;
                p = *p == '"' || *p == '\'' ? skipQuoted(p) : p + 1;
            }
            // The element stands one level below the open ones, also when it
            // is empty or the text cuts its start tag off (TinyXML keeps it).
            if (nDepth + 1 > p_nLimit) return false;
            if (*p == '\0') return true;
            if (cLast != '/') ++nDepth;
            ++p;
        } else {
            p = skipPast(p + 1, ">");
        }
    }
    return true;
}

}  // namespace

// A text nested deeper than any style is refused unparsed. The count follows
// TinyXML's UTF-8 reading, the encoding every caller passes.
//
// TinyXML steps over a whole UTF-8 sequence even when a NUL cuts it short,
// and then reads on past the terminator: it parses a copy that ends in enough
// NULs to stop within any sequence.
bool LoadMem(TiXmlDocument& p_objDoc, const char* p_szText, TiXmlEncoding p_eEncoding) {
    if (p_szText == nullptr) return false;
    std::string strText(p_szText);
    strText.append(LONGEST_SEQUENCE, '\0');
    if (!nestingWithin(strText.c_str(), MAX_NESTING)) {
        p_objDoc.Clear();
        return false;
    }
    p_objDoc.Parse(strText.c_str(), nullptr, p_eEncoding);
    return !p_objDoc.Error();
}

void getXmlString(const TiXmlDocument& p_objDoc, std::string& p_strText) {
    TiXmlPrinter objPrinter;
    p_objDoc.Accept(&objPrinter);
    p_strText = objPrinter.Str();
}

// Through the same nesting guard as a text in memory; only a regular file,
// and at most MAX_DOCUMENT_BYTES of it.
bool LoadFile(TiXmlDocument& p_objDoc, const char* p_szCameraPath, TiXmlEncoding p_eEncoding) {
    std::string strText;
    if (p_szCameraPath == nullptr || !readCameraFileBounded(p_szCameraPath, MAX_DOCUMENT_BYTES + 1, strText) ||
        strText.size() > MAX_DOCUMENT_BYTES) {
        p_objDoc.Clear();
        return false;
    }
    return LoadMem(p_objDoc, strText.c_str(), p_eEncoding);
}

bool SaveFile(const TiXmlDocument& p_objDoc, const char* p_szCameraPath) {
    if (p_szCameraPath == nullptr) return false;
    return p_objDoc.SaveFile(cameraPath(p_szCameraPath).c_str());
}
