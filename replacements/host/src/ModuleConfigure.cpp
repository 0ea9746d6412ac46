// One module's configuration and the parser of the module configuration
// document.
#include "ModuleConfigure.h"

#include <tinyxml.h>

#include "DeviceRoot.h"

namespace {

std::string childText(const TiXmlElement* p_pElement, const char* p_szName) {
    const TiXmlElement* pChild = p_pElement->FirstChildElement(p_szName);
    if (pChild == nullptr || pChild->GetText() == nullptr) return std::string();
    return pChild->GetText();
}

// An absent attribute matches every machine.
bool attributeMatches(const TiXmlElement* p_pElement, const char* p_szName, const std::string& p_strWanted) {
    const char* szValue = p_pElement->Attribute(p_szName);
    return szValue == nullptr || p_strWanted == szValue;
}

}  // namespace

ModuleConfigure::ModuleConfigure() : m_nModuleId(0) {}

ModuleConfigure::~ModuleConfigure() {}

int ModuleConfigure::getModuleId() const { return m_nModuleId; }

std::string ModuleConfigure::getParameters() const { return m_strParameters; }

std::string ModuleConfigure::getDetail() const { return m_strDetail; }

void ModuleConfigure::setModuleId(int p_nId) { m_nModuleId = p_nId; }

void ModuleConfigure::setParameters(const std::string& p_strParameters) { m_strParameters = p_strParameters; }

void ModuleConfigure::setDetail(const std::string& p_strDetail) { m_strDetail = p_strDetail; }

bool ModuleConfigureParser::parse(const std::string& p_strPath, const std::string& p_strHardwareModel,
                                  const std::string& p_strHardwareCode, std::vector<ModuleConfigure>& p_vecModules) {
    TiXmlDocument doc;
    if (!doc.LoadFile(DeviceRoot::resolve(p_strPath).c_str())) return false;
    const TiXmlElement* pRoot = doc.RootElement();
    if (pRoot == nullptr || pRoot->ValueStr() != "moduleConfig") return false;
    for (const TiXmlElement* pModule = pRoot->FirstChildElement("module"); pModule != nullptr;
         pModule = pModule->NextSiblingElement("module")) {
        if (!attributeMatches(pModule, "hardwareModel", p_strHardwareModel) ||
            !attributeMatches(pModule, "hardwareCode", p_strHardwareCode))
            continue;
        ModuleConfigure objModule;
        int nId = 0;
        pModule->QueryIntAttribute("id", &nId);
        objModule.setModuleId(nId);
        objModule.setParameters(childText(pModule, "parameters"));
        objModule.setDetail(childText(pModule, "detail"));
        p_vecModules.push_back(objModule);
    }
    return true;
}
