#pragma once
// "Microsoft.XMLHTTP" as the component uses it: Open a GET of an address,
// Send it synchronously, read Status and ResponseBody. The fetch keeps to the
// limits of remote_fetch.h; an address it refuses, or a server that does not
// answer in time or whole, makes Send raise -2146697208 ("the download of the
// specified resource has failed") with the reason.
#include "platform/com/object.h"
#include "platform/net/remote_fetch.h"

namespace net {

inline constexpr int32_t kDownloadFailed = -2146697208;

class XmlHttp : public com::Dispatch<XmlHttp> {
 public:
  static const com::MemberTable<XmlHttp>& Members();
  vb::String TypeName() const override { return u"IXMLHTTPRequest"; }

  // Only "GET" (any case), synchronous; user and password are not sent.
  // Raises 5 for another method or an asynchronous request.
  void Open(vb::StringView method, vb::StringView url, bool async);
  void Send();
  // Before Send: raises -1072896663 (the answer is not there yet).
  int32_t Status() const;
  const std::string& ResponseBody() const;

 private:
  void RequireAnswer() const;

  vb::String url_;
  bool opened_ = false;
  FetchAnswer answer_;
};

// Registers "Microsoft.XMLHTTP" for CreateObject.
void RegisterClasses();

}  // namespace net
