// The cpp-httplib server of the settings page and the JSON API.
#include "HttpServer.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <httplib.h>
#include <mutex>
#include <thread>

#include "CommandRunner.h"
#include "DataPath.h"
#include "FileTree.h"
#include "HttpApi.h"
#include "Output.h"

namespace sensorsim {

namespace {

// A slow or silent client holds only its own connection's thread, and not
// for long; none of this holds the session mutex.
const time_t READ_TIMEOUT_S = 5;
const time_t WRITE_TIMEOUT_S = 5;
const time_t KEEP_ALIVE_S = 2;

bool isApiPath(const std::string& p_strPath) { return p_strPath.compare(0, 5, "/api/") == 0; }

// SO_REUSEADDR only: cpp-httplib's default adds SO_REUSEPORT, with which a
// second simulator would share a port in use instead of being refused.
void reuseAddressOnly(socket_t p_nSocket) {
    int nYes = 1;
    setsockopt(p_nSocket, SOL_SOCKET, SO_REUSEADDR, &nYes, sizeof(nYes));
}

}  // namespace

std::string defaultWebDir() {
    // An installed program has the page beside its device data
    // (../share/sensordll/web); one in the build tree uses the source tree's.
    const std::string strExecutable = executablePath();
    const std::string strDevices = INSTALLED_DEVICES_DIR;
    const size_t nSlash = strExecutable.rfind('/');
    const size_t nLast = strDevices.rfind('/');
    if (nSlash != std::string::npos && nLast != std::string::npos) {
        const std::string strInstalled = strExecutable.substr(0, nSlash + 1) + strDevices.substr(0, nLast + 1) + "web";
        if (isFile(strInstalled + "/index.html")) return strInstalled;
    }
    return SENSOR_SIM_WEB_DIR;
}

struct HttpServer::Impl {
    Impl(Session& p_objSession, const std::string& p_strWebDir) : session(p_objSession), webDir(p_strWebDir) {}

    void serveApi(const httplib::Request& p_objRequest, httplib::Response& p_objResponse) {
        HttpRequest stRequest;
        stRequest.method = p_objRequest.method;
        stRequest.path = p_objRequest.path;
        stRequest.body = p_objRequest.body;
        HttpResponse stResponse;
        {
            std::lock_guard<std::mutex> objGuard(sessionMutex());
            stResponse = handleApiRequest(session, stRequest);
            // The terminal shows what the page changed; --json keeps standard
            // output for the commands' answers.
            if (stRequest.method == "POST" && !out::json())
                out::linef("http POST %s: %d", stRequest.path.c_str(), stResponse.status);
        }
        p_objResponse.status = stResponse.status;
        if (!stResponse.allow.empty()) p_objResponse.set_header("Allow", stResponse.allow);
        p_objResponse.set_header("Cache-Control", "no-store");
        p_objResponse.set_content(stResponse.body, "application/json");
    }

    Session& session;
    std::string webDir;
    httplib::Server server;
    std::thread thread;
    std::atomic<bool> ended{false};
    int port = 0;
};

HttpServer::HttpServer(Session& p_objSession, const std::string& p_strWebDir)
    : m_pImpl(new Impl(p_objSession, p_strWebDir)) {}

HttpServer::~HttpServer() { stop(); }

bool HttpServer::start(const std::string& p_strAddress, int p_nPort, std::string& p_strError) {
    Impl& impl = *m_pImpl;
    struct stat stInfo;
    if (stat((impl.webDir + "/index.html").c_str(), &stInfo) != 0 || !impl.server.set_mount_point("/", impl.webDir)) {
        p_strError = "no settings page (index.html) in " + impl.webDir + "; give its folder with --web DIR";
        return false;
    }
    httplib::Server& server = impl.server;
    server.set_socket_options(&reuseAddressOnly);
    server.set_payload_max_length(HTTP_MAX_BODY);
    server.set_read_timeout(READ_TIMEOUT_S, 0);
    server.set_write_timeout(WRITE_TIMEOUT_S, 0);
    server.set_keep_alive_timeout(KEEP_ALIVE_S);
    server.set_file_request_handler([](const httplib::Request&, httplib::Response& p_objResponse) {
        p_objResponse.set_header("Cache-Control", "no-cache");
    });
    const auto api = [&impl](const httplib::Request& p_objRequest, httplib::Response& p_objResponse) {
        impl.serveApi(p_objRequest, p_objResponse);
    };
    const std::string strApi = "/api/.*";
    server.Get(strApi, api);
    server.Post(strApi, api);
    server.Put(strApi, api);
    server.Patch(strApi, api);
    server.Delete(strApi, api);
    server.Options(strApi, api);
    // What cpp-httplib refuses itself (an oversized body, a request it cannot
    // read) still answers JSON under /api/.
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request& p_objRequest, httplib::Response& p_objResponse) {
            if (!isApiPath(p_objRequest.path) || !p_objResponse.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            const std::string strText = p_objResponse.status == 413 ? "the body is larger than 65536 bytes"
                                        : p_objResponse.status == 404
                                            ? "no such path"
                                            : "the request was not understood (a POST needs a body: {} when there is "
                                              "nothing to give)";
            p_objResponse.set_content("{\"error\":\"" + strText + "\"}", "application/json");
            return httplib::Server::HandlerResponse::Handled;
        }));

    errno = 0;
    if (p_nPort == 0)
        impl.port = server.bind_to_any_port(p_strAddress);
    else
        impl.port = server.bind_to_port(p_strAddress, p_nPort) ? p_nPort : -1;
    if (impl.port < 0) {
        const int nError = errno;
        p_strError = "cannot listen on " + p_strAddress + ":" + std::to_string(p_nPort) +
                     (nError != 0 ? std::string(": ") + std::strerror(nError) : std::string()) +
                     " (a port in use, or an address that is not this machine's)";
        return false;
    }
    // The server's threads leave the stop signals to the main thread, whose
    // prompt or wait they end.
    sigset_t stStop;
    sigset_t stBefore;
    sigemptyset(&stStop);
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stStop, nSignal);
    pthread_sigmask(SIG_BLOCK, &stStop, &stBefore);
    impl.thread = std::thread([&impl] {
        impl.server.listen_after_bind();
        impl.ended = true;
    });
    pthread_sigmask(SIG_SETMASK, &stBefore, nullptr);
    return true;
}

int HttpServer::port() const { return m_pImpl->port; }

void HttpServer::stop() {
    if (!m_pImpl->thread.joinable()) return;
    // A stop before the server runs would be lost, and the join would wait.
    while (!m_pImpl->server.is_running() && !m_pImpl->ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_pImpl->server.stop();
    m_pImpl->thread.join();
}

}  // namespace sensorsim
