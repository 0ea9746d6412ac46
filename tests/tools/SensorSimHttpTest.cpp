// The simulator's JSON API on a started thermal-dual session: what each path
// does to the controllers, the error answers, the revision that tells a page
// to reload, and one round trip through the real server.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CommandParser.h"
#include "CommandRunner.h"
#include "DeviceFixture.h"
#include "DeviceSetup.h"
#include "StartedControllers.h"
#include "http/HttpApi.h"
#include "http/HttpServer.h"

using namespace sensorsim;
using Json = nlohmann::json;

namespace {

class SensorSimHttpTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        m_objSession.options.profile = "thermal-dual";
        m_objSession.options.workDir = root() + "/work";
        std::string strError;
        ASSERT_TRUE(startDevice(m_objSession, strError)) << strError;
    }
    void TearDown() override {
        stopDevice(m_objSession);
        DeviceFixture::TearDown();
    }
    // The answer's JSON, after checking its status.
    Json call(const std::string& p_strMethod, const std::string& p_strPath, const std::string& p_strBody = "",
              int p_nStatus = 200) {
        const HttpResponse stResponse = handleApiRequest(m_objSession, {p_strMethod, p_strPath, p_strBody});
        EXPECT_EQ(p_nStatus, stResponse.status) << p_strMethod << " " << p_strPath << ": " << stResponse.body;
        return Json::parse(stResponse.body);
    }
    int saved(u32 p_nKey) const {
        return StartedControllers::valueOf(readFile("/work/mnt/mtd/code/config_file/sensor1_0.cfg"), p_nKey);
    }

    Session m_objSession;
};

TEST_F(SensorSimHttpTest, EachPathDrivesTheControllersAsThePromptDoes) {
    const Json objChannels = call("GET", "/api/channels");
    ASSERT_EQ(2u, objChannels.size());
    EXPECT_EQ(Json({{"channel", 2},
                    {"scheme", 0},
                    {"schemes", 4},
                    {"mode", 1},
                    {"schemeMode", 0},
                    {"thermal", true},
                    {"sensor", "VOx384"},
                    {"dayNight", 0}}),
              objChannels[1]);
    EXPECT_NE(std::string::npos, call("GET", "/api/channels/2/style")["style"].get<std::string>().find("<tab "));

    // A change reaches the ISP, stays in the scheme and, after flush, its file.
    const unsigned long nRevision = call("GET", "/api/state")["revision"];
    Json objSet = call("POST", "/api/channels/1/set", R"({"key": "brightness", "value": 60})");
    EXPECT_EQ(0, objSet["status"]);
    EXPECT_TRUE(objSet["inScheme"]);
    ASSERT_EQ(1u, objSet["isp"].size());
    EXPECT_EQ("isp ch1 set 34 KEY_BRIGHTNESS: 60 -> ok", objSet["isp"][0]["text"]);
    EXPECT_GT(call("GET", "/api/state")["revision"].get<unsigned long>(), nRevision);
    EXPECT_EQ(50, saved(34));
    EXPECT_TRUE(call("POST", "/api/channels/1/flush", "{}")["saved"]);
    EXPECT_EQ(60, saved(34));
    // Unsaved, then reverted to what the file holds.
    call("POST", "/api/channels/1/set", R"({"key": 34, "value": 70, "save": false})");
    EXPECT_EQ(60, call("GET", "/api/channels/1/values")["34"]);
    EXPECT_EQ(0, call("POST", "/api/channels/1/set", R"({"key": 34, "value": 70})")["status"]);
    EXPECT_TRUE(call("POST", "/api/channels/1/revert", "{}")["ok"]);
    EXPECT_EQ(60, call("GET", "/api/channels/1/values")["34"]);
    // The thermal channel's direct keys go to the video module, not the ISP.
    objSet = call("POST", "/api/channels/2/set", R"({"key": 8201, "value": 3})");
    for (const Json& objCall : objSet["isp"]) EXPECT_NE(8201, objCall["cmd"]);
    ASSERT_EQ(1u, objSet["video"].size());
    EXPECT_EQ("video ch2 notified KEY_NONE_COLOR_MODE (8201) = 3", objSet["video"][0]["text"]);
    // The thermal style has no 49, so getAllParameters answers from the scheme
    // file; /current reads the controller's cache.
    call("POST", "/api/channels/2/set", R"({"key": 34, "value": 63})");
    EXPECT_EQ(50, call("GET", "/api/channels/2/values")["34"]);
    EXPECT_EQ(63, call("GET", "/api/channels/2/current")["34"]);

    // Dusk: day/night scheme mode, 18:30, night; one pass switches channel 1.
    call("POST", "/api/channels/1/set", R"({"key": 8000, "value": 2})");
    EXPECT_EQ(18, call("POST", "/api/clock", R"({"hour": 18, "minute": 30})")["hour"]);
    EXPECT_EQ(1, call("POST", "/api/channels/1/daynight", R"({"state": "night"})")["state"]);
    const Json objPass = call("POST", "/api/channels/1/pass", "{}");
    EXPECT_EQ((Json{{"channel", 1}, {"before", 0}, {"scheme", 1}}), objPass["channels"][0]);
    EXPECT_EQ(1, call("GET", "/api/channels")[0]["scheme"]);
    EXPECT_EQ(0, call("POST", "/api/channels/1/scheme", R"({"scheme": 0})")["scheme"]);
    EXPECT_EQ(0, call("POST", "/api/channels/1/mode", R"({"mode": 0})")["mode"]);
    EXPECT_TRUE(call("POST", "/api/channels/1/reset", "{}")["ok"]);
    EXPECT_EQ(50, call("GET", "/api/channels/1/values")["34"]);
}

