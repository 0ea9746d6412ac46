// The simulator's web server: the settings page (static files of a web
// folder) and the JSON API of HttpApi, on threads of its own. Each API request
// runs under the session mutex, between the statements of the prompt or a
// script.
#ifndef SENSOR_SIM_HTTP_SERVER_H
#define SENSOR_SIM_HTTP_SERVER_H

#include <memory>
#include <string>

#include "Session.h"

namespace sensorsim {

// The page's folder: share/sensordll/web beside an installed program, else the
// source tree's, built in.
std::string defaultWebDir();

class HttpServer {
public:
    HttpServer(Session& p_objSession, const std::string& p_strWebDir);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds ADDR:PORT (port 0: a free one) and starts serving. False with a
    // message when the web folder has no page or the address cannot be bound
    // (a port in use among them).
    bool start(const std::string& p_strAddress, int p_nPort, std::string& p_strError);
    // The port bound, once started.
    int port() const;
    // Stops accepting and waits for the requests that run.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

}  // namespace sensorsim

#endif
