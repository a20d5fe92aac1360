#include "host/login_throttle.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdio>

#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

using namespace std::chrono_literals;
using TimePoint = FailureLog::Clock::time_point;

constexpr auto kWindow = 15min;
constexpr size_t kFreeTries = 5;
constexpr auto kFirstWait = 1s;
constexpr auto kLongestWait = 30s;
// 1 s doubled five times passes 30 s: later wrong tries change nothing.
constexpr size_t kTimesKept = kFreeTries + 5;
// Login names are short; a longer text is cut so that no key grows with
// what a client sends.
constexpr size_t kNameKeyLength = 100;
// Addresses kept per name that logged in from them: a user's few places.
constexpr size_t kKnownAddresses = 8;

bool Recent(TimePoint failure, TimePoint now) { return now - failure < kWindow; }

std::string NameKey(const vb::String& name) {
  return vb::ToUtf8(vb::LCase(name.substr(0, std::min(name.size(), kNameKeyLength))));
}

}  // namespace

size_t FailureLog::Count(const std::string& key, TimePoint now) const {
  auto found = failures_.find(key);
  if (found == failures_.end()) return 0;
  return std::count_if(found->second.begin(), found->second.end(), [&](TimePoint t) { return Recent(t, now); });
}

TimePoint FailureLog::WaitUntil(const std::string& key, TimePoint now) const {
  const size_t count = Count(key, now);
  if (count < kFreeTries) return TimePoint::min();
  const auto wait = std::min<FailureLog::Clock::duration>(kFirstWait * (1 << (count - kFreeTries)), kLongestWait);
  return failures_.at(key).back() + wait;
}

bool FailureLog::Add(const std::string& key, TimePoint now) {
  if (!MakeRoomFor(key, now)) return false;
  Times& times = failures_[key];
  std::erase_if(times, [&](TimePoint t) { return !Recent(t, now); });
  if (times.size() == kTimesKept) times.erase(times.begin());
  times.push_back(now);
  return true;
}

void FailureLog::Remove(const std::string& key, TimePoint at) {
  auto found = failures_.find(key);
  if (found == failures_.end()) return;
  Times& times = found->second;
  auto kept = std::find(times.rbegin(), times.rend(), at);
  if (kept != times.rend()) times.erase(std::next(kept).base());
  if (times.empty()) failures_.erase(found);
}

bool FailureLog::MakeRoomFor(const std::string& key, TimePoint now) {
  if (failures_.size() < max_keys_ || failures_.contains(key)) return true;
  std::erase_if(failures_, [&](const auto& entry) { return !Recent(entry.second.back(), now); });
  if (failures_.size() < max_keys_) return true;
  // The least recently failed of those not locked; failing that, of those
  // locked whose wait has run.
  auto victim = failures_.end();
  bool victim_locked = true;
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    const bool locked = Count(it->first, now) >= kFreeTries;
    if (locked && now < WaitUntil(it->first, now)) continue;
    if (victim == failures_.end() || (victim_locked && !locked) ||
        (victim_locked == locked && it->second.back() < victim->second.back())) {
      victim = it;
      victim_locked = locked;
    }
  }
  if (victim == failures_.end()) return false;
  failures_.erase(victim);
  return true;
}

LoginThrottle::LoginThrottle(Clock clock, size_t max_keys)
    : clock_(std::move(clock)), max_keys_(max_keys), names_(max_keys), own_names_(max_keys), addresses_(max_keys) {}

bool LoginThrottle::Known(const std::string& name_key, const std::string& client_address) const {
  auto found = known_.find(name_key);
  return found != known_.end() && std::ranges::find(found->second.addresses, client_address) !=
                                      found->second.addresses.end();
}