TEST_F(SensorSimHttpTest, BadRequestsGetAnErrorAndChangeNothing) {
    struct Case {
        const char *method, *path, *body;
        int status;
        const char* error;  // a part of the error text
    };
    const std::string strHuge = "{\"key\": 34, \"value\": 1, \"pad\": \"" + std::string(HTTP_MAX_BODY, 'x') + "\"}";
    const Case CASES[] = {
        {"POST", "/api/channels/1/set", "{\"key\": 34,", 400, "not JSON"},
        {"POST", "/api/channels/1/set", "[34, 60]", 400, "JSON object"},
        {"POST", "/api/channels/1/set", R"({"value": 60})", 400, "missing \"key\""},
        {"POST", "/api/channels/1/set", R"({"key": 34, "value": "60"})", 400, "must be an integer"},
        {"POST", "/api/channels/1/set", R"({"key": 34, "value": 4294967296})", 400, "out of range"},
        {"POST", "/api/channels/1/set", R"({"key": 34, "value": 60, "save": 1})", 400, "true or false"},
        {"POST", "/api/channels/1/scheme", R"({"scheme": 5})", 400, "out of range"},
        {"POST", "/api/channels/1/set", R"({"key": 9999, "value": 60})", 404, "unknown key 9999"},
        {"POST", "/api/channels/1/set", R"({"key": "nosuchkey", "value": 60})", 404, "unknown key"},
        {"GET", "/api/channels/3/values", "", 404, "no channel 3"},
        {"GET", "/api/channels/1x/values", "", 404, "no channel"},
        {"GET", "/api/channels/1/nothing", "", 404, "no such path"},
        {"GET", "/api/channels/1/set", "", 405, "GET is not allowed"},
        {"DELETE", "/api/clock", "", 405, "DELETE is not allowed"},
        {"POST", "/api/channels/1/set", strHuge.c_str(), 413, "larger than 65536"},
    };
    for (const Case& c : CASES) {
        const HttpResponse stResponse = handleApiRequest(m_objSession, {c.method, c.path, c.body});
        EXPECT_EQ(c.status, stResponse.status) << c.method << " " << c.path << " " << c.body;
        EXPECT_NE(std::string::npos, Json::parse(stResponse.body)["error"].get<std::string>().find(c.error))
            << stResponse.body;
        if (c.status == 405) {
            EXPECT_EQ(std::string(c.method) == "GET" ? "POST" : "GET, POST", stResponse.allow);
        }
    }
    EXPECT_EQ(50, call("GET", "/api/channels/1/values")["34"]);
}

TEST_F(SensorSimHttpTest, TheServerAnswersOverASocketAndSeesThePromptsChanges) {
    HttpServer objServer(m_objSession, defaultWebDir());
    std::string strError;
    ASSERT_TRUE(objServer.start("127.0.0.1", 0, strError)) << strError;
    httplib::Client objClient("127.0.0.1", objServer.port());
    auto pState = objClient.Get("/api/state");
    ASSERT_TRUE(pState);
    const unsigned long nBefore = Json::parse(pState->body)["revision"];
    // A statement at the prompt bumps the revision the page polls.
    std::vector<Statement> vecStatements;
    ASSERT_TRUE(splitStatements("set 34 61", vecStatements, strError));
    EXPECT_TRUE(runStatement(m_objSession, vecStatements[0], "", false));
    pState = objClient.Get("/api/state");
    ASSERT_TRUE(pState);
    EXPECT_GT(Json::parse(pState->body)["revision"].get<unsigned long>(), nBefore);
    EXPECT_EQ(61, Json::parse(objClient.Get("/api/channels/1/values")->body)["34"]);
    // The server's own refusals answer JSON too.
    const auto pHuge = objClient.Post("/api/channels/1/set", std::string(HTTP_MAX_BODY + 1, ' '), "application/json");
    ASSERT_TRUE(pHuge);
    EXPECT_EQ(413, pHuge->status);
    EXPECT_EQ("{\"error\":\"the body is larger than 65536 bytes\"}", pHuge->body);
    const auto pPage = objClient.Get("/");
    ASSERT_TRUE(pPage);
    EXPECT_EQ(200, pPage->status);
    EXPECT_NE(std::string::npos, pPage->body.find("app.js"));
    objServer.stop();
}

}  // namespace
