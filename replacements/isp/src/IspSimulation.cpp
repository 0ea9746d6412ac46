// The simulated ISP behind ia_ioctrl_v2: per-channel command values, ranges
// and answers from a sensor profile, a record of every call and injected
// faults.
#include "IspSimulation.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

#include <tinyxml.h>

namespace ispsim {
namespace {

// Commands whose data is a record rather than one word.
const int kDnThrCommands[] = {145, 146, 154};
const int kDnTimeFirst = 149;
const int kDnTimeLast = 152;
const int kLensVersionCommand = 2496;
// The infrared LED record's layout belongs to the host; nothing of it is read.
const int kIrLedInfoCommand = 178;
const unsigned int kLensVersionBytes = 50;
const unsigned int kSensorCheckBytes = 16;
const unsigned int kDnThrBytes = 12;
const unsigned int kDnTimeBytes = 16;
const unsigned int kWordBytes = 4;

struct ChannelState {
    SensorProfile stProfile;
    std::map<int, std::vector<uint8_t>> mapData;
};

struct State {
    std::mutex mutex;
    std::map<int, ChannelState> mapChannels;
    std::map<std::pair<int, int>, int> mapCommandFaults;
    long nCallBudget = -1;
    int nBudgetStatus = 0;
    std::vector<Call> vecCalls;
    CallObserver pObserver = nullptr;
    void* pObserverContext = nullptr;
};

State& state() {
    static State s_state;
    return s_state;
}

bool isDnThrCommand(int p_nCmd) {
    for (int nCmd : kDnThrCommands)
        if (nCmd == p_nCmd) return true;
    return false;
}

// Bytes behind the data pointer for a command and option; 0 for an unknown
// option, which is refused.
unsigned int dataSize(int p_nCmd, unsigned int p_nOption) {
    switch (p_nOption) {
        case IA_CMD_OPT_GET_PARAM_RNAGE:
            return sizeof(ia_dynamic_params_attr_st);
        case IA_CMD_OPT_CORRECT_PARAM:
        case IA_CMD_OPT_GET_STATUS:
            return kWordBytes;
        case IA_CMD_OPT_SET:
        case IA_CMD_OPT_GET:
            break;
        default:
            return 0;
    }
    if (p_nCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET && p_nOption == IA_CMD_OPT_GET)
        return sizeof(ia_dynamic_params_cmds_st);
    if (isDnThrCommand(p_nCmd)) return kDnThrBytes;
    if (p_nCmd >= kDnTimeFirst && p_nCmd <= kDnTimeLast) return kDnTimeBytes;
    if (p_nCmd == IA_CMD_SENSOR_CHECK) return kSensorCheckBytes;
    if (p_nCmd == kLensVersionCommand && p_nOption == IA_CMD_OPT_GET) return kLensVersionBytes;
    if (p_nCmd == kIrLedInfoCommand) return 0;
    return kWordBytes;
}

void putWord(std::vector<uint8_t>& p_vecBytes, size_t p_nIndex, int32_t p_nValue) {
    if ((p_nIndex + 1) * sizeof(int32_t) <= p_vecBytes.size())
        memcpy(&p_vecBytes[p_nIndex * sizeof(int32_t)], &p_nValue, sizeof(int32_t));
}

int32_t getWord(const std::vector<uint8_t>& p_vecBytes, size_t p_nIndex) {
    int32_t nValue = 0;
    if ((p_nIndex + 1) * sizeof(int32_t) <= p_vecBytes.size())
        memcpy(&nValue, &p_vecBytes[p_nIndex * sizeof(int32_t)], sizeof(int32_t));
    return nValue;
}

const Range* findRange(const ChannelState& p_stChannel, int p_nCmd) {
    for (const Range& stRange : p_stChannel.stProfile.ranges)
        if (stRange.cmd == p_nCmd) return &stRange;
    return nullptr;
}

// What a get answers for a command never set: the profile's initial value,
// else its range's default, else 0.
int32_t initialValue(const ChannelState& p_stChannel, int p_nCmd) {
    for (const std::pair<int, int>& stValue : p_stChannel.stProfile.initialValues)
        if (stValue.first == p_nCmd) return stValue.second;
    const Range* pRange = findRange(p_stChannel, p_nCmd);
    return pRange != nullptr ? pRange->defaultValue : 0;
}

int32_t corrected(const Range& p_stRange, int32_t p_nValue) {
    if (p_stRange.attrType == 0 && !p_stRange.items.empty()) {
        int32_t nBest = p_stRange.items[0];
        long long nBestDistance = -1;
        for (int nItem : p_stRange.items) {
            long long nDistance = static_cast<long long>(nItem) - p_nValue;
            if (nDistance < 0) nDistance = -nDistance;
            // The first of equally near items wins, so ties resolve in list order.
            if (nBestDistance < 0 || nDistance < nBestDistance) {
                nBest = nItem;
                nBestDistance = nDistance;
            }
        }
        return nBest;
    }
    if (p_nValue < p_stRange.minValue) return p_stRange.minValue;
    if (p_nValue > p_stRange.maxValue) return p_stRange.maxValue;
    return p_nValue;
}

void fillRange(const Range& p_stRange, std::vector<uint8_t>& p_vecData) {
    ia_dynamic_params_attr_st stAttr;
    memset(&stAttr, 0, sizeof(stAttr));
    stAttr.attr_type = p_stRange.attrType;
    stAttr.def_val = p_stRange.defaultValue;
    stAttr.min_val = p_stRange.minValue;
    stAttr.max_val = p_stRange.maxValue;
    size_t nCount = p_stRange.items.size();
    if (nCount > IA_DYNAMIC_PARAMS_ITEMS_MAX) nCount = IA_DYNAMIC_PARAMS_ITEMS_MAX;
    stAttr.items_cnt = static_cast<int>(nCount);
    for (size_t i = 0; i < nCount; ++i) stAttr.item[i] = p_stRange.items[i];
    memcpy(p_vecData.data(), &stAttr, sizeof(stAttr));
}

void fillCommandList(const ChannelState& p_stChannel, std::vector<uint8_t>& p_vecData) {
    ia_dynamic_params_cmds_st stList;
    memset(&stList, 0, sizeof(stList));
    for (const Range& stRange : p_stChannel.stProfile.ranges) {
        if (stList.cmd_cnt >= IA_DYNAMIC_PARAMS_CMDS_MAX) break;
        stList.cmd_list[stList.cmd_cnt++] = stRange.cmd;
    }
    memcpy(p_vecData.data(), &stList, sizeof(stList));
}

// Carries out one call on the data copy; the caller's memory is written only
// from the copy, and only on success.
int execute(ChannelState& p_stChannel, int p_nCmd, unsigned int p_nOption, std::vector<uint8_t>& p_vecData) {
    switch (p_nOption) {
        case IA_CMD_OPT_SET:
            p_stChannel.mapData[p_nCmd] = p_vecData;
            return 0;
        case IA_CMD_OPT_GET: {
            if (p_nCmd == IA_CMD_DYNAMIC_PARAMS_CMDS_GET) {
                fillCommandList(p_stChannel, p_vecData);
                return 0;
            }
            if (p_nCmd == IA_CMD_SENSOR_CHECK) {
                p_stChannel.mapData[p_nCmd] = p_vecData;
                putWord(p_vecData, 3, p_stChannel.stProfile.sensorCheckAnswer);
                return 0;
            }
            if (p_nCmd == kLensVersionCommand) {
                std::fill(p_vecData.begin(), p_vecData.end(), 0);
                const std::string& strVersion = p_stChannel.stProfile.lensVersion;
                const size_t nLength =
                    strVersion.size() < kLensVersionBytes - 1 ? strVersion.size() : kLensVersionBytes - 1;
                memcpy(p_vecData.data(), strVersion.data(), nLength);
                return 0;
            }
            std::map<int, std::vector<uint8_t>>::const_iterator it = p_stChannel.mapData.find(p_nCmd);
            std::fill(p_vecData.begin(), p_vecData.end(), 0);
            if (it != p_stChannel.mapData.end())
                memcpy(p_vecData.data(), it->second.data(), std::min(it->second.size(), p_vecData.size()));
            else
                putWord(p_vecData, 0, initialValue(p_stChannel, p_nCmd));
            return 0;
        }
        case IA_CMD_OPT_GET_PARAM_RNAGE: {
            const Range* pRange = findRange(p_stChannel, p_nCmd);
            if (pRange == nullptr) return -1;
            fillRange(*pRange, p_vecData);
            return 0;
        }
        case IA_CMD_OPT_CORRECT_PARAM: {
            const Range* pRange = findRange(p_stChannel, p_nCmd);
            if (pRange == nullptr) return -1;
            putWord(p_vecData, 0, corrected(*pRange, getWord(p_vecData, 0)));
            return 0;
        }
        case IA_CMD_OPT_GET_STATUS:
            putWord(p_vecData, 0, 0);
            return 0;
        default:
            return -1;
    }
}

// The status an injected fault imposes on this call, or 0.
int injectedFault(State& p_stState, int p_nChannel, int p_nCmd) {
    int nStatus = 0;
    if (p_stState.nCallBudget == 0)
        nStatus = p_stState.nBudgetStatus;
    else if (p_stState.nCallBudget > 0)
        --p_stState.nCallBudget;
    if (nStatus != 0) return nStatus;
    std::map<std::pair<int, int>, int>::const_iterator it =
        p_stState.mapCommandFaults.find(std::make_pair(p_nChannel, p_nCmd));
    if (it == p_stState.mapCommandFaults.end()) it = p_stState.mapCommandFaults.find(std::make_pair(-1, p_nCmd));
    return it != p_stState.mapCommandFaults.end() ? it->second : 0;
}

bool parseItems(const char* p_szItems, std::vector<int>& p_vecItems) {
    std::istringstream stream(p_szItems != nullptr ? p_szItems : "");
    std::string strToken;
    while (stream >> strToken) {
        char* pEnd = nullptr;
        const long nValue = strtol(strToken.c_str(), &pEnd, 10);
        if (pEnd == strToken.c_str() || *pEnd != '\0') return false;
        p_vecItems.push_back(static_cast<int>(nValue));
    }
    return true;
}

}  // namespace

int32_t Call::valueIn() const { return getWord(dataIn, 0); }

int32_t Call::valueOut() const { return getWord(dataOut, 0); }

int32_t Call::wordIn(size_t p_nIndex) const { return getWord(dataIn, p_nIndex); }

bool loadProfile(const std::string& p_strPath, SensorProfile& p_stProfile) {
    TiXmlDocument doc;
    if (!doc.LoadFile(p_strPath.c_str())) return false;
    const TiXmlElement* pRoot = doc.RootElement();
    if (pRoot == nullptr || pRoot->ValueStr() != "sensorProfile") return false;
    SensorProfile stProfile;
    if (pRoot->Attribute("name") != nullptr) stProfile.name = pRoot->Attribute("name");
    for (const TiXmlElement* pElement = pRoot->FirstChildElement(); pElement != nullptr;
         pElement = pElement->NextSiblingElement()) {
        const std::string& strName = pElement->ValueStr();
        if (strName == "range") {
            Range stRange;
            stRange.attrType = 0;
            stRange.defaultValue = 0;
            stRange.minValue = 0;
            stRange.maxValue = 0;
            if (pElement->QueryIntAttribute("cmd", &stRange.cmd) != TIXML_SUCCESS) return false;
            pElement->QueryIntAttribute("type", &stRange.attrType);
            pElement->QueryIntAttribute("default", &stRange.defaultValue);
            pElement->QueryIntAttribute("min", &stRange.minValue);
            pElement->QueryIntAttribute("max", &stRange.maxValue);
            if (!parseItems(pElement->Attribute("items"), stRange.items)) return false;
            stProfile.ranges.push_back(stRange);
        } else if (strName == "value") {
            int nCmd = 0;
            int nValue = 0;
            if (pElement->QueryIntAttribute("cmd", &nCmd) != TIXML_SUCCESS ||
                pElement->QueryIntAttribute("value", &nValue) != TIXML_SUCCESS)
                return false;
            stProfile.initialValues.push_back(std::make_pair(nCmd, nValue));
        } else if (strName == "lensVersion") {
            stProfile.lensVersion = pElement->GetText() != nullptr ? pElement->GetText() : "";
        } else if (strName == "sensorCheck") {
            pElement->QueryIntAttribute("answer", &stProfile.sensorCheckAnswer);
        }
    }
    p_stProfile = stProfile;
    return true;
}

void reset() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.mapChannels.clear();
    st.mapCommandFaults.clear();
    st.nCallBudget = -1;
    st.nBudgetStatus = 0;
    st.vecCalls.clear();
    st.pObserver = nullptr;
    st.pObserverContext = nullptr;
}

