#pragma once
// One request with its five intrinsic objects. The HTTP host builds it from a
// connection; tests and `qe call` build it from a RequestSpec and look at the
// response afterwards.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/asp/application.h"
#include "platform/asp/body_source.h"
#include "platform/asp/request.h"
#include "platform/asp/response.h"
#include "platform/asp/server.h"
#include "platform/asp/session.h"
#include "platform/asp/url_encoding.h"

namespace asp {

// What the host hands to a request.
struct Connection {
  RequestInfo request;
  std::unique_ptr<BodySource> body;             // none: no body
  std::shared_ptr<ResponseSink> sink;           // none: kept in memory
  std::shared_ptr<SessionStore> sessions;       // where an abandoned session is removed
  std::shared_ptr<SessionState> session;        // none: a new one from `sessions`
  std::shared_ptr<ApplicationState> application;  // none: a site of its own
  MapPathFunction map_path;                     // none: the platform's path model
};

// A request described as text.
struct RequestSpec {
  String method;                   // "" is POST with a body, GET without
  String url = u"/qe/index.asp";   // path and query, sent as they stand ("?a=%D6&b=x+y")
  std::vector<std::pair<String, String>> headers;
  NameValueList form;              // fields sent URL-encoded, with the form content type
  std::optional<std::string> body; // raw body bytes instead of `form`
  NameValueList cookies;           // one Cookie header; values as they travel
  std::vector<std::pair<String, Variant>> session;  // values the session starts with
  std::shared_ptr<SessionStore> sessions;           // none: a store of its own
  String session_token;            // an existing session of `sessions`; "" for a new one
  std::shared_ptr<ApplicationState> application;    // share one to share Application values
  String site_root = u"C:\\site";
  String page;                     // the url's path when empty
  String remote_addr = u"127.0.0.1";
  int server_port = 80;
  bool https = false;
  uint64_t max_body_bytes = kDefaultMaxBodyBytes;
  MapPathFunction map_path;
};

class Context {
 public:
  explicit Context(Connection connection);
  explicit Context(RequestSpec request_spec);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // The objects as the component receives them.
  Variant Request() const { return Variant(request_); }
  Variant Response() const { return Variant(response_); }
  Variant Server() const { return Variant(server_); }
  Variant Session() const { return Variant(session_); }
  Variant Application() const { return Variant(application_); }

  asp::Request& RequestObject() { return *request_; }
  asp::Response& ResponseObject() { return *response_; }
  asp::Session& SessionObject() { return *session_; }
  asp::Application& ApplicationObject() { return *application_; }

  // The end of the request: sends what the response still holds, gives up
  // the Application lock and removes an abandoned session. Runs once; the
  // destructor runs it when nobody did.
  void Finish();

  // A new id for the request's session, its values kept (a login does it, so
  // an id handed out before cannot follow the user in).
  void RenewSession();

  // The response body so far: what was sent to a memory sink and what is
  // still buffered.
  std::string ResponseBody() const;
  // The memory sink, when the response goes to memory.
  const MemorySink* Sent() const { return memory_sink_.get(); }

 private:
  std::shared_ptr<MemorySink> memory_sink_;
  std::shared_ptr<SessionStore> sessions_;
  std::shared_ptr<asp::Request> request_;
  std::shared_ptr<asp::Response> response_;
  std::shared_ptr<asp::Server> server_;
  std::shared_ptr<asp::Session> session_;
  std::shared_ptr<asp::Application> application_;
  bool finished_ = false;
};

// The request that the current thread runs, for the one class that reads it
// without being handed it; nullptr outside a request.
Context* CurrentContext();

// Makes a context current for its lifetime, then restores the previous one.
class ContextScope {
 public:
  explicit ContextScope(Context& context);
  ~ContextScope();
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  Context* previous_;
};

// True when the variant holds our Response and it has ended; false for
// anything else. Callers return at once when it is true.
bool ResponseEnded(const Variant& response);

}  // namespace asp
