// The JSON API of the simulated camera: a route table, the reading of request
// bodies, and one handler per path, each driving the controllers as the
// matching prompt command does.
#include "HttpApi.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <nlohmann/json.hpp>
#include <vector>

#include "CommandRunner.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "KeyNames.h"
#include "Results.h"
#include "Trace.h"
#include "Values.h"
#include "ZentarTime.h"

namespace sensorsim {

namespace {

using Json = nlohmann::ordered_json;

// A request that cannot be answered: its status and error text.
struct ApiError {
    int status;
    std::string message;
};

[[noreturn]] void refuse(int p_nStatus, const std::string& p_strMessage) { throw ApiError{p_nStatus, p_strMessage}; }

// Invalid UTF-8 from a request (a key name, say) is replaced, never thrown on.
std::string dumped(const Json& p_objJson) { return p_objJson.dump(-1, ' ', false, Json::error_handler_t::replace); }

HttpResponse answer(int p_nStatus, const Json& p_objJson) {
    HttpResponse stResponse;
    stResponse.status = p_nStatus;
    stResponse.body = dumped(p_objJson);
    return stResponse;
}

// Fields of a request body --------------------------------------------------

// An integer field within [p_nMin, p_nMax]; absent gives p_nDefault when
// p_bRequired is false.
long long integerField(const Json& p_objBody, const char* p_szName, bool p_bRequired, long long p_nDefault,
                       long long p_nMin, long long p_nMax) {
    const auto it = p_objBody.find(p_szName);
    if (it == p_objBody.end()) {
        if (p_bRequired) refuse(400, std::string("missing \"") + p_szName + "\"");
        return p_nDefault;
    }
    const std::string strRange = " (" + std::to_string(p_nMin) + " to " + std::to_string(p_nMax) + ")";
    if (it->is_number_unsigned()) {
        const unsigned long long nValue = it->get<unsigned long long>();
        if (nValue > static_cast<unsigned long long>(p_nMax))
            refuse(400, std::string("\"") + p_szName + "\" is out of range" + strRange);
        return static_cast<long long>(nValue);
    }
    if (!it->is_number_integer()) refuse(400, std::string("\"") + p_szName + "\" must be an integer");
    const long long nValue = it->get<long long>();
    if (nValue < p_nMin || nValue > p_nMax) refuse(400, std::string("\"") + p_szName + "\" is out of range" + strRange);
    return nValue;
}

bool boolField(const Json& p_objBody, const char* p_szName, bool p_bDefault) {
    const auto it = p_objBody.find(p_szName);
    if (it == p_objBody.end()) return p_bDefault;
    if (!it->is_boolean()) refuse(400, std::string("\"") + p_szName + "\" must be true or false");
    return it->get<bool>();
}

// A 32-bit value as the library stores it: INT32_MIN to UINT32_MAX, values
// above INT32_MAX keeping their bits (as the prompt's set takes them).
int valueField(const Json& p_objBody, const char* p_szName) {
    const long long nValue = integerField(p_objBody, p_szName, true, 0, INT32_MIN, UINT32_MAX);
    return static_cast<int>(static_cast<uint32_t>(nValue));
}

// "key": a number or a name; one the key table does not have is 404.
const KeyInfo& keyField(const Json& p_objBody) {
    const auto it = p_objBody.find("key");
    if (it != p_objBody.end() && it->is_string()) {
        const KeyInfo* pKey = findKeyByName(it->get<std::string>());
        if (pKey == nullptr) refuse(404, "unknown key '" + it->get<std::string>() + "'");
        return *pKey;
    }
    const long long nKey = integerField(p_objBody, "key", true, 0, 0, UINT32_MAX);
    const KeyInfo* pKey = findKey(static_cast<unsigned int>(nKey));
    if (pKey == nullptr) refuse(404, "unknown key " + std::to_string(nKey));
    return *pKey;
}

// What the controllers did during one request ------------------------------

class Effects {
public:
    explicit Effects(Session& p_objSession)
        : m_objSession(p_objSession), m_nNotificationsBefore(p_objSession.video.notifications().size()) {
        m_objSession.isp.take();
    }

