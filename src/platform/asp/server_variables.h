#pragma once
// Request.ServerVariables under the names IIS gives them.
#include <memory>

#include "platform/asp/request_collection.h"
#include "platform/asp/request_info.h"

namespace asp {

// REQUEST_METHOD, QUERY_STRING, PATH_INFO, SCRIPT_NAME, URL, SERVER_NAME (the
// Host header without its port, "localhost" without one), SERVER_PORT,
// SERVER_PROTOCOL, SERVER_SOFTWARE, REMOTE_ADDR, REMOTE_HOST, HTTPS,
// CONTENT_TYPE, CONTENT_LENGTH, APPL_PHYSICAL_PATH, PATH_TRANSLATED, ALL_HTTP,
// ALL_RAW and HTTP_<NAME> for every header (upper case, "-" as "_").
std::shared_ptr<RequestCollection> BuildServerVariables(const RequestInfo& info,
                                                        uint64_t content_length);

// The Host header's name part: "example.org:8080" -> "example.org".
std::string HostName(std::string_view host);

}  // namespace asp
