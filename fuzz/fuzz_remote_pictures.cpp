// The picture-address rewrite over any text, with a stub request object in
// place of the network: no fault of memory or arithmetic, and a text of which
// nothing was copied comes back unchanged.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "temp_folder.h"
#include "transfer/kesra_file_download.h"

namespace {

// Serves a small GIF for addresses of an even length, a 404 for the others.
class StubRequest : public com::Dispatch<StubRequest> {
 public:
  static const com::MemberTable<StubRequest>& Members() {
    static const com::MemberTable<StubRequest> table{
        {u"Open", com::kGet, 2, 5,
         [](StubRequest& self, com::ArgList& a) {
           self.url_ = vb::CStr(com::ValueOf(a[1]));
           return vb::Variant();
         }},
        {u"Send", com::kGet, 0, 1, [](StubRequest&, com::ArgList&) { return vb::Variant(); }},
        {u"Status", com::kGet, 0, 0,
         [](StubRequest& self, com::ArgList&) { return vb::Variant(int32_t{self.url_.size() % 2 ? 404 : 200}); }},
        {u"ResponseBody", com::kGet, 0, 0,
         [](StubRequest&, com::ArgList&) {
           return vb::Variant(vb::Array::OfBytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}));
         }},
    };
    return table;
  }
  vb::String TypeName() const override { return u"IXMLHTTPRequest"; }

 private:
  vb::String url_;
};

std::filesystem::path Drive() {
  static const TempFolder drive("qe-fuzz-remote-");
  static const bool mapped = [] {
    fs::MapDrive(u'C', drive.Path());
    com::RegisterClass({u"Microsoft.XMLHTTP", u"",
                        [] { return std::static_pointer_cast<com::Object>(std::make_shared<StubRequest>()); }});
    return true;
  }();
  (void)mapped;
  return drive.Path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path folder = Drive() / "site" / "up";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  // Bytes 1 and 2 stand for the start and the end of a picture address, so
  // that most inputs hold some.
  std::string bytes;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 1) bytes += "http://www.school.edu.cn/up/";
    else if (data[i] == 2) bytes += ".gif";
    else bytes.push_back(static_cast<char>(data[i]));
  }
  vb::String text = vb::FromUtf8(bytes);

  asp::Context context(asp::RequestSpec{});
  vb::Variant server = context.Server();
  vb::String result;
  try {
    result = qe::KesraGetRemotefileUrl(server, text, u"/up");
  } catch (const vb::Error&) {
    return 0;  // a copy name the file system refuses (an extension with "\", ":" ...)
  }
  size_t copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++copies;
  }
  if (copies == 0 && result != text) std::abort();
  return 0;
}
