// Reading style trees: numbers in attributes, and the walk by "id" that the
// id-search family, the dynamic-parameter fitting and the option collection
// share.
#ifndef SENSORDLL_STYLE_STYLE_TREE_H
#define SENSORDLL_STYLE_STYLE_TREE_H

#include <limits.h>

#include <vector>

#include <tinyxml.h>

// The number at the start of an attribute text as atoi reads it (leading
// blanks, a sign, decimal digits; 0 without digits), held to the int range
// instead of overflowing.
int styleNumber(const char* p_szText);

// styleNumber(p_szId) == p_nId. The walks ask this of every element; plain
// decimal texts, all the styles hold, are read here without strtoll.
inline bool idEquals(const char* p_szId, int p_nId) {
    const char* p = p_szId;
    const bool bNegative = *p == '-';
    if (bNegative) ++p;
    if (*p < '0' || *p > '9') return styleNumber(p_szId) == p_nId;
    long long nValue = 0;
    for (int nDigits = 0; *p >= '0' && *p <= '9'; ++p) {
        if (++nDigits > 18) return styleNumber(p_szId) == p_nId;
        nValue = nValue * 10 + (*p - '0');
    }
    if (bNegative) nValue = -nValue;
    if (nValue > INT_MAX) nValue = INT_MAX;
    if (nValue < INT_MIN) nValue = INT_MIN;
    return nValue == p_nId;
}

// Visits the tree from p_pElement in document order. An element whose "id"
// equals p_nId is handed to p_action and its children are not visited; the
// action's result is the element's. A child that yields non-zero ends the walk
// with -1. Every other element's children are visited in turn.
template <typename Action>
int walkById(TiXmlElement* p_pElement, int p_nId, Action& p_action) {
    if (p_pElement == nullptr) return 0;
    const char* szId = p_pElement->Attribute("id");
    if (szId != nullptr && idEquals(szId, p_nId)) return p_action(p_pElement);
    for (TiXmlElement* pChild = p_pElement->FirstChildElement(); pChild != nullptr;
         pChild = pChild->NextSiblingElement()) {
        if (walkById(pChild, p_nId, p_action) != 0) return -1;
    }
    return 0;
}

// The elements walkById hands to its action, in its order, appended to
// p_vecFound. Several actions that leave the document as it is, and one last
// action that may change it, get the same elements from one walk this way.
inline void collectById(TiXmlElement* p_pElement, int p_nId, std::vector<TiXmlElement*>& p_vecFound) {
    struct Collect {
        std::vector<TiXmlElement*>& vecFound;
        int operator()(TiXmlElement* p_pFound) {
            vecFound.push_back(p_pFound);
            return 0;
        }
    } objCollect = {p_vecFound};
    walkById(p_pElement, p_nId, objCollect);
}

// walkById's result over collected elements: the first action that yields
// non-zero ends the run with -1.
template <typename Action>
int actOnEach(const std::vector<TiXmlElement*>& p_vecElements, Action& p_action) {
    for (TiXmlElement* pElement : p_vecElements) {
        if (p_action(pElement) != 0) return -1;
    }
    return 0;
}

#endif
