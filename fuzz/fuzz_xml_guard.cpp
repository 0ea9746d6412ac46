// The nesting guard in front of TinyXML (LoadMem) on any text.
//
// Property: a text that LoadMem accepts parses into a tree no deeper than the
// guard's bound of 32 elements, measured without recursion.
#include <string>
#include <utility>
#include <vector>

#include <tinyxml.h>

#include "FuzzSupport.h"
#include "style/XmlDocument.h"

namespace {

int treeDepth(const TiXmlNode* p_pRoot) {
    int nDeepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> vecStack;
    vecStack.emplace_back(p_pRoot, 0);
    while (!vecStack.empty()) {
        const std::pair<const TiXmlNode*, int> stTop = vecStack.back();
        vecStack.pop_back();
        for (const TiXmlNode* pChild = stTop.first->FirstChild(); pChild != nullptr; pChild = pChild->NextSibling()) {
            const int nDepth = stTop.second + (pChild->ToElement() != nullptr ? 1 : 0);
            if (nDepth > nDeepest) nDeepest = nDepth;
            vecStack.emplace_back(pChild, nDepth);
        }
    }
    return nDeepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strText(reinterpret_cast<const char*>(p_pData), p_nSize);
    TiXmlDocument objDoc;
    LoadMem(objDoc, strText.c_str(), TIXML_ENCODING_UTF8);
    FUZZ_CHECK(treeDepth(&objDoc) <= 32);
    return 0;
}
