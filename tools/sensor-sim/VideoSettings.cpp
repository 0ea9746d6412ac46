// video.ini: the simulated video module's streams and limited-frames answer.
#include "VideoSettings.h"

#include <fstream>

#include "SimulatedVideoModule.h"
#include "Values.h"

namespace sensorsim {

namespace {

std::string trim(const std::string& p_strText) {
    const size_t nFirst = p_strText.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos) return "";
    const size_t nLast = p_strText.find_last_not_of(" \t\r");
    return p_strText.substr(nFirst, nLast - nFirst + 1);
}

int readInt(const std::string& p_strText, const std::string& p_strWhat) {
    return static_cast<int>(parseInteger(trim(p_strText), p_strWhat));
}

}  // namespace

bool readVideoSettings(const std::string& p_strPath, VideoSettings& p_stSettings, std::string& p_strError) {
    std::ifstream in(p_strPath);
    if (!in) {
        p_strError = "cannot read " + p_strPath;
        return false;
    }
    std::string strLine;
    int nLine = 0;
    while (std::getline(in, strLine)) {
        ++nLine;
        const size_t nHash = strLine.find('#');
        if (nHash != std::string::npos) strLine.erase(nHash);
        strLine = trim(strLine);
        if (strLine.empty()) continue;
        const std::string strWhere = p_strPath + ":" + std::to_string(nLine) + ": ";
        const size_t nEquals = strLine.find('=');
        if (nEquals == std::string::npos) {
            p_strError = strWhere + "expected name=value";
            return false;
        }
        const std::string strName = trim(strLine.substr(0, nEquals));
        const std::string strValue = trim(strLine.substr(nEquals + 1));
        try {
            if (strName == "hardwareModel") {
                p_stSettings.hardwareModel = strValue;
            } else if (strName == "stream") {
                const size_t nComma = strValue.find(',');
                if (nComma == std::string::npos) throw InputError("stream needs 'encoder type,picture height'");
                p_stSettings.streams.emplace_back(readInt(strValue.substr(0, nComma), "encoder type"),
                                                  readInt(strValue.substr(nComma + 1), "picture height"));
            } else if (strName == "limitFramesModeId") {
                p_stSettings.limitFramesModeId = readInt(strValue, "limitFramesModeId");
            } else if (strName == "limitWdr") {
                p_stSettings.limitWdr = readInt(strValue, "limitWdr");
            } else {
                throw InputError("unknown setting '" + strName + "'");
            }
        } catch (const InputError& e) {
            p_strError = strWhere + e.what();
            return false;
        }
    }
    return true;
}

void applyVideoSettings(const VideoSettings& p_stSettings, SimulatedVideoModule& p_objVideo) {
    std::vector<AVStreamParam> vecStreams;
    for (const auto& stream : p_stSettings.streams) vecStreams.emplace_back(stream.first, stream.second);
    p_objVideo.setStreams(vecStreams);
    p_objVideo.setLimitedFrames(p_stSettings.limitFramesModeId, p_stSettings.limitWdr);
}

std::string describeStreams(const VideoSettings& p_stSettings) {
    if (p_stSettings.streams.empty()) return "no streams";
    std::string strText;
    for (size_t i = 0; i < p_stSettings.streams.size(); ++i) {
        if (i != 0) strText += ", ";
        strText += std::to_string(p_stSettings.streams[i].second) + " lines (encoder " +
                   std::to_string(p_stSettings.streams[i].first) + ")";
    }
    return strText;
}

}  // namespace sensorsim
