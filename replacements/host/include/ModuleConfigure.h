// Host framework replacement: one module's configuration and its parser.
#ifndef ZTHOST_MODULE_CONFIGURE_H
#define ZTHOST_MODULE_CONFIGURE_H

#include <string>
#include <vector>

class ModuleConfigure {
public:
    ModuleConfigure();
    ~ModuleConfigure();

    int getModuleId() const;
    std::string getParameters() const;
    std::string getDetail() const;
    void setModuleId(int p_nId);
    void setParameters(const std::string& p_strParameters);
    void setDetail(const std::string& p_strDetail);

private:
    int m_nModuleId;
    std::string m_strParameters;
    std::string m_strDetail;
};

// Reads the module configuration document:
//   <moduleConfig>
//     <module id="1" hardwareModel="Hi3516AV200" hardwareCode="IPC-B2-IR">
//       <parameters>...</parameters>
//       <detail>(max_scheme=4)(isInfrared=1)(lensId=3)</detail>
//     </module>
//   </moduleConfig>
// A module element without hardwareModel or hardwareCode matches every machine.
class ModuleConfigureParser {
public:
    // Appends the modules that match the hardware model and code, in document
    // order; false when the document cannot be read.
    static bool parse(const std::string& p_strPath, const std::string& p_strHardwareModel,
                      const std::string& p_strHardwareCode, std::vector<ModuleConfigure>& p_vecModules);
};

#endif
