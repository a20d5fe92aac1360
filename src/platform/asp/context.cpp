#include "platform/asp/context.h"

namespace asp {
namespace {

thread_local Context* g_current = nullptr;

std::string FormBody(const NameValueList& form) {
  String body;
  for (const auto& [name, value] : form) {
    if (!body.empty()) body += u"&";
    body += UrlEncode(name) + u"=" + UrlEncode(value);
  }
  return EncodeText(body);
}

bool HasHeader(const HeaderList& headers, std::string_view name) {
  RequestInfo probe;
  probe.headers = headers;
  return FindHeader(probe, name) != nullptr;
}

Connection ConnectionOf(RequestSpec& request_spec) {
  Connection c;
  RequestInfo& info = c.request;
  for (const auto& [name, value] : request_spec.headers) info.headers.emplace_back(EncodeText(name), EncodeText(value));
  std::optional<std::string> body = request_spec.body;
  if (!body && !request_spec.form.empty()) {
    body = FormBody(request_spec.form);
    if (!HasHeader(info.headers, "Content-Type"))
      info.headers.emplace_back("Content-Type", "application/x-www-form-urlencoded");
  }
  if (body && !HasHeader(info.headers, "Content-Length"))
    info.headers.emplace_back("Content-Length", std::to_string(body->size()));
  if (!request_spec.cookies.empty()) {
    String cookie;
    for (const auto& [name, value] : request_spec.cookies) {
      if (!cookie.empty()) cookie += u"; ";
      cookie += name + u"=" + value;
    }
    info.headers.emplace_back("Cookie", EncodeText(cookie));
  }
  info.method = request_spec.method.empty() ? (body ? "POST" : "GET") : EncodeText(request_spec.method);
  info.target = EncodeText(request_spec.url);
  info.remote_addr = EncodeText(request_spec.remote_addr);
  info.server_port = request_spec.server_port;
  info.https = request_spec.https;
  info.site_root = request_spec.site_root;
  info.page = request_spec.page;
  info.max_body_bytes = request_spec.max_body_bytes;

  c.body = std::make_unique<MemoryBody>(body.value_or(std::string()));
  c.sessions = request_spec.sessions ? request_spec.sessions : std::make_shared<MemorySessionStore>();
  if (!request_spec.session_token.empty()) c.session = c.sessions->Open(request_spec.session_token);
  if (!c.session) c.session = c.sessions->Create();
  for (auto& [name, value] : request_spec.session) c.session->Put(name, value);
  c.application = request_spec.application;
  c.map_path = std::move(request_spec.map_path);
  return c;
}

}  // namespace

Context::Context(Connection c) {
  if (!c.sink) {
    memory_sink_ = std::make_shared<MemorySink>();
    c.sink = memory_sink_;
  }
  sessions_ = c.sessions;
  if (!c.session) {
    if (!sessions_) sessions_ = std::make_shared<MemorySessionStore>();
    c.session = sessions_->Create();
  }
  server_ = std::make_shared<asp::Server>(c.request.site_root, PagePath(c.request), std::move(c.map_path));
  request_ = std::make_shared<asp::Request>(std::move(c.request), std::move(c.body));
  response_ = std::make_shared<asp::Response>(std::move(c.sink));
  session_ = std::make_shared<asp::Session>(std::move(c.session));
  application_ = std::make_shared<asp::Application>(std::move(c.application));
}

Context::Context(RequestSpec request_spec) : Context(ConnectionOf(request_spec)) {}

Context::~Context() {
  if (g_current == this) g_current = nullptr;
  try {
    Finish();
  } catch (...) {
    // A connection that failed while sending the rest has nobody to tell.
  }
}

void Context::Finish() {
  if (finished_) return;
  finished_ = true;
  application_->ReleaseLock();
  SessionState& session = session_->State();
  if (session.Abandoned() && sessions_) sessions_->Remove(session.Token());
  response_->Complete();
}

void Context::RenewSession() {
  if (sessions_) sessions_->Renew(session_->State());
}

std::string Context::ResponseBody() const {
  std::string body = memory_sink_ ? memory_sink_->Body() : std::string();
  return body + response_->Buffered();
}

Context* CurrentContext() { return g_current; }

ContextScope::ContextScope(Context& context) : previous_(g_current) { g_current = &context; }
ContextScope::~ContextScope() { g_current = previous_; }

bool ResponseEnded(const Variant& response) {
  auto object = std::dynamic_pointer_cast<asp::Response>(response.GetObject());
  return object && object->Ended();
}

}  // namespace asp
