// Recording and describing the effects of a command.
#include "Trace.h"

#include <cstdint>
#include <cstring>

#include "KeyNames.h"
#include "Output.h"
#include "ia_ioctrl.h"
#include "platform/CameraPaths.h"

namespace sensorsim {

IspRecorder::~IspRecorder() { uninstall(); }

void IspRecorder::install() {
    ispsim::setCallObserver(&IspRecorder::observe, this);
    m_bInstalled = true;
}

void IspRecorder::uninstall() {
    if (!m_bInstalled) return;
    ispsim::setCallObserver(nullptr, nullptr);
    m_bInstalled = false;
}

std::vector<ispsim::Call> IspRecorder::take() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<ispsim::Call> vecCalls;
    vecCalls.swap(m_vecCalls);
    return vecCalls;
}

void IspRecorder::observe(const ispsim::Call& p_stCall, void* p_pContext) {
    IspRecorder* pRecorder = static_cast<IspRecorder*>(p_pContext);
    std::lock_guard<std::mutex> guard(pRecorder->m_mutex);
    pRecorder->m_vecCalls.push_back(p_stCall);
}

namespace {

const char* optionName(unsigned int p_nOption) {
    switch (p_nOption) {
        case IA_CMD_OPT_SET:
            return "set";
        case IA_CMD_OPT_GET:
            return "get";
        case IA_CMD_OPT_GET_PARAM_RNAGE:
            return "range";
        case IA_CMD_OPT_CORRECT_PARAM:
            return "correct";
        case IA_CMD_OPT_GET_STATUS:
            return "status";
        default:
            return "option?";
    }
}

int32_t word(const std::vector<uint8_t>& p_vecData, size_t p_nIndex) {
    int32_t nWord = 0;
    if ((p_nIndex + 1) * 4 <= p_vecData.size()) std::memcpy(&nWord, p_vecData.data() + p_nIndex * 4, 4);
    return nWord;
}

std::string words(const std::vector<uint8_t>& p_vecData, size_t p_nFirst, size_t p_nCount) {
    std::string strText;
    for (size_t i = 0; i < p_nCount; ++i) {
        if (i != 0) strText += " ";
        strText += std::to_string(word(p_vecData, p_nFirst + i));
    }
    return strText;
}

std::string dataText(const ispsim::Call& p_stCall) {
    const std::vector<uint8_t>& in = p_stCall.dataIn;
    const std::vector<uint8_t>& out = p_stCall.dataOut;
    if (p_stCall.cmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET && out.size() == sizeof(ia_dynamic_params_cmds_st)) {
        ia_dynamic_params_cmds_st stList;
        std::memcpy(&stList, out.data(), sizeof(stList));
        const int nCount =
            stList.cmd_cnt < 0
                ? 0
                : (stList.cmd_cnt > IA_DYNAMIC_PARAMS_CMDS_MAX ? IA_DYNAMIC_PARAMS_CMDS_MAX : stList.cmd_cnt);
        return "answer: commands " + words(out, 1, static_cast<size_t>(nCount));
    }
    if (p_stCall.option == IA_CMD_OPT_GET_PARAM_RNAGE && out.size() == sizeof(ia_dynamic_params_attr_st)) {
        ia_dynamic_params_attr_st stRange;
        std::memcpy(&stRange, out.data(), sizeof(stRange));
        const int nItems =
            stRange.items_cnt < 0
                ? 0
                : (stRange.items_cnt > IA_DYNAMIC_PARAMS_ITEMS_MAX ? IA_DYNAMIC_PARAMS_ITEMS_MAX : stRange.items_cnt);
        std::string strText = "answer: type " + std::to_string(stRange.attr_type) + ", default " +
                              std::to_string(stRange.def_val) + ", " + std::to_string(stRange.min_val) + " to " +
                              std::to_string(stRange.max_val);
        if (stRange.attr_type == 0) strText += ", items " + words(out, 5, static_cast<size_t>(nItems));
        return strText;
    }
    if (in.size() == 4 || (in.empty() && out.size() == 4)) {
        if (p_stCall.option == IA_CMD_OPT_SET) return std::to_string(p_stCall.valueIn());
        if (p_stCall.option == IA_CMD_OPT_CORRECT_PARAM)
            return std::to_string(p_stCall.valueIn()) + ", answer " + std::to_string(p_stCall.valueOut());
        return "answer " + std::to_string(p_stCall.valueOut());
    }
    if (in.empty()) return "no data";
    if (p_stCall.option != IA_CMD_OPT_SET && !out.empty() && std::memchr(out.data(), '\0', out.size()) != nullptr &&
        out[0] >= 0x20 && out[0] < 0x7f)
        return "answer \"" + std::string(reinterpret_cast<const char*>(out.data())) + "\"";
    const size_t nWords = in.size() / 4;
    const size_t nShown = nWords > 8 ? 8 : nWords;
    std::string strText = "record of " + std::to_string(in.size()) + " bytes: " + words(in, 0, nShown);
    if (nShown < nWords) strText += " ...";
    if (p_stCall.option != IA_CMD_OPT_SET) strText += "; answer " + words(out, 0, nShown);
    return strText;
}

// Key and value of each record of a scheme file.
std::vector<std::pair<uint32_t, int32_t>> records(const std::string& p_strBytes) {
    std::vector<std::pair<uint32_t, int32_t>> vecRecords;
    for (size_t i = 0; i + 8 <= p_strBytes.size(); i += 8) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strBytes.data()) + i;
        // Stored little-endian whatever this machine is.
        const uint32_t nKey = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        const uint32_t nValue = p[4] | (p[5] << 8) | (p[6] << 16) | (static_cast<uint32_t>(p[7]) << 24);
        vecRecords.emplace_back(nKey, static_cast<int32_t>(nValue));
    }
    return vecRecords;
}

