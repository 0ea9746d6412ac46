// sensor-sim's JSON API: any method, path and body (the input split at its
// first two NULs) answered by handleApiRequest on one started ir-bullet
// session, kept across inputs as the simulator keeps its one session.
//
// Properties: the answer is JSON with a status the API documents (200, 400,
// 404, 405 with an Allow header, 413, 500); an error answer is an object with
// an "error" text; a POST body over 64 KiB is refused; and the session still
// answers afterwards, with the channel it started with.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "DeviceSetup.h"
#include "FileTree.h"
#include "FuzzInputs.h"
#include "FuzzSupport.h"
#include "http/HttpApi.h"

namespace {

sensorsim::Session* g_pSession = nullptr;

// Only the files: the controllers stay up to the end, as in the other
// targets (the library's thread-local state is gone by the time atexit
// handlers run).
void removeWorkingRoot() {
    if (g_pSession != nullptr && g_pSession->removeRootAtExit) sensorsim::removeTree(g_pSession->root);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The library and the simulator print on every change; libFuzzer reports
    // on standard error.
    const int nNull = open("/dev/null", O_WRONLY);
    if (nNull >= 0) {
        dup2(nNull, STDOUT_FILENO);
        close(nNull);
    }
    g_pSession = new sensorsim::Session();
    g_pSession->options.profile = "ir-bullet";
    g_pSession->options.hasDebugLevel = true;
    g_pSession->options.debugLevel = -1;
    std::string strError;
    if (!sensorsim::startDevice(*g_pSession, strError)) fuzzsupport::fail("the session starts");
    std::atexit(&removeWorkingRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::vector<std::string> vecParts = fuzzinputs::splitParts(p_pData, p_nSize, 3);
    const sensorsim::HttpRequest stRequest = {vecParts[0], vecParts[1], vecParts[2]};
    const sensorsim::HttpResponse stResponse = sensorsim::handleApiRequest(*g_pSession, stRequest);

    const int nStatus = stResponse.status;
    FUZZ_CHECK(nStatus == 200 || nStatus == 400 || nStatus == 404 || nStatus == 405 || nStatus == 413 ||
               nStatus == 500);
    const nlohmann::json objAnswer = nlohmann::json::parse(stResponse.body, nullptr, false);
    FUZZ_CHECK(!objAnswer.is_discarded());
    if (nStatus != 200) {
        FUZZ_CHECK(objAnswer.is_object() && objAnswer.size() == 1);
        FUZZ_CHECK(objAnswer.contains("error") && objAnswer["error"].is_string());
    }
    FUZZ_CHECK((nStatus == 405) == !stResponse.allow.empty());
    if (stRequest.body.size() > sensorsim::HTTP_MAX_BODY) FUZZ_CHECK(nStatus == 413);

    const sensorsim::HttpResponse stChannels = sensorsim::handleApiRequest(*g_pSession, {"GET", "/api/channels", ""});
    FUZZ_CHECK(stChannels.status == 200);
    const nlohmann::json objChannels = nlohmann::json::parse(stChannels.body, nullptr, false);
    FUZZ_CHECK(objChannels.is_array() && objChannels.size() == 1 && objChannels[0]["channel"] == 1);
    return 0;
}
