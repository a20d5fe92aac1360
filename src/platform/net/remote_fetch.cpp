#include "platform/net/remote_fetch.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/text/ansi.h"

namespace net {

namespace {

constexpr char kProtocols[] = "http,https";

std::atomic<bool> g_test_allowance{false};
std::mutex g_limits_mutex;
FetchLimits g_test_limits;
// No deadline: the largest duration.
thread_local std::chrono::milliseconds t_deadline = std::chrono::milliseconds::max();

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsLoopback(const sockaddr* address) {
  if (address->sa_family == AF_INET)
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr) >> 24 == 127;
  if (address->sa_family == AF_INET6) {
    const in6_addr& a = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    static constexpr uint8_t kZero[15] = {};
    return std::memcmp(a.s6_addr, kZero, 15) == 0 && a.s6_addr[15] == 1;
  }
  return false;
}

struct Transfer {
  std::string body;
  uint64_t max_bytes = 0;
  bool too_large = false;
  bool refused_peer = false;
};

size_t TakeBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t bytes = size * count;
  if (transfer->body.size() + bytes > transfer->max_bytes) {
    transfer->too_large = true;
    return 0;
  }
  transfer->body.append(data, bytes);
  return bytes;
}

// Every connection, the first and each redirection's, passes here with the
// address curl resolved: the one checked is the one connected.
curl_socket_t OpenCheckedSocket(void* user, curlsocktype purpose, curl_sockaddr* address) {
  auto* refused = static_cast<bool*>(user);
  if (purpose != CURLSOCKTYPE_IPCXN) return CURL_SOCKET_BAD;
  if (IsRefusedPeer(&address->addr) && !(g_test_allowance && IsLoopback(&address->addr))) {
    *refused = true;
    return CURL_SOCKET_BAD;
  }
  return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

}  // namespace

TestFetchAllowance::TestFetchAllowance(FetchLimits limits) {
  std::lock_guard lock(g_limits_mutex);
  g_test_limits = limits;
  g_test_allowance = true;
}

TestFetchAllowance::~TestFetchAllowance() {
  std::lock_guard lock(g_limits_mutex);
  g_test_limits = {};
  g_test_allowance = false;
}

FetchDeadline::FetchDeadline(std::chrono::milliseconds total) : previous_(t_deadline) {
  t_deadline = std::min(t_deadline, total);
}

FetchDeadline::~FetchDeadline() { t_deadline = previous_; }

FetchLimits CurrentFetchLimits() {
  FetchLimits limits;
  {
    std::lock_guard lock(g_limits_mutex);
    if (g_test_allowance) limits = g_test_limits;
  }
  limits.total = std::min(limits.total, t_deadline);
  limits.connect = std::min(limits.connect, t_deadline);
  return limits;
}

void CheckEveryPeer(void* curl, bool* refused) {
  // A proxy would be the peer connected, and the address asked for never checked.
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &OpenCheckedSocket);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, refused);
}

FetchAnswer Fetch(vb::StringView address, const FetchLimits& limits) {
  InitCurlOnce();
  FetchAnswer answer;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) {
    answer.error = "the transfer library could not start";
    return answer;
  }
  Transfer transfer;
  transfer.max_bytes = limits.max_bytes;
  std::string url = text::EncodeAnsi(address);
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, limits.max_redirects);
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_bytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &TakeBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  CheckEveryPeer(c, &transfer.refused_peer);
  CURLcode result = curl_easy_perform(c);
  if (result == CURLE_OK) {
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
    answer.answered = true;
    answer.body = std::move(transfer.body);
  } else if (transfer.refused_peer) {
    answer.error = "the address is not a public one";
  } else if (transfer.too_large || result == CURLE_FILESIZE_EXCEEDED) {
    answer.error = "the answer is larger than " + std::to_string(limits.max_bytes) + " bytes";
  } else {
    answer.error = curl_easy_strerror(result);
  }
  return answer;
}

}  // namespace net
