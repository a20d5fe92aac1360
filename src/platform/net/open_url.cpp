#include "platform/net/open_url.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "platform/net/remote_fetch.h"
#include "platform/text/ansi.h"

namespace net {

namespace {

constexpr char kProtocols[] = "http,https,ftp";

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The body is not wanted: refusing its first bytes ends the transfer.
size_t RefuseBody(char*, size_t, size_t, void*) { return 0; }

}  // namespace

UrlAnswer OpenUrl(vb::StringView address, std::string_view agent, const UrlTimeouts& timeouts) {
  InitCurlOnce();
  UrlAnswer answer;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) {
    answer.error = "the transfer library could not start";
    return answer;
  }
  std::string url = text::EncodeAnsi(address);
  std::string user_agent(agent);
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, user_agent.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &RefuseBody);
  bool refused = false;
  CheckEveryPeer(c, &refused);
  CURLcode result = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
  answer.answered = answer.status > 0 && (result == CURLE_OK || result == CURLE_WRITE_ERROR);
  if (refused) answer.error = "the address is not a public one";
  else if (!answer.answered) answer.error = curl_easy_strerror(result);
  return answer;
}

}  // namespace net