    // "isp": the ISP calls in call order; "video": the notifications.
    void addTo(Json& p_objAnswer) {
        Json objCalls = Json::array();
        for (const ispsim::Call& stCall : m_objSession.isp.take())
            objCalls.push_back({{"channel", stCall.channel + 1},
                                {"cmd", stCall.cmd},
                                {"option", stCall.option},
                                {"value", stCall.valueIn()},
                                {"status", stCall.status},
                                {"text", describeIspCall(stCall)}});
        Json objNotes = Json::array();
        const auto vecAll = m_objSession.video.notifications();
        for (size_t i = m_nNotificationsBefore; i < vecAll.size(); ++i)
            objNotes.push_back({{"channel", vecAll[i].channel},
                                {"key", vecAll[i].key},
                                {"value", vecAll[i].value},
                                {"text", describeNotification(vecAll[i])}});
        p_objAnswer["isp"] = objCalls;
        p_objAnswer["video"] = objNotes;
    }

private:
    Session& m_objSession;
    size_t m_nNotificationsBefore;
};

// Reading a channel ---------------------------------------------------------

int currentScheme(Channel& p_stChannel) {
    int nScheme = -1;
    p_stChannel.controller->getParamScheme(nScheme);
    return nScheme;
}

// The current scheme as getAllParameters gives it, key by key.
std::vector<std::pair<long long, long long>> schemeItems(Channel& p_stChannel) {
    std::string strText;
    p_stChannel.controller->getAllParameters(strText);
    std::vector<std::pair<long long, long long>> vecItems;
    for (size_t nPos = 0; (nPos = strText.find('(', nPos)) != std::string::npos; ++nPos) {
        long long nKey = 0;
        long long nValue = 0;
        if (std::sscanf(strText.c_str() + nPos, "(%lld,%lld)", &nKey, &nValue) == 2)
            vecItems.emplace_back(nKey, nValue);
    }
    return vecItems;
}

Json channelJson(Channel& p_stChannel) {
    int nMode = 0;
    p_stChannel.controller->getParamMode(nMode);
    int nSchemeMode = 0;
    const bool bSchemeMode = p_stChannel.controller->getParameter(KEY_SCHEME_MODE, nSchemeMode);
    return Json{{"channel", p_stChannel.number},
                {"scheme", currentScheme(p_stChannel)},
                {"schemes", schemeCount(p_stChannel)},
                {"mode", nMode},
                {"schemeMode", bSchemeMode ? Json(nSchemeMode) : Json(nullptr)},
                {"thermal", p_stChannel.thermal},
                {"sensor", p_stChannel.ispProfile},
                {"dayNight", p_stChannel.dayNightState}};
}

Json clockJson(const Session& p_objSession) {
    const ZTDateTime stNow = ZTDeviceTime::getCurrentTime();
    return Json{{"hour", stNow.hour}, {"minute", stNow.minute}, {"simulated", p_objSession.clockSet}};
}

// Handlers -------------------------------------------------------------------
// Each gets the session, the channel of the path (null for paths without one)
// and the request body (an object; {} for an empty body).

typedef Json (*Handler)(Session& p_objSession, Channel* p_pChannel, const Json& p_objBody);

Json getState(Session&, Channel*, const Json&) { return Json{{"revision", sessionRevision()}}; }

Json getClock(Session& p_objSession, Channel*, const Json&) { return clockJson(p_objSession); }

Json postClock(Session& p_objSession, Channel*, const Json& p_objBody) {
    if (boolField(p_objBody, "real", false)) {
        hostsim::clearClock();
        p_objSession.clockSet = false;
    } else {
        const int nHour = static_cast<int>(integerField(p_objBody, "hour", true, 0, 0, 23));
        const int nMinute = static_cast<int>(integerField(p_objBody, "minute", false, 0, 0, 59));
        hostsim::setClock(nHour, nMinute);
        p_objSession.clockSet = true;
    }
    return clockJson(p_objSession);
}

Json getChannels(Session& p_objSession, Channel*, const Json&) {
    Json objList = Json::array();
    for (Channel& stChannel : p_objSession.channels) objList.push_back(channelJson(stChannel));
    return objList;
}

Json getValues(Session&, Channel* p_pChannel, const Json&) {
    Json objValues = Json::object();
    for (const auto& item : schemeItems(*p_pChannel)) objValues[std::to_string(item.first)] = item.second;
    return objValues;
}

// Each key of the scheme read through getParameter: the cache, what the ISP
// runs with. getAllParameters answers from the scheme file instead where the
// style's 49 is missing or 200 or more (the thermal and dome styles), so it
// misses every change not yet flushed; the page shows these.
Json getCurrent(Session&, Channel* p_pChannel, const Json&) {
    Json objValues = Json::object();
    for (const auto& item : schemeItems(*p_pChannel)) {
        int nValue = 0;
        if (p_pChannel->controller->getParameter(static_cast<int>(item.first), nValue))
            objValues[std::to_string(item.first)] = nValue;
    }
    return objValues;
}

Json getStyle(Session&, Channel* p_pChannel, const Json&) {
    const std::string strStyle = p_pChannel->controller->getUIStyleFile();
    if (strStyle.empty()) refuse(500, "the controller returned an empty style");
    return Json{{"channel", p_pChannel->number}, {"style", strStyle}};
}

Json postSet(Session& p_objSession, Channel* p_pChannel, const Json& p_objBody) {
    const KeyInfo& stKey = keyField(p_objBody);
    const int nValue = valueField(p_objBody, "value");
    const bool bSave = boolField(p_objBody, "save", true);
    Effects objEffects(p_objSession);
    const int nStatus = p_pChannel->controller->setParameter(static_cast<int>(stKey.key), nValue, bSave);
    Json objAnswer{{"status", nStatus}, {"result", applyResult(nStatus)}};
    // Taken now: the reads below send corrections of their own to the ISP.
    objEffects.addTo(objAnswer);
    int nNow = 0;
    objAnswer["value"] =
        p_pChannel->controller->getParameter(static_cast<int>(stKey.key), nNow) ? Json(nNow) : Json(nullptr);
    bool bInScheme = false;
    for (const auto& item : schemeItems(*p_pChannel)) bInScheme = bInScheme || item.first == stKey.key;
    objAnswer["inScheme"] = bInScheme;
    return objAnswer;
}

Json postFlush(Session& p_objSession, Channel* p_pChannel, const Json&) {
    Effects objEffects(p_objSession);
    const int nScheme = currentScheme(*p_pChannel);
    const int nStatus = p_pChannel->controller->flush();
    Json objAnswer{{"status", nStatus},
                   {"result", flushResult(nStatus)},
                   {"scheme", nScheme},
                   // The factory set has no file: a flush of it saves nothing.
                   {"saved", nStatus == 0 && nScheme >= 0 && nScheme < static_cast<int>(schemeCount(*p_pChannel))}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

Json postRevert(Session& p_objSession, Channel* p_pChannel, const Json&) {
    Effects objEffects(p_objSession);
    Json objAnswer{{"ok", p_pChannel->controller->resetToLastParameters()}, {"scheme", currentScheme(*p_pChannel)}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

Json postReset(Session& p_objSession, Channel* p_pChannel, const Json&) {
    Effects objEffects(p_objSession);
    Json objAnswer{{"ok", p_pChannel->controller->resetParameters()}, {"scheme", currentScheme(*p_pChannel)}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

Json postScheme(Session& p_objSession, Channel* p_pChannel, const Json& p_objBody) {
    const int nScheme = static_cast<int>(integerField(p_objBody, "scheme", true, 0, 0, schemeCount(*p_pChannel)));
    Effects objEffects(p_objSession);
    Json objAnswer{{"ok", p_pChannel->controller->setParamScheme(nScheme)}, {"scheme", currentScheme(*p_pChannel)}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

Json postMode(Session& p_objSession, Channel* p_pChannel, const Json& p_objBody) {
    const int nMode = static_cast<int>(integerField(p_objBody, "mode", true, 0, 0, 1));
    Effects objEffects(p_objSession);
    const bool bOk = p_pChannel->controller->setParamMode(nMode);
    int nNow = 0;
    p_pChannel->controller->getParamMode(nNow);
    Json objAnswer{{"ok", bOk}, {"mode", nNow}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

// One pass of every channel's sensor thread, as the threads of a camera each
// run theirs; the pass command does the same.
Json postPass(Session& p_objSession, Channel*, const Json&) {
    Effects objEffects(p_objSession);
    std::vector<int> vecBefore;
    for (Channel& stChannel : p_objSession.channels) vecBefore.push_back(currentScheme(stChannel));
    for (Channel& stChannel : p_objSession.channels) stChannel.controller->sensorThread();
    Json objChannels = Json::array();
    for (size_t i = 0; i < p_objSession.channels.size(); ++i)
        objChannels.push_back({{"channel", p_objSession.channels[i].number},
                               {"before", vecBefore[i]},
                               {"scheme", currentScheme(p_objSession.channels[i])}});
    Json objAnswer{{"channels", objChannels}};
    objEffects.addTo(objAnswer);
    return objAnswer;
}

Json getDayNight(Session&, Channel* p_pChannel, const Json&) {
    return Json{{"state", p_pChannel->dayNightState}, {"text", dayNight(p_pChannel->dayNightState)}};
}

Json postDayNight(Session& p_objSession, Channel* p_pChannel, const Json& p_objBody) {
    int nState = 0;
    const auto it = p_objBody.find("state");
    if (it != p_objBody.end() && it->is_string()) {
        if (*it == "day")
            nState = 0;
        else if (*it == "night")
            nState = 1;
        else
            refuse(400, "\"state\" must be \"day\", \"night\" or a number");
    } else {
        nState = valueField(p_objBody, "state");
    }
    ispsim::setDayNightState(p_pChannel->number - 1, nState);
    p_pChannel->dayNightState = nState;
    return getDayNight(p_objSession, p_pChannel, p_objBody);
}

// The route table ------------------------------------------------------------

struct Route {
    // The path's segments after "/api/"; "N" stands for a channel number.
    std::vector<std::string> segments;
    Handler get;
    Handler post;
};

const std::vector<Route>& routes() {
    static const std::vector<Route> ROUTES = {
        // segments, GET, POST
        {{"state"}, &getState, nullptr},
        {{"clock"}, &getClock, &postClock},
        {{"channels"}, &getChannels, nullptr},
        {{"channels", "N", "values"}, &getValues, nullptr},
        {{"channels", "N", "current"}, &getCurrent, nullptr},
        {{"channels", "N", "style"}, &getStyle, nullptr},
        {{"channels", "N", "daynight"}, &getDayNight, &postDayNight},
        {{"channels", "N", "set"}, nullptr, &postSet},
        {{"channels", "N", "flush"}, nullptr, &postFlush},
        {{"channels", "N", "revert"}, nullptr, &postRevert},
        {{"channels", "N", "reset"}, nullptr, &postReset},
        {{"channels", "N", "scheme"}, nullptr, &postScheme},
        {{"channels", "N", "mode"}, nullptr, &postMode},
        {{"channels", "N", "pass"}, nullptr, &postPass},
    };
    return ROUTES;
}

std::vector<std::string> splitPath(const std::string& p_strPath) {
    std::vector<std::string> vecSegments;
    size_t nStart = 0;
    while (nStart <= p_strPath.size()) {
        const size_t nEnd = p_strPath.find('/', nStart);
        vecSegments.push_back(p_strPath.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart));
        if (nEnd == std::string::npos) break;
        nStart = nEnd + 1;
    }
    return vecSegments;
}

Channel& findChannel(Session& p_objSession, const std::string& p_strNumber) {
    bool bDigits = !p_strNumber.empty() && p_strNumber.size() <= 4;
    for (char c : p_strNumber) bDigits = bDigits && c >= '0' && c <= '9';
    if (bDigits)
        for (Channel& stChannel : p_objSession.channels)
            if (std::to_string(stChannel.number) == p_strNumber) return stChannel;
    refuse(404, "no channel " + p_strNumber);
}

HttpResponse route(Session& p_objSession, const HttpRequest& p_stRequest) {
    const std::string strPrefix = "/api/";
    if (p_stRequest.path.compare(0, strPrefix.size(), strPrefix) != 0) refuse(404, "no such path");
    const std::vector<std::string> vecSegments = splitPath(p_stRequest.path.substr(strPrefix.size()));
    const Route* pRoute = nullptr;
    for (const Route& stRoute : routes()) {
        bool bMatch = stRoute.segments.size() == vecSegments.size();
        for (size_t i = 0; bMatch && i < vecSegments.size(); ++i)
            bMatch = stRoute.segments[i] == "N" || stRoute.segments[i] == vecSegments[i];
        if (bMatch) pRoute = &stRoute;
    }
    if (pRoute == nullptr) refuse(404, "no such path: " + p_stRequest.path);

    const bool bGet = p_stRequest.method == "GET" || p_stRequest.method == "HEAD";
    const Handler pHandler = bGet ? pRoute->get : p_stRequest.method == "POST" ? pRoute->post : nullptr;
    if (pHandler == nullptr) {
        HttpResponse stResponse = answer(405, Json{{"error", p_stRequest.method + " is not allowed here"}});
        stResponse.allow = pRoute->get != nullptr && pRoute->post != nullptr ? "GET, POST"
                           : pRoute->get != nullptr                          ? "GET"
                                                                             : "POST";
        return stResponse;
    }
    Channel* pChannel = vecSegments.size() > 1 ? &findChannel(p_objSession, vecSegments[1]) : nullptr;

    Json objBody = Json::object();
    if (!bGet && !p_stRequest.body.empty()) {
        objBody = Json::parse(p_stRequest.body, nullptr, false);
        if (objBody.is_discarded()) refuse(400, "the body is not JSON");
        if (!objBody.is_object()) refuse(400, "the body must be a JSON object");
    }
    const Json objAnswer = pHandler(p_objSession, pChannel, objBody);
    return answer(200, objAnswer);
}

}  // namespace

HttpResponse handleApiRequest(Session& p_objSession, const HttpRequest& p_stRequest) {
    HttpResponse stResponse;
    try {
        if (p_stRequest.body.size() > HTTP_MAX_BODY)
            refuse(413, "the body is larger than " + std::to_string(HTTP_MAX_BODY) + " bytes");
        stResponse = route(p_objSession, p_stRequest);
    } catch (const ApiError& e) {
        stResponse = answer(e.status, Json{{"error", e.message}});
    } catch (const InputError& e) {
        stResponse = answer(400, Json{{"error", e.what()}});
    } catch (const std::exception& e) {
        stResponse = answer(500, Json{{"error", std::string("internal error: ") + e.what()}});
    }
    // A POST may have changed the camera even when it failed half-way. The
    // ISP calls of a read (getAllParameters corrects values through the ISP)
    // belong to no trace; dropped, they do not pile up between changes.
    if (p_stRequest.method == "POST")
        bumpSessionRevision();
    else
        p_objSession.isp.take();
    return stResponse;
}

}  // namespace sensorsim