bool isSchemeFile(const std::string& p_strCameraPath) {
    // Both scheme file names begin with the visible name up to its first field.
    const std::string strDir(camerapath::VISIBLE_SCHEME_FILE, std::strchr(camerapath::VISIBLE_SCHEME_FILE, '%'));
    return p_strCameraPath.compare(0, strDir.size(), strDir) == 0 && p_strCameraPath.size() > 4 &&
           p_strCameraPath.compare(p_strCameraPath.size() - 4, 4, ".cfg") == 0;
}

std::string counted(size_t p_nCount, const char* p_szOne, const char* p_szMany) {
    return std::to_string(p_nCount) + " " + (p_nCount == 1 ? p_szOne : p_szMany);
}

}  // namespace

std::string describeIspCall(const ispsim::Call& p_stCall) {
    std::string strName = commandName(p_stCall.cmd);
    std::string strText = "isp ch" + std::to_string(p_stCall.channel + 1) + " " + optionName(p_stCall.option) + " " +
                          std::to_string(p_stCall.cmd);
    if (!strName.empty()) strText += " " + strName;
    strText += ": " + dataText(p_stCall);
    strText += p_stCall.status == 0 ? " -> ok" : " -> failed, status " + std::to_string(p_stCall.status);
    return strText;
}

std::string describeNotification(const SimulatedVideoModule::Notification& p_stNotification) {
    return "video ch" + std::to_string(p_stNotification.channel) + " notified " +
           keyLabel(static_cast<unsigned int>(p_stNotification.key)) + " = " + std::to_string(p_stNotification.value);
}

bool keepsContent(const std::string& p_strCameraPath) {
    return isSchemeFile(p_strCameraPath) || p_strCameraPath == camerapath::VERSION_FILE;
}

