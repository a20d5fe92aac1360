#include "platform/asp/response_cookies.h"

#include "platform/asp/asp_errors.h"
#include "platform/asp/http_date.h"
#include "platform/asp/member_args.h"
#include "platform/asp/url_encoding.h"
#include "platform/com/enumeration.h"

namespace asp {

void RequireOneLine(StringView text) {
  if (text.find_first_of(u"\r\n") != StringView::npos)
    vb::Raise(vb::kInvalidProcedureCall, u"A header value cannot hold a line end");
}

bool HeaderState::AllowChange() const {
  if (ended) return false;
  if (sent) RaiseHeadersSent();
  return true;
}

const com::MemberTable<ResponseCookie>& ResponseCookie::Members() {
  using Self = ResponseCookie;
  static const auto get = [](Self& self, com::ArgList& args) -> Variant {
    if (args.IsMissing(0)) return self.value_;
    return self.Key(ArgText(args[0]));
  };
  static const auto let = [](Self& self, com::ArgList& args) -> Variant {
    if (args.size() >= 2)
      self.SetKey(ArgText(args[0]), ArgText(args[1]));
    else
      self.SetValue(ArgText(args[0]));
    return {};
  };
  static const com::MemberTable<Self> table{
      {u"", com::kGet, 0, 1, get},
      {u"Item", com::kGet, 0, 1, get},
      {u"", com::kLet, 1, 2, let},
      {u"Item", com::kLet, 1, 2, let},
      {u"HasKeys", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.HasKeys(); }},
      {u"Expires", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetExpires(vb::CDate(com::ValueOf(args[0])));
         return {};
       }},
      {u"Expires", com::kGet, 0, 0,
       [](Self& self, com::ArgList&) -> Variant {
         return self.expires_ ? Variant(*self.expires_) : Variant(vb::Date{});
       }},
      {u"Path", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetPath(ArgText(args[0]));
         return {};
       }},
      {u"Path", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.path_; }},
      {u"Domain", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetDomain(ArgText(args[0]));
         return {};
       }},
      {u"Domain", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.domain_; }},
      {u"Secure", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetSecure(vb::CBool(com::ValueOf(args[0])));
         return {};
       }},
      {u"Secure", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.secure_; }},
      {u"HttpOnly", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetHttpOnly(vb::CBool(com::ValueOf(args[0])));
         return {};
       }},
      {u"HttpOnly", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.http_only_; }},
      {u"SameSite", com::kLet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         self.SetSameSite(ArgText(args[0]));
         return {};
       }},
      {u"SameSite", com::kGet, 0, 0, [](Self& self, com::ArgList&) -> Variant { return self.same_site_; }},
  };
  return table;
}

void ResponseCookie::SetValue(String value) {
  RequireOneLine(value);
  if (!state_->AllowChange()) return;
  keys_.Clear();
  value_ = std::move(value);
}

void ResponseCookie::SetKey(StringView key, String value) {
  RequireOneLine(key);
  RequireOneLine(value);
  if (!state_->AllowChange()) return;
  value_.clear();
  keys_.Insert(key) = std::move(value);
}

String ResponseCookie::Key(StringView key) const {
  const String* value = keys_.Find(key);
  return value ? *value : String();
}

void ResponseCookie::SetExpires(vb::Date when) {
  if (state_->AllowChange()) expires_ = when;
}
void ResponseCookie::SetPath(String path) {
  RequireOneLine(path);
  if (state_->AllowChange()) path_ = std::move(path);
}
void ResponseCookie::SetDomain(String domain) {
  RequireOneLine(domain);
  if (state_->AllowChange()) domain_ = std::move(domain);
}
void ResponseCookie::SetSecure(bool secure) {
  if (state_->AllowChange()) secure_ = secure;
}
void ResponseCookie::SetHttpOnly(bool http_only) {
  if (state_->AllowChange()) http_only_ = http_only;
}
void ResponseCookie::SetSameSite(StringView same_site) {
  String named;
  for (const char16_t* known : {u"Strict", u"Lax", u"None"})
    if (vb::EqualsNoCase(same_site, known)) named = known;
  if (named.empty() && !same_site.empty())
    vb::Raise(vb::kInvalidProcedureCall, u"SameSite is Strict, Lax or None");
  if (state_->AllowChange()) same_site_ = std::move(named);
}

