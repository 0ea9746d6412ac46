// Commands on the UI style and the device controls: lens (zoom, focus, iris),
// illuminators and shutter stepping.
#include <cstdio>
#include <initializer_list>

#include "Commands.h"
#include "FileTree.h"
#include "Output.h"
#include "Results.h"
#include "Values.h"

namespace sensorsim {

namespace {

[[noreturn]] void unknownAction(const Args& p_vecArgs, const std::string& p_strUsage) {
    throw InputError("unknown action '" + p_vecArgs[0] + "': " + p_strUsage);
}

// The words of a sub-command: one of the actions, with a value where one is
// needed and none where not.
void expectAction(const Args& p_vecArgs, std::initializer_list<const char*> p_listActions, bool p_bWanted,
                  const std::string& p_strUsage) {
    bool bKnown = false;
    for (const char* szAction : p_listActions) bKnown = bKnown || p_vecArgs[0] == szAction;
    if (!bKnown) unknownAction(p_vecArgs, p_strUsage);
    if (p_bWanted && p_vecArgs.size() != 2) throw InputError(p_vecArgs[0] + " needs a value: " + p_strUsage);
    if (!p_bWanted && p_vecArgs.size() != 1) throw InputError(p_vecArgs[0] + " takes no value: " + p_strUsage);
}

bool report(Session& p_objSession, const std::string& p_strWhat, bool p_bOk) {
    out::linef("%s %s: %s", p_objSession.tag().c_str(), p_strWhat.c_str(), doneOrFailed(p_bOk).c_str());
    return p_bOk;
}

bool reportValue(Session& p_objSession, const std::string& p_strWhat, bool p_bOk, const std::string& p_strValue) {
    if (p_bOk)
        out::linef("%s %s %s", p_objSession.tag().c_str(), p_strWhat.c_str(), p_strValue.c_str());
    else
        out::linef("%s read the %s: failed", p_objSession.tag().c_str(), p_strWhat.c_str());
    return p_bOk;
}

std::string fNumber(int p_nValue) {
    char szText[48];
    std::snprintf(szText, sizeof(szText), "F%.1f (%d)", static_cast<double>(p_nValue) / 256.0, p_nValue);
    return szText;
}

}  // namespace

bool runStyle(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strStyle = p_objSession.controller().getUIStyleFile();
    if (strStyle.empty()) {
        out::linef("%s style: failed (the controller returned an empty style)", p_objSession.tag().c_str());
        return false;
    }
    if (p_vecArgs.empty()) {
        out::raw(strStyle.back() == '\n' ? strStyle : strStyle + "\n");
        out::linef("%s style: %zu bytes", p_objSession.tag().c_str(), strStyle.size());
        return true;
    }
    if (!writeWholeFile(p_vecArgs[0], strStyle)) throw InputError("cannot write " + p_vecArgs[0]);
    out::linef("%s style: %zu bytes written to %s", p_objSession.tag().c_str(), strStyle.size(), p_vecArgs[0].c_str());
    return true;
}

bool runZoom(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strUsage = "zoom in|out|get|set POSITION";
    ISensorController& objController = p_objSession.controller();
    const std::string& strAction = p_vecArgs[0];
    expectAction(p_vecArgs, {"in", "out", "get", "set"}, strAction == "set", strUsage);
    if (strAction == "in") return report(p_objSession, "zoom in", objController.zoomIn());
    if (strAction == "out") return report(p_objSession, "zoom out", objController.zoomOut());
    if (strAction == "set") {
        const int nPosition = parseValue(p_vecArgs[1], "zoom position");
        return report(p_objSession, "zoom to position " + std::to_string(nPosition),
                      objController.setZoomValue(nPosition));
    }
    int nPosition = 0;
    int nRatio = 0;
    const bool bOk = objController.getZoomValue(nPosition, nRatio);
    char szText[80];
    std::snprintf(szText, sizeof(szText), "position %d, ratio %d.%03dx", nPosition, nRatio / 1000, nRatio % 1000);
    return reportValue(p_objSession, "zoom", bOk, szText);
}

bool runFocus(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strUsage = "focus near|far|get|set POSITION|mode [N]";
    ISensorController& objController = p_objSession.controller();
    const std::string& strAction = p_vecArgs[0];
    if (strAction == "mode") {
        if (p_vecArgs.size() == 2) {
            const int nMode = parseValue(p_vecArgs[1], "focus mode");
            return report(p_objSession, "focus mode " + std::to_string(nMode), objController.setFocusMode(nMode));
        }
        int nMode = 0;
        const bool bOk = objController.getFocusMode(nMode);
        return reportValue(p_objSession, "focus mode", bOk, std::to_string(nMode));
    }
    expectAction(p_vecArgs, {"near", "far", "get", "set"}, strAction == "set", strUsage);
    if (strAction == "near") return report(p_objSession, "focus near", objController.focusNear());
    if (strAction == "far") return report(p_objSession, "focus far", objController.focusFar());
    if (strAction == "set") {
        const int nPosition = parseValue(p_vecArgs[1], "focus position");
        return report(p_objSession, "focus to position " + std::to_string(nPosition),
                      objController.setFocusValue(nPosition));
    }
    int nPosition = 0;
    const bool bOk = objController.getFocusValue(nPosition);
    return reportValue(p_objSession, "focus position", bOk, std::to_string(nPosition));
}

bool runIris(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strUsage = "iris up|down|get|set VALUE";
    ISensorController& objController = p_objSession.controller();
    const std::string& strAction = p_vecArgs[0];
    expectAction(p_vecArgs, {"up", "down", "get", "set"}, strAction == "set", strUsage);
    if (strAction == "up") return report(p_objSession, "iris up", objController.irisUp());
    if (strAction == "down") return report(p_objSession, "iris down", objController.irisDown());
    if (strAction == "set") {
        const int nValue = parseValue(p_vecArgs[1], "iris value");
        return report(p_objSession, "iris to " + fNumber(nValue), objController.setIrisValue(nValue));
    }
    int nValue = 0;
    const bool bOk = objController.getIrisValue(nValue);
    return reportValue(p_objSession, "iris", bOk, fNumber(nValue));
}

bool runLight(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strUsage = "light ir|white|whitemode|type [VALUE]";
    ISensorController& objController = p_objSession.controller();
    const std::string& strWhich = p_vecArgs[0];
    typedef bool (ISensorController::*Getter)(int&);
    typedef bool (ISensorController::*Setter)(int);
    Getter pGet = nullptr;
    Setter pSet = nullptr;
    std::string strWhat;
    bool bSwitch = false;
    if (strWhich == "ir") {
        pGet = &ISensorController::getIRSwitch;
        pSet = &ISensorController::setIRSwitch;
        strWhat = "infrared light";
        bSwitch = true;
    } else if (strWhich == "white") {
        pGet = &ISensorController::getWhiteSwitch;
        pSet = &ISensorController::setWhiteSwitch;
        strWhat = "white light";
        bSwitch = true;
    } else if (strWhich == "whitemode") {
        pGet = &ISensorController::getWhiteMode;
        pSet = &ISensorController::setWhiteMode;
        strWhat = "white-light mode";
    } else if (strWhich == "type") {
        pGet = &ISensorController::getLightType;
        pSet = &ISensorController::setLightType;
        strWhat = "light type";
    } else {
        unknownAction(p_vecArgs, strUsage);
    }
    if (p_vecArgs.size() == 2) {
        const int nValue = bSwitch ? (parseSwitch(p_vecArgs[1], strWhat) ? 1 : 0) : parseValue(p_vecArgs[1], strWhat);
        return report(p_objSession, strWhat + " " + (bSwitch ? onOff(nValue) : std::to_string(nValue)),
                      (objController.*pSet)(nValue));
    }
    int nValue = 0;
    const bool bOk = (objController.*pGet)(nValue);
    return reportValue(p_objSession, strWhat, bOk, bSwitch ? onOff(nValue) : std::to_string(nValue));
}

bool runShutter(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strUsage = "shutter up|down|get|set INDEX";
    ISensorController& objController = p_objSession.controller();
    const std::string& strAction = p_vecArgs[0];
    expectAction(p_vecArgs, {"up", "down", "get", "set"}, strAction == "set", strUsage);
    bool bOk = false;
    if (strAction == "up") {
        bOk = report(p_objSession, "shutter up", objController.shutterUp());
    } else if (strAction == "down") {
        bOk = report(p_objSession, "shutter down", objController.shutterDown());
    } else if (strAction == "set") {
        const int nIndex = parseValue(p_vecArgs[1], "shutter index");
        bOk = report(p_objSession, "shutter to index " + std::to_string(nIndex), objController.setShutterValue(nIndex));
    } else {
        int nIndex = -1;
        bOk = objController.getShutterValue(nIndex);
        if (!bOk) {
            out::linef("%s shutter: the ISP's value is not one of the allowed ones, or was not read",
                       p_objSession.tag().c_str());
            return false;
        }
        out::linef("%s shutter index %d", p_objSession.tag().c_str(), nIndex);
    }
    int nValue = 0;
    if (bOk && objController.getParameter(KEY_MAX_SHUTTER, nValue))
        out::linef("%s %s = %d", p_objSession.tag().c_str(), keyLabel(KEY_MAX_SHUTTER).c_str(), nValue);
    return bOk;
}

}  // namespace sensorsim