std::vector<std::string> describeFileChange(const FileChange& p_stChange) {
    std::vector<std::string> vecLines;
    const char* szKind = p_stChange.kind == FileChange::Created   ? "created"
                         : p_stChange.kind == FileChange::Written ? "written"
                                                                  : "removed";
    std::string strLine = std::string("file ") + szKind + " " + p_stChange.path;
    if (p_stChange.kind == FileChange::Removed) {
        vecLines.push_back(strLine);
        return vecLines;
    }
    const FileState& stAfter = p_stChange.after;
    if (p_stChange.path == camerapath::VERSION_FILE && stAfter.hasContent && stAfter.content.size() >= 4) {
        const std::string& b = stAfter.content;
        const uint32_t nVersion = static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8) |
                                  (static_cast<unsigned char>(b[2]) << 16) |
                                  (static_cast<uint32_t>(static_cast<unsigned char>(b[3])) << 24);
        vecLines.push_back(strLine + " (version " + std::to_string(nVersion) + ")");
        return vecLines;
    }
    if (!isSchemeFile(p_stChange.path) || !stAfter.hasContent) {
        vecLines.push_back(strLine + " (" + std::to_string(stAfter.size) + " bytes)");
        return vecLines;
    }
    const auto vecAfter = records(stAfter.content);
    if (p_stChange.kind == FileChange::Created || !p_stChange.before.hasContent) {
        vecLines.push_back(strLine + " (" + counted(vecAfter.size(), "record", "records") + ")");
        return vecLines;
    }
    const auto vecBefore = records(p_stChange.before.content);
    std::vector<std::string> vecChanged;
    for (size_t i = 0; i < vecAfter.size(); ++i) {
        const bool bSameKey = i < vecBefore.size() && vecBefore[i].first == vecAfter[i].first;
        if (bSameKey && vecBefore[i].second == vecAfter[i].second) continue;
        if (bSameKey)
            vecChanged.push_back(keyLabel(vecAfter[i].first) + " " + std::to_string(vecBefore[i].second) + " -> " +
                                 std::to_string(vecAfter[i].second));
        else
            vecChanged.push_back(keyLabel(vecAfter[i].first) + " = " + std::to_string(vecAfter[i].second) +
                                 " (record " + std::to_string(i) + " was another key)");
    }
    strLine += " (" + counted(vecAfter.size(), "record", "records") + ", ";
    if (vecChanged.empty()) {
        vecLines.push_back(strLine + "no value changed)");
        return vecLines;
    }
    vecLines.push_back(strLine + std::to_string(vecChanged.size()) + " changed)");
    const size_t nShown = vecChanged.size() > 12 ? 10 : vecChanged.size();
    for (size_t i = 0; i < nShown; ++i) vecLines.push_back("  " + vecChanged[i]);
    if (nShown < vecChanged.size())
        vecLines.push_back("  ... and " + std::to_string(vecChanged.size() - nShown) + " more");
    return vecLines;
}

EffectWatch::EffectWatch(const std::string& p_strRoot, IspRecorder& p_objIsp, const SimulatedVideoModule& p_objVideo)
    : m_strRoot(p_strRoot),
      m_objIsp(p_objIsp),
      m_objVideo(p_objVideo),
      m_nNotificationsBefore(p_objVideo.notifications().size()),
      m_mapBefore(snapshotTree(p_strRoot, &keepsContent)),
      m_objWrites(p_strRoot) {
    m_objIsp.take();
}

std::vector<std::string> EffectWatch::fileLines() {
    const TreeSnapshot mapAfter = snapshotTree(m_strRoot, &keepsContent);
    std::vector<std::string> vecLines;
    for (const FileChange& change : diffTrees(m_mapBefore, mapAfter, m_objWrites.written()))
        for (const std::string& strLine : describeFileChange(change)) vecLines.push_back(strLine);
    return vecLines;
}

void EffectWatch::report(bool p_bTrace, const std::string& p_strLabel) {
    const std::vector<ispsim::Call> vecCalls = m_objIsp.take();
    const std::vector<SimulatedVideoModule::Notification> vecAll = m_objVideo.notifications();
    const size_t nNew = vecAll.size() > m_nNotificationsBefore ? vecAll.size() - m_nNotificationsBefore : 0;
    const std::string strLabel = p_strLabel.empty() ? "" : p_strLabel + ": ";
    if (p_bTrace) {
        if (!strLabel.empty()) out::line("  " + p_strLabel + ":");
        for (const ispsim::Call& call : vecCalls) out::line("  " + describeIspCall(call));
        for (size_t i = m_nNotificationsBefore; i < vecAll.size(); ++i)
            out::line("  " + describeNotification(vecAll[i]));
    } else if (!vecCalls.empty() || nNew != 0) {
        size_t nSets = 0;
        for (const ispsim::Call& call : vecCalls)
            if (call.option == IA_CMD_OPT_SET) ++nSets;
        out::line("  " + strLabel + counted(vecCalls.size(), "ISP call", "ISP calls") + " (" + std::to_string(nSets) +
                  " set), " + counted(nNew, "video notification", "video notifications") + "; 'trace on' shows them");
    }
    for (const std::string& strLine : fileLines()) out::line("  " + strLine);
}

}  // namespace sensorsim
