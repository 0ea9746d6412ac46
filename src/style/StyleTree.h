// Reading style trees: numbers in attributes, and the walk by "id" that the
// id-search family, the dynamic-parameter fitting and the option collection
// share.
#ifndef SENSORDLL_STYLE_STYLE_TREE_H
#define SENSORDLL_STYLE_STYLE_TREE_H

#include <tinyxml.h>

// The number at the start of an attribute text as atoi reads it (leading
// blanks, a sign, decimal digits; 0 without digits), held to the int range
// instead of overflowing.
int styleNumber(const char* p_szText);

// Visits the tree from p_pElement in document order. An element whose "id"
// equals p_nId is handed to p_action and its children are not visited; the
// action's result is the element's. A child that yields non-zero ends the walk
// with -1. Every other element's children are visited in turn.
template <typename Action>
int walkById(TiXmlElement* p_pElement, int p_nId, Action& p_action) {
    if (p_pElement == NULL) return 0;
    const char* szId = p_pElement->Attribute("id");
    if (szId != NULL && styleNumber(szId) == p_nId) return p_action(p_pElement);
    for (TiXmlElement* pChild = p_pElement->FirstChildElement(); pChild != NULL;
         pChild = pChild->NextSiblingElement()) {
        if (walkById(pChild, p_nId, p_action) != 0) return -1;
    }
    return 0;
}

#endif
