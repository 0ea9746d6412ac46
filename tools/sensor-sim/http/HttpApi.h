// The simulator's JSON API: one request in, one answer out, on a started
// session. No sockets here; HttpServer carries requests to it, and tests and
// the fuzz target call it directly. docs/http-api.md describes every path.
#ifndef SENSOR_SIM_HTTP_API_H
#define SENSOR_SIM_HTTP_API_H

#include <cstddef>
#include <string>

#include "Session.h"

namespace sensorsim {

// The largest request body taken; a longer one is answered 413.
const size_t HTTP_MAX_BODY = 64 * 1024;

struct HttpRequest {
    std::string method;  // "GET", "POST", ...
    std::string path;    // "/api/channels/1/set", without a query
    std::string body;
};

struct HttpResponse {
    int status = 200;
    std::string body;   // always a JSON text; errors are {"error": "..."}
    std::string allow;  // the methods a path takes, set with 405
};

// Answers one request under /api/. Never throws: bad requests get a 4xx with
// an error text, a failure inside a 500. The caller holds the session mutex
// (sessionMutex()); a request that may change the camera bumps the session
// revision.
HttpResponse handleApiRequest(Session& p_objSession, const HttpRequest& p_stRequest);

}  // namespace sensorsim

#endif
