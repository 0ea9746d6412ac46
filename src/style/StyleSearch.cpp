// The id-search family over style trees and the removal of a node.
#include <limits.h>
#include <stdlib.h>

#include "SensorFile.h"
#include "style/StyleTree.h"
#include "SensorKeys.h"

int styleNumber(const char* p_szText) {
    if (p_szText == nullptr) return 0;
    const long long nValue = strtoll(p_szText, nullptr, 10);
    if (nValue > INT_MAX) return INT_MAX;
    if (nValue < INT_MIN) return INT_MIN;
    return static_cast<int>(nValue);
}

namespace {

struct FindElement {
    TiXmlElement*& pFound;
    int operator()(TiXmlElement* p_pElement) {
        pFound = p_pElement;
        return 0;
    }
};

struct ReadValue {
    int& nValue;
    int operator()(TiXmlElement* p_pElement) {
        const char* szValue = p_pElement->Attribute("value");
        if (szValue != nullptr) nValue = styleNumber(szValue);
        return 0;
    }
};

struct SwapEnableList {
    int nId;
    int operator()(TiXmlElement* p_pElement) {
        // The highlight and backlight switches exclude each other in the UI.
        if (nId == KEY_HLC_SWITCH)
            p_pElement->SetAttribute("enable_list", KEY_BLC_SWITCH);
        else if (nId == KEY_BLC_SWITCH)
            p_pElement->SetAttribute("enable_list", KEY_HLC_SWITCH);
        return 0;
    }
};

}  // namespace

// Stores in p_pFound every element with "id" p_nId that the walk reaches, so
// the last one in document order stands; p_pFound is untouched without one.
int getNodebyCmdId(TiXmlElement* p_pElement, int p_nId, TiXmlElement*& p_pFound) {
    FindElement objAction = {p_pFound};
    return walkById(p_pElement, p_nId, objAction);
}

// The "value" of the last reached element with "id" p_nId that has one;
// p_nValue is untouched otherwise.
int getDnaValbyCmdId(TiXmlElement* p_pElement, int p_nId, int& p_nValue) {
    ReadValue objAction = {p_nValue};
    return walkById(p_pElement, p_nId, objAction);
}

int ModifyNodebyCmdId(TiXmlElement* p_pElement, int p_nId) {
    SwapEnableList objAction = {p_nId};
    return walkById(p_pElement, p_nId, objAction);
}

// Removes (and destroys) p_pNode when its parent is an element; a root or a
// detached node stays. p_pRoot is only checked for null.
int DeleteNode(TiXmlElement* p_pRoot, TiXmlElement* p_pNode) {
    if (p_pRoot == nullptr || p_pNode == nullptr) return -1;
    TiXmlNode* pParent = p_pNode->Parent();
    if (pParent != nullptr && pParent->ToElement() != nullptr) pParent->RemoveChild(p_pNode);
    return 0;
}