void setProfile(int p_nChannel, const SensorProfile& p_stProfile) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.mapChannels[p_nChannel].stProfile = p_stProfile;
}

bool setProfileFromFile(int p_nChannel, const std::string& p_strPath) {
    SensorProfile stProfile;
    if (!loadProfile(p_strPath, stProfile)) return false;
    setProfile(p_nChannel, stProfile);
    return true;
}

void setDayNightState(int p_nChannel, int p_nState) { setValue(p_nChannel, IA_CMD_DN_STATE, p_nState); }

void setValue(int p_nChannel, int p_nCmd, int32_t p_nValue) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    std::vector<uint8_t>& vecData = st.mapChannels[p_nChannel].mapData[p_nCmd];
    vecData.assign(sizeof(int32_t), 0);
    putWord(vecData, 0, p_nValue);
}

bool value(int p_nChannel, int p_nCmd, int32_t& p_nValue) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    std::map<int, ChannelState>::const_iterator itChannel = st.mapChannels.find(p_nChannel);
    if (itChannel == st.mapChannels.end()) return false;
    std::map<int, std::vector<uint8_t>>::const_iterator it = itChannel->second.mapData.find(p_nCmd);
    if (it == itChannel->second.mapData.end() || it->second.size() < sizeof(int32_t)) return false;
    p_nValue = getWord(it->second, 0);
    return true;
}

