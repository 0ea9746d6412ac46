// Machine information, its INI file parser and the device-type holder.
#include "MachineInfo.h"

#include <fstream>

#include "DeviceRoot.h"
#include "StringHandler.h"

namespace {

std::string trim(const std::string& p_strText) {
    const char* szBlanks = " \t\r\n";
    const size_t nFirst = p_strText.find_first_not_of(szBlanks);
    if (nFirst == std::string::npos) return std::string();
    const size_t nLast = p_strText.find_last_not_of(szBlanks);
    return p_strText.substr(nFirst, nLast - nFirst + 1);
}

// A comment starts at '#' or ';' at the start of the line or after a blank,
// so that values such as "A;B" survive.
std::string withoutComment(const std::string& p_strLine) {
    for (size_t nPos = 0; nPos < p_strLine.size(); ++nPos) {
        const char c = p_strLine[nPos];
        if ((c == '#' || c == ';') && (nPos == 0 || p_strLine[nPos - 1] == ' ' || p_strLine[nPos - 1] == '\t'))
            return p_strLine.substr(0, nPos);
    }
    return p_strLine;
}

}  // namespace

MachineInfo::MachineInfo() : m_nDeviceType(0) {}

MachineInfo::~MachineInfo() {}

int MachineInfo::getDeviceType() const { return m_nDeviceType; }

std::string MachineInfo::getHardwareModel() const { return m_strHardwareModel; }

std::string MachineInfo::getHardwareCode() const { return m_strHardwareCode; }

void MachineInfo::setDeviceType(int p_nDeviceType) { m_nDeviceType = p_nDeviceType; }

void MachineInfo::setHardwareModel(const std::string& p_strModel) { m_strHardwareModel = p_strModel; }

void MachineInfo::setHardwareCode(const std::string& p_strCode) { m_strHardwareCode = p_strCode; }

bool SystemInfoParser::parseMachineInfo(const std::string& p_strPath, MachineInfo& p_objInfo) {
    std::ifstream in(DeviceRoot::resolve(p_strPath).c_str());
    if (!in) return false;
    MachineInfo objRead = p_objInfo;
    std::string strSection;
    std::string strLine;
    while (std::getline(in, strLine)) {
        const std::string strText = trim(withoutComment(strLine));
        if (strText.empty()) continue;
        if (strText[0] == '[') {
            const size_t nClose = strText.find(']');
            strSection = trim(strText.substr(1, nClose == std::string::npos ? std::string::npos : nClose - 1));
            continue;
        }
        const size_t nEquals = strText.find('=');
        if (nEquals == std::string::npos || strSection != "machine") continue;
        const std::string strKey = trim(strText.substr(0, nEquals));
        const std::string strValue = trim(strText.substr(nEquals + 1));
        if (strKey == "deviceType") {
            int nType;
            if (StringHandler::str2type(strValue, nType)) objRead.setDeviceType(nType);
        } else if (strKey == "hardwareModel") {
            objRead.setHardwareModel(strValue);
        } else if (strKey == "hardwareCode") {
            objRead.setHardwareCode(strValue);
        }
    }
    if (in.bad()) return false;
    p_objInfo = objRead;
    return true;
}

DeviceType::DeviceType() : m_nId(0) {}

DeviceType::~DeviceType() {}

void DeviceType::setDeviceTypeId(int p_nId) { m_nId = p_nId; }

int DeviceType::getDeviceTypeId() const { return m_nId; }
