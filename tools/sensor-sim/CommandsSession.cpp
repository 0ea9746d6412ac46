// Commands on the session: the channel, tracing, the library's debug level,
// the working root's files, help and the end.
#include <unistd.h>

#include <cstdlib>

#include "Commands.h"
#include "DeviceSetup.h"
#include "FileTree.h"
#include "Output.h"
#include "Values.h"
#include "platform/CameraPaths.h"

namespace sensorsim {

namespace {

std::string channelList(const Session& p_objSession) {
    std::string strList;
    for (const Channel& stChannel : p_objSession.channels) {
        if (!strList.empty()) strList += ", ";
        strList += "ch" + std::to_string(stChannel.number);
        std::string strNote = stChannel.ispProfile;
        if (stChannel.thermal) strNote += strNote.empty() ? "thermal" : ", thermal";
        if (!strNote.empty()) strList += " (" + strNote + ")";
    }
    return strList;
}

}  // namespace

bool runChannel(Session& p_objSession, const Args& p_vecArgs) {
    if (!p_vecArgs.empty()) {
        const long long nNumber = parseInteger(p_vecArgs[0], "channel");
        size_t nFound = p_objSession.channels.size();
        for (size_t i = 0; i < p_objSession.channels.size(); ++i)
            if (p_objSession.channels[i].number == nNumber) nFound = i;
        if (nFound == p_objSession.channels.size())
            throw InputError("no channel " + p_vecArgs[0] + " (channels: " + channelList(p_objSession) + ")");
        p_objSession.current = nFound;
    }
    out::linef("channels: %s; commands act on %s", channelList(p_objSession).c_str(), p_objSession.tag().c_str());
    return true;
}

bool runStatus(Session& p_objSession, const Args&) {
    printChannelSummary(p_objSession, p_objSession.channel());
    return true;
}

bool runTrace(Session& p_objSession, const Args& p_vecArgs) {
    if (!p_vecArgs.empty()) p_objSession.trace = parseSwitch(p_vecArgs[0], "trace");
    out::linef("trace %s", p_objSession.trace ? "on: ISP calls and video notifications are shown" : "off");
    return true;
}

bool runDebug(Session& p_objSession, const Args& p_vecArgs) {
    const std::string strControl = p_objSession.hostPath(camerapath::DEBUG_CONTROL_FILE);
    if (!p_vecArgs.empty() && p_vecArgs[0] == "off") {
        if (p_vecArgs.size() > 1) throw InputError("debug off takes nothing after it");
        unlink(strControl.c_str());
    } else if (!p_vecArgs.empty()) {
        const int nLevel = parseValue(p_vecArgs[0], "debug level");
        bool bAbort = false;
        if (p_vecArgs.size() == 2) {
            if (p_vecArgs[1] != "abort") throw InputError("expected 'abort', not '" + p_vecArgs[1] + "'");
            bAbort = true;
        }
        if (!writeWholeFile(strControl, std::to_string(nLevel) + "\n" + (bAbort ? "1" : "0") + "\n"))
            throw InputError("cannot write " + strControl);
    }
    std::string strContent;
    if (!readWholeFile(strControl, strContent)) {
        out::linef("debug level 1, failed assertions go on (no %s)", camerapath::DEBUG_CONTROL_FILE);
        return true;
    }
    const size_t nLineEnd = strContent.find('\n');
    const std::string strLevel = strContent.substr(0, nLineEnd);
    const std::string strAbort = nLineEnd == std::string::npos ? "" : strContent.substr(nLineEnd + 1);
    out::linef("debug level %d, failed assertions %s (%s)", strLevel.empty() ? 1 : std::atoi(strLevel.c_str()),
               std::atoi(strAbort.c_str()) != 0 ? "end the process" : "go on", camerapath::DEBUG_CONTROL_FILE);
    return true;
}

bool runFiles(Session& p_objSession, const Args&) {
    const TreeSnapshot mapFiles = snapshotTree(p_objSession.root, nullptr);
    for (const auto& file : mapFiles) out::linef("  %8lld  %s", file.second.size, file.first.c_str());
    out::linef("%zu files under %s", mapFiles.size(), p_objSession.root.c_str());
    return true;
}

bool runEcho(Session&, const Args& p_vecArgs) {
    std::string strText;
    for (const std::string& strArg : p_vecArgs) strText += (strText.empty() ? "" : " ") + strArg;
    out::line(strText);
    return true;
}

bool runHelp(Session&, const Args& p_vecArgs) {
    if (p_vecArgs.empty()) {
        out::raw("Commands (keys by number or name, e.g. 34, brightness, KEY_BRIGHTNESS):\n" + commandsHelp());
        return true;
    }
    const CommandEntry* pEntry = findCommand(p_vecArgs[0]);
    if (pEntry == nullptr) throw InputError("unknown command '" + p_vecArgs[0] + "' ('help' lists them)");
    std::string strHead = std::string("  ") + pEntry->name;
    if (pEntry->arguments[0] != '\0') strHead += std::string(" ") + pEntry->arguments;
    out::raw(wrapHelp(strHead, pEntry->help, 30));
    return true;
}

bool runQuit(Session& p_objSession, const Args&) {
    p_objSession.quit = true;
    return true;
}

}  // namespace sensorsim