std::vector<uint8_t> record(int p_nChannel, int p_nCmd) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    std::map<int, ChannelState>::const_iterator itChannel = st.mapChannels.find(p_nChannel);
    if (itChannel == st.mapChannels.end()) return std::vector<uint8_t>();
    std::map<int, std::vector<uint8_t>>::const_iterator it = itChannel->second.mapData.find(p_nCmd);
    return it != itChannel->second.mapData.end() ? it->second : std::vector<uint8_t>();
}

void failCommand(int p_nChannel, int p_nCmd, int p_nStatus) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    if (p_nStatus != 0) {
        st.mapCommandFaults[std::make_pair(p_nChannel, p_nCmd)] = p_nStatus;
        return;
    }
    for (std::map<std::pair<int, int>, int>::iterator it = st.mapCommandFaults.begin();
         it != st.mapCommandFaults.end();) {
        if (it->first.second == p_nCmd && (p_nChannel == -1 || it->first.first == p_nChannel))
            it = st.mapCommandFaults.erase(it);
        else
            ++it;
    }
}

void failAfterCalls(long p_nCount, int p_nStatus) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.nCallBudget = p_nCount < 0 ? -1 : p_nCount;
    st.nBudgetStatus = p_nStatus;
}

void clearFaults() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.mapCommandFaults.clear();
    st.nCallBudget = -1;
    st.nBudgetStatus = 0;
}

