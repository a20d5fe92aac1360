#include "host/page_context.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "host/site_drive.h"
#include "platform/asp/context.h"
#include "platform/asp/text_codec.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) vb::Raise(vb::kFileNotFound, u"cannot read " + vb::FromUtf8(path));
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

struct PageContext::Impl {
  std::filesystem::path scratch;  // removed at the end when we made it
  std::unique_ptr<asp::Context> context;
  // A class that reads the request being served, rather than being handed
  // it, finds this one for as long as the page lasts.
  std::optional<asp::ContextScope> current;
  vb::Variant request, response, server, session, application;
};

PageContext::PageContext(const PageOptions& options) : impl_(std::make_unique<Impl>()) {
  std::filesystem::path site = options.site;
  if (site.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-site-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) vb::Raise(vb::kPathFileAccessError, u"cannot create a scratch site");
    site = impl_->scratch = pattern;
  }
  asp::RequestSpec request_spec;
  request_spec.site_root = MountSite(site);
  request_spec.method = vb::FromUtf8(options.method);
  request_spec.url = vb::FromUtf8(options.page) + (options.query.empty() ? u"" : u"?" + vb::FromUtf8(options.query));
  request_spec.page = vb::FromUtf8(options.page);
  for (const auto& [name, value] : options.headers) request_spec.headers.emplace_back(vb::FromUtf8(name), vb::FromUtf8(value));
  for (const auto& [name, value] : options.cookies) request_spec.cookies.emplace_back(vb::FromUtf8(name), vb::FromUtf8(value));
  for (const auto& [name, value] : options.session)
    request_spec.session.emplace_back(vb::FromUtf8(name), vb::Variant(vb::FromUtf8(value)));
  if (!options.body_file.empty()) {
    request_spec.body = ReadFile(options.body_file);
  } else if (!options.form.empty()) {
    request_spec.body = options.form;
    request_spec.headers.emplace_back(u"Content-Type", u"application/x-www-form-urlencoded");
  }
  request_spec.application = std::make_shared<asp::ApplicationState>();
  impl_->context = std::make_unique<asp::Context>(std::move(request_spec));
  impl_->current.emplace(*impl_->context);
  for (const auto& [name, value] : options.application)
    com::Let(impl_->context->Application(), u"", vb::Variant(vb::FromUtf8(value)), vb::FromUtf8(name));

  impl_->request = impl_->context->Request();
  impl_->response = impl_->context->Response();
  impl_->server = impl_->context->Server();
  impl_->session = impl_->context->Session();
  impl_->application = impl_->context->Application();
}

PageContext::~PageContext() {
  impl_->current.reset();
  impl_->context.reset();
  if (!impl_->scratch.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(impl_->scratch, ec);
  }
}

vb::Variant* PageContext::Intrinsic(vb::StringView name) {
  if (vb::EqualsNoCase(name, u"Request")) return &impl_->request;
  if (vb::EqualsNoCase(name, u"Response")) return &impl_->response;
  if (vb::EqualsNoCase(name, u"Server")) return &impl_->server;
  if (vb::EqualsNoCase(name, u"Session")) return &impl_->session;
  if (vb::EqualsNoCase(name, u"Application")) return &impl_->application;
  return nullptr;
}

std::string PageContext::ResponseText() const {
  impl_->context->Finish();
  const asp::MemorySink* sent = impl_->context->Sent();
  std::string out;
  if (sent && sent->Head()) {
    out += "HTTP/1.1 " + vb::ToUtf8(sent->Head()->status) + "\n";
    for (const auto& [name, value] : sent->Head()->headers) out += vb::ToUtf8(name) + ": " + vb::ToUtf8(value) + "\n";
  }
  out += "\n";
  // A page's text is shown in UTF-8; a file sent as an attachment stays byte for byte.
  bool attachment = false;
  if (sent && sent->Head())
    for (const auto& [name, value] : sent->Head()->headers)
      attachment = attachment ||
                   (vb::EqualsNoCase(name, u"Content-Disposition") && vb::LCase(value).starts_with(u"attachment"));
  if (attachment) return out + impl_->context->ResponseBody();
  out += vb::ToUtf8(asp::DecodeText(impl_->context->ResponseBody()));
  if (!out.empty() && out.back() != '\n') out += "\n";
  return out;
}

}  // namespace host
