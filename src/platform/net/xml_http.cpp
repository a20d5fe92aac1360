#include "platform/net/xml_http.h"

#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace net {

namespace {

constexpr int32_t kAnswerNotReady = -1072896663;

}  // namespace

void XmlHttp::Open(vb::StringView method, vb::StringView url, bool async) {
  if (!vb::EqualsNoCase(method, u"GET")) vb::Raise(vb::kInvalidProcedureCall, u"Only GET requests are sent");
  if (async) vb::Raise(vb::kInvalidProcedureCall, u"Only synchronous requests are sent");
  url_ = vb::String(url);
  opened_ = true;
  answer_ = {};
}

void XmlHttp::Send() {
  if (!opened_) vb::Raise(vb::kInvalidProcedureCall, u"Open comes before Send");
  answer_ = Fetch(url_, CurrentFetchLimits());
  if (!answer_.answered)
    vb::Raise(kDownloadFailed, u"The download of " + url_ + u" has failed: " + vb::FromUtf8(answer_.error));
}

void XmlHttp::RequireAnswer() const {
  if (!answer_.answered) vb::Raise(kAnswerNotReady, u"The data necessary to complete this operation is not yet available");
}

int32_t XmlHttp::Status() const {
  RequireAnswer();
  return static_cast<int32_t>(answer_.status);
}

const std::string& XmlHttp::ResponseBody() const {
  RequireAnswer();
  return answer_.body;
}

const com::MemberTable<XmlHttp>& XmlHttp::Members() {
  using Args = com::ArgList;
  static const com::MemberTable<XmlHttp> table{
      {u"Open", com::kGet, 2, 5,
       [](XmlHttp& self, Args& a) {
         bool async = a.IsMissing(2) ? true : vb::CBool(com::ValueOf(a[2]));
         self.Open(vb::CStr(com::ValueOf(a[0])), vb::CStr(com::ValueOf(a[1])), async);
         return vb::Variant();
       }},
      {u"Send", com::kGet, 0, 1,
       [](XmlHttp& self, Args&) {
         self.Send();
         return vb::Variant();
       }},
      {u"Status", com::kGet, 0, 0, [](XmlHttp& self, Args&) { return vb::Variant(self.Status()); }},
      {u"ResponseBody", com::kGet, 0, 0,
       [](XmlHttp& self, Args&) {
         const std::string& body = self.ResponseBody();
         return vb::Variant(vb::Array::OfBytes(std::vector<uint8_t>(body.begin(), body.end())));
       }},
  };
  return table;
}

void RegisterClasses() {
  com::RegisterClass({u"Microsoft.XMLHTTP", u"{ED8C108E-4349-11D2-91A4-00C04F7969E8}",
                      [] { return std::static_pointer_cast<com::Object>(std::make_shared<XmlHttp>()); }});
}

}  // namespace net