LoginThrottle::Admission LoginThrottle::Admit(const vb::String& name, const std::string& client_address) {
  const std::string plain_key = NameKey(name);
  std::lock_guard lock(mutex_);
  Admission admission;
  admission.at = clock_();
  const TimePoint now = admission.at;
  admission.own_count = Known(plain_key, client_address);
  // In a log of their own, so that no name typed in can reach such a count.
  admission.name_key = admission.own_count ? plain_key + "\n" + client_address : plain_key;
  const std::string& name_key = admission.name_key;
  FailureLog& names = NamesOf(admission);
  admission.engaged = names.Count(name_key, now) >= kFreeTries || addresses_.Count(client_address, now) >= kFreeTries;
  if (now < names.WaitUntil(name_key, now) || now < addresses_.WaitUntil(client_address, now)) return admission;
  if (!names.MakeRoomFor(name_key, now) || !addresses_.MakeRoomFor(client_address, now)) {
    admission.engaged = true;
    return admission;
  }
  admission.admitted = true;
  names.Add(name_key, now);
  addresses_.Add(client_address, now);
  return admission;
}

void LoginThrottle::Passed(const Admission& admission, const std::string& client_address) {
  std::lock_guard lock(mutex_);
  NamesOf(admission).Remove(admission.name_key, admission.at);
  addresses_.Remove(client_address, admission.at);
}

void LoginThrottle::LoggedIn(const Admission& admission, const vb::String& name, const std::string& client_address) {
  const std::string plain_key = NameKey(name);
  std::lock_guard lock(mutex_);
  NamesOf(admission).Forget(admission.name_key);
  auto found = known_.find(plain_key);
  if (found == known_.end()) {
    if (known_.size() >= max_keys_)
      known_.erase(std::ranges::min_element(known_, {}, [](const auto& entry) { return entry.second.last; }));
    found = known_.emplace(plain_key, Logins{}).first;
  }
  std::vector<std::string>& addresses = found->second.addresses;
  std::erase(addresses, client_address);
  if (addresses.size() == kKnownAddresses) addresses.erase(addresses.begin());
  addresses.push_back(client_address);
  found->second.last = admission.at;
}

std::shared_ptr<LoginThrottle> LoginThrottle::Of(vb::Variant& application) {
  // Two first logins at once must not make two throttles.
  com::Call(application, u"Lock");
  vb::Variant held = com::Call(application, u"", vb::String(kApplicationKey));
  auto throttle = held.IsObject() ? std::dynamic_pointer_cast<LoginThrottle>(held.GetObject()) : nullptr;
  if (!throttle) {
    throttle = std::make_shared<LoginThrottle>();
    com::SetRef(application, u"", vb::Variant(vb::ObjectPtr(throttle)), vb::String(kApplicationKey));
  }
  com::Call(application, u"Unlock");
  return throttle;
}

vb::Variant LoginThrottle::Invoke(vb::StringView, com::CallType, com::ArgList&) { vb::Raise(vb::kMemberNotSupported); }

LoginTry AdmitLogin(vb::Variant& application, vb::Variant& request, const vb::String& name) {
  vb::Variant address = com::ValueOf(com::Call(request, u"ServerVariables", vb::String(u"REMOTE_ADDR")));
  LoginTry tried{LoginThrottle::Of(application), ClientAddressKey(address.IsNull() ? "" : vb::ToUtf8(vb::CStr(address))),
                 {}};
  tried.admission = tried.throttle->Admit(name, tried.client);
  return tried;
}

std::string ClientAddressKey(const std::string& remote_addr) {
  in6_addr v6{};
  if (remote_addr.find(':') == std::string::npos || inet_pton(AF_INET6, remote_addr.c_str(), &v6) != 1)
    return remote_addr;
  const uint8_t* b = v6.s6_addr;
  static constexpr uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  char text[40];
  if (std::equal(kMapped, kMapped + 12, b)) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[12], b[13], b[14], b[15]);
  } else {
    std::snprintf(text, sizeof text, "%02x%02x:%02x%02x:%02x%02x:%02x%02x::/64", b[0], b[1], b[2], b[3], b[4], b[5],
                  b[6], b[7]);
  }
  return text;
}

}  // namespace host