String ResponseCookie::HeaderValue() const {
  String text = name_ + u"=";
  if (keys_.empty()) {
    text += UrlEncode(value_);
  } else {
    bool first = true;
    for (const auto& entry : keys_) {
      if (!first) text += u"&";
      first = false;
      text += UrlEncode(entry.name) + u"=" + UrlEncode(entry.value);
    }
  }
  if (expires_) text += u"; expires=" + CookieDate(TimeOfLocalDate(*expires_));
  if (!domain_.empty()) text += u"; domain=" + domain_;
  if (!path_.empty()) text += u"; path=" + path_;
  if (secure_) text += u"; secure";
  if (http_only_) text += u"; HttpOnly";
  if (!same_site_.empty()) text += u"; SameSite=" + same_site_;
  return text;
}

const com::MemberTable<ResponseCookies>& ResponseCookies::Members() {
  using Self = ResponseCookies;
  static const auto get = [](Self& self, com::ArgList& args) { return self.Get(args); };
  static const auto let = [](Self& self, com::ArgList& args) -> Variant {
    self.Let(args);
    return {};
  };
  static const com::MemberTable<Self> table{
      {u"", com::kGet, 1, 2, get},
      {u"Item", com::kGet, 1, 2, get},
      {u"", com::kLet, 2, 3, let},
      {u"Item", com::kLet, 2, 3, let},
      {u"Count", com::kGet, 0, 0,
       [](Self& self, com::ArgList&) -> Variant { return static_cast<int32_t>(self.Count()); }},
      {u"Key", com::kGet, 1, 1,
       [](Self& self, com::ArgList& args) -> Variant {
         return self.cookies_.at(IndexArg(args[0], self.Count())).name;
       }},
      {u"_NewEnum", com::kGet, 0, 0,
       [](Self& self, com::ArgList&) {
         std::vector<String> names;
         for (const auto& entry : self.cookies_) names.push_back(entry.name);
         return com::NewEnum(names);
       }},
  };
  return table;
}

std::shared_ptr<ResponseCookie> ResponseCookies::Item(StringView name) {
  RequireOneLine(name);
  auto& cookie = cookies_.Insert(name);
  if (!cookie) cookie = std::make_shared<ResponseCookie>(String(name), state_);
  return cookie;
}

std::shared_ptr<ResponseCookie> ResponseCookies::Find(StringView name) const {
  const auto* cookie = cookies_.Find(name);
  return cookie ? *cookie : nullptr;
}

std::vector<std::shared_ptr<ResponseCookie>> ResponseCookies::All() const {
  std::vector<std::shared_ptr<ResponseCookie>> all;
  for (const auto& entry : cookies_) all.push_back(entry.value);
  return all;
}

Variant ResponseCookies::Get(com::ArgList& args) {
  std::shared_ptr<ResponseCookie> cookie =
      IsIndexArg(args[0]) ? cookies_.at(IndexArg(args[0], Count())).value : Item(ArgText(args[0]));
  if (args.IsMissing(1)) return Variant(cookie);
  return cookie->Key(ArgText(args[1]));
}

void ResponseCookies::Let(com::ArgList& args) {
  std::shared_ptr<ResponseCookie> cookie = Item(ArgText(args[0]));
  if (args.size() >= 3)
    cookie->SetKey(ArgText(args[1]), ArgText(args[2]));
  else
    cookie->SetValue(ArgText(args[1]));
}

}  // namespace asp
