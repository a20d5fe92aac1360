#include "host/site_server.h"

#include <charconv>
#include <cstdio>

#include "host/guarded_http_server.h"
#include "host/http_exchange.h"
#include "host/page_run.h"
#include "host/request_target.h"
#include "host/site_pictures.h"
#include "host/static_files.h"
#include "platform/vb/strings.h"
#include "shell/qecls.h"

namespace host {
namespace {

// Any path: httplib matches its handlers by pattern, and the request line's
// length bounds what the pattern has to read.
constexpr char kAnyPath[] = "[\\s\\S]*";
constexpr size_t kKeepAliveRequests = 100;

// A request without a length or chunks has no body (an HTTP/1.1 rule that
// httplib does not keep: it would read to the end of the connection).
bool CarriesBody(const httplib::Request& request) {
  if (!request.has_header("Content-Length") && !request.has_header("Transfer-Encoding")) return false;
  for (std::string_view method : {"POST", "PUT", "PATCH", "DELETE"})
    if (request.method == method) return true;
  return false;
}

// A name of the path, before its end or at it, that is a page (".asp", with
// the trailing dots and blanks Windows drops): "/a.asp/b" is refused, never
// run as "/a.asp" with more path after it.
bool NamesScript(vb::StringView path) {
  size_t start = 0;
  while (start < path.size()) {
    size_t end = std::min(path.find(u'/', start), path.size());
    vb::StringView name = path.substr(start, end - start);
    name = name.substr(0, name.find_last_not_of(u". ") + 1);
    if (vb::LCase(name).ends_with(u".asp")) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

struct SiteServer::Impl {
  std::filesystem::path site_folder;
  Pages pages;
  ServerLimits limits;
  SiteState site;
  GuardedHttpServer http;

  void Handle(const httplib::Request& request, httplib::Response& response, std::shared_ptr<const Spool> body);
  void HandleWithBody(const httplib::Request& request, httplib::Response& response,
                      const httplib::ContentReader& read);
  httplib::Server::HandlerResponse BeforeRouting(const httplib::Request& request, httplib::Response& response);
};

void SiteServer::Impl::Handle(const httplib::Request& request, httplib::Response& response,
                              std::shared_ptr<const Spool> body) {
  std::string_view target = request.target;
  size_t question = target.find('?');
  std::string_view query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
  std::optional<vb::String> path = TargetVirtualPath(target.substr(0, question));
  if (!path || !IsReadableQuery(query)) return SendStatus(response, 400);

  if (*path == u"/") {
    std::string start = vb::ToUtf8(kStartPage);
    if (!query.empty()) start.append("?").append(query);
    response.set_redirect(start, 302);
    return;
  }
  if (std::optional<SitePicture> picture = FindSitePicture(*path)) {
    if (request.method != "GET" && request.method != "HEAD") return SendStatus(response, 405);
    response.set_content(std::string(picture->bytes), std::string(picture->content_type));
    return;
  }
  if (PageFunction page = pages.Find(*path))
    return SendPageAnswer(response, RunPage(page, site, RequestInfoOf(request, *path, limits.max_body_bytes), body));
  if (NamesScript(*path)) return SendStatus(response, 404);
  if (request.method != "GET" && request.method != "HEAD") return SendStatus(response, 405);
  std::optional<StaticFile> file = FindStaticFile(site_folder, *path);
  if (!file) return SendStatus(response, 404);
  SendStaticFile(request, response, *file);
}

void SiteServer::Impl::HandleWithBody(const httplib::Request& request, httplib::Response& response,
                                      const httplib::ContentReader& read) {
  auto body = std::make_shared<Spool>();
  bool too_large = false;
  bool complete = read([&](const char* data, size_t length) {
    // Compressed bodies arrive inflated: the limit holds for what pages read.
    if (body->Size() + length > limits.max_body_bytes) {
      too_large = true;
      return false;
    }
    body->Append(std::string_view(data, length));
    return true;
  });
  if (!complete) {
    GuardedHttpServer::CloseAfterAnswer(response);
    return SendStatus(response, too_large ? 413 : response.status >= 400 ? response.status : 400);
  }
  Handle(request, response, body);
}

httplib::Server::HandlerResponse SiteServer::Impl::BeforeRouting(const httplib::Request& request,
                                                                 httplib::Response& response) {
  GuardedHttpServer::HeadRead();
  if (request.has_header("Content-Length")) {
    std::string text = request.get_header_value("Content-Length");
    uint64_t length = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (error == std::errc::result_out_of_range || (error == std::errc() && length > limits.max_body_bytes)) {
      GuardedHttpServer::CloseAfterAnswer(response);
      SendStatus(response, 413);
      return httplib::Server::HandlerResponse::Handled;
    }
    if (error != std::errc() || end != text.data() + text.size()) {
      GuardedHttpServer::CloseAfterAnswer(response);
      SendStatus(response, 400);
      return httplib::Server::HandlerResponse::Handled;
    }
  }
  // Requests that may carry a body go on to the handlers that read it.
  if (CarriesBody(request)) return httplib::Server::HandlerResponse::Unhandled;
  Handle(request, response, nullptr);
  return httplib::Server::HandlerResponse::Handled;
}

SiteServer::SiteServer(std::filesystem::path site_folder, Pages pages, ServerLimits limits)
    : impl_(std::make_unique<Impl>()) {
  Impl& self = *impl_;
  self.site_folder = std::move(site_folder);
  self.pages = std::move(pages);
  self.limits = limits;
  self.site.sessions = std::make_shared<asp::MemorySessionStore>(&std::chrono::steady_clock::now, limits.max_sessions);
  qe::RegisterComponentClasses();

  GuardedHttpServer& http = self.http;
  size_t threads = limits.threads;
  http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  http.set_payload_max_length(limits.max_body_bytes);
  http.SetHeadTimeout(limits.head_timeout);
  http.set_keep_alive_max_count(kKeepAliveRequests);
  // httplib writes a head and its body apart: without this, each answer on a
  // kept connection waits for the client's delayed acknowledgement.
  http.set_tcp_nodelay(true);
  http.set_pre_routing_handler(
      [&self](const httplib::Request& request, httplib::Response& response) { return self.BeforeRouting(request, response); });
  auto with_body = [&self](const httplib::Request& request, httplib::Response& response,
                           const httplib::ContentReader& read) { self.HandleWithBody(request, response, read); };
  http.Post(kAnyPath, with_body);
  http.Put(kAnyPath, with_body);
  http.Patch(kAnyPath, with_body);
  http.Delete(kAnyPath, with_body);
  // Statuses that httplib answers by itself (a malformed request line, a
  // header too long) get the same plain text as ours, and end the connection:
  // what follows a malformed request cannot be trusted to be the next one.
  http.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty() || response.content_length_ > 0) return httplib::Server::HandlerResponse::Unhandled;
    GuardedHttpServer::CloseAfterAnswer(response);
    int cut_off = GuardedHttpServer::HeadCutOff();
    SendStatus(response, cut_off ? cut_off : response.status);
    return httplib::Server::HandlerResponse::Handled;
  }));
  http.set_exception_handler([](const httplib::Request& request, httplib::Response& response, std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qe serve: %s: %s\n", request.path.c_str(), e.what());
    } catch (...) {
      std::fprintf(stderr, "qe serve: %s: unknown failure\n", request.path.c_str());
    }
    response = httplib::Response();
    SendStatus(response, 500);
  });
}

SiteServer::~SiteServer() { Stop(); }

int SiteServer::Bind(const std::string& host, int port) {
  if (port == 0) return impl_->http.bind_to_any_port(host);
  return impl_->http.bind_to_port(host, port) ? port : -1;
}

bool SiteServer::Run() { return impl_->http.listen_after_bind(); }

void SiteServer::Stop() {
  if (impl_->http.is_running()) impl_->http.stop();
}

}  // namespace host