std::vector<Call> calls() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.vecCalls;
}

void clearCalls() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.vecCalls.clear();
}

std::vector<Call> setCalls(int p_nCmd) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    std::vector<Call> vecFound;
    for (const Call& stCall : st.vecCalls)
        if (stCall.cmd == p_nCmd && stCall.option == IA_CMD_OPT_SET) vecFound.push_back(stCall);
    return vecFound;
}

void setCallObserver(CallObserver p_pObserver, void* p_pContext) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.pObserver = p_pObserver;
    st.pObserverContext = p_pContext;
}

}  // namespace ispsim

int ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData) {
    using namespace ispsim;
    // Like the ISP library (C), any integer is a command number here: keys
    // without a map row arrive as commands, beyond the enumeration's range.
    int nCmd = 0;
    memcpy(&nCmd, &p_eCmd, sizeof(nCmd));
    Call stCall;
    stCall.channel = p_nChannel;
    stCall.cmd = nCmd;
    stCall.option = p_nOption;
    stCall.status = -1;

    State& st = state();
    CallObserver pObserver;
    void* pContext;
    {
        std::lock_guard<std::mutex> guard(st.mutex);
        const int nFault = injectedFault(st, p_nChannel, nCmd);
        if (p_pData != nullptr) {
            const unsigned int nSize = dataSize(nCmd, p_nOption);
            const uint8_t* pBytes = static_cast<const uint8_t*>(p_pData);
            stCall.dataIn.assign(pBytes, pBytes + nSize);
            stCall.dataOut = stCall.dataIn;
            if (nFault != 0) {
                stCall.status = nFault;
            } else {
                std::vector<uint8_t> vecData = stCall.dataIn;
                stCall.status = execute(st.mapChannels[p_nChannel], nCmd, p_nOption, vecData);
                if (stCall.status == 0) {
                    if (!vecData.empty()) memcpy(p_pData, vecData.data(), vecData.size());
                    stCall.dataOut = vecData;
                }
            }
        }
        st.vecCalls.push_back(stCall);
        pObserver = st.pObserver;
        pContext = st.pObserverContext;
    }
    if (pObserver != nullptr) pObserver(stCall, pContext);
    return stCall.status;
}
