#pragma once
// Between cpp-httplib's requests and responses and ours.
#include <httplib.h>

#include <string>

#include "host/page_run.h"
#include "host/static_files.h"
#include "platform/asp/request_info.h"

namespace host {

// The request as the ASP objects read it; `page` is its virtual path.
asp::RequestInfo RequestInfoOf(const httplib::Request& request, const vb::String& page, uint64_t max_body_bytes);

// A status with no page of its own: "404 Not Found" as plain text.
void SendStatus(httplib::Response& response, int status);
// What a page answered: status, headers (a header whose name or value would
// break the response is dropped), body.
void SendPageAnswer(httplib::Response& response, PageAnswer answer);
// A file of the site, read as it is sent; 304 when the browser's copy has the
// file's date.
void SendStaticFile(const httplib::Request& request, httplib::Response& response, const StaticFile& file);

// "Not Found" for 404; "Error" for a status it does not know.
std::string_view ReasonPhrase(int status);

}  // namespace host
