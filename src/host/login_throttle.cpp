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
  auto found = records_.find(key);
  if (found == records_.end()) return 0;
  const std::vector<TimePoint>& times = found->second.times;
  return std::count_if(times.begin(), times.end(), [&](TimePoint t) { return Recent(t, now); });
}

TimePoint FailureLog::WaitUntil(const std::string& key, TimePoint now) const {
  const size_t count = Count(key, now);
  if (count < kFreeTries) return TimePoint::min();
  const auto wait = std::min<FailureLog::Clock::duration>(kFirstWait * (1 << (count - kFreeTries)), kLongestWait);
  return records_.at(key).times.back() + wait;
}

bool FailureLog::MakeRoomFor(const std::string& key, TimePoint now) {
  if (records_.contains(key)) return true;
  Expire(now);
  if (records_.size() < keys_) return true;
  if (!open_.empty()) {
    Drop(*open_.front());
    return true;
  }
  return records_.size() < budget_;
}

void FailureLog::Add(const std::string& key, TimePoint now) {
  MakeRoomFor(key, now);
  auto [found, fresh] = records_.try_emplace(key);
  Record& record = found->second;
  if (fresh)
    record.times.reserve(kTimesKept);
  else
    OrderOf(record).erase(record.place);
  std::vector<TimePoint>& times = record.times;
  std::erase_if(times, [&](TimePoint t) { return !Recent(t, now); });
  if (times.size() == kTimesKept) times.erase(times.begin());
  times.push_back(now);
  record.locked = times.size() >= kFreeTries;
  Order& order = OrderOf(record);
  record.place = order.insert(order.end(), &found->first);
}

void FailureLog::Forget(const std::string& key) {
  if (records_.contains(key)) Drop(key);
}

void FailureLog::Drop(const std::string& key) {
  auto found = records_.find(key);
  OrderOf(found->second).erase(found->second.place);
  records_.erase(found);
}

void FailureLog::Expire(TimePoint now) {
  for (Order* order : {&open_, &locked_})
    while (!order->empty() && !Recent(records_.at(*order->front()).times.back(), now)) Drop(*order->front());
}

LoginThrottle::LoginThrottle(Clock clock, size_t keys, size_t budget)
    : clock_(std::move(clock)),
      max_keys_(keys),
      names_(keys, budget),
      own_names_(keys, budget),
      addresses_(keys, budget) {}

bool LoginThrottle::Known(const std::string& name_key, const std::string& client_address) const {
  auto found = known_.find(name_key);
  return found != known_.end() && std::ranges::find(found->second.addresses, client_address) !=
                                      found->second.addresses.end();
}

LoginThrottle::Admission LoginThrottle::Admit(const vb::String& name, const std::string& client_address) {
  const std::string plain_key = NameKey(name);
  std::lock_guard lock(mutex_);
  Admission admission;
  const TimePoint now = clock_();
  admission.own_count = Known(plain_key, client_address);
  // In a log of their own, so that no name typed in can reach such a count.
  admission.name_key = admission.own_count ? plain_key + "\n" + client_address : plain_key;
  const std::string& name_key = admission.name_key;
  FailureLog& names = NamesOf(admission);
  const size_t count = names.Count(name_key, now);
  admission.engaged = count >= kFreeTries || addresses_.Count(client_address, now) >= kFreeTries;
  if (now < names.WaitUntil(name_key, now) || now < addresses_.WaitUntil(client_address, now)) return admission;
  // As many tries at once as the name has free ones left; one once it is locked.
  const size_t openings = count < kFreeTries ? kFreeTries - count : 1;
  auto in_flight = in_flight_.find(name_key);
  if ((in_flight != in_flight_.end() && in_flight->second >= openings) || !names.MakeRoomFor(name_key, now) ||
      !addresses_.MakeRoomFor(client_address, now)) {
    admission.engaged = true;
    return admission;
  }
  admission.admitted = true;
  ++in_flight_[name_key];
  return admission;
}

void LoginThrottle::Settled(const Admission& admission, const std::string& client_address, bool wrong) {
  std::lock_guard lock(mutex_);
  auto in_flight = in_flight_.find(admission.name_key);
  if (in_flight != in_flight_.end() && --in_flight->second == 0) in_flight_.erase(in_flight);
  if (!wrong) return;
  const TimePoint now = clock_();
  NamesOf(admission).Add(admission.name_key, now);
  addresses_.Add(client_address, now);
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
  found->second.last = clock_();
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

LoginTry::LoginTry(vb::Variant& application, vb::Variant& request, const vb::String& name)
    : throttle_(LoginThrottle::Of(application)) {
  vb::Variant address = com::ValueOf(com::Call(request, u"ServerVariables", vb::String(u"REMOTE_ADDR")));
  client_ = ClientAddressKey(address.IsNull() ? "" : vb::ToUtf8(vb::CStr(address)));
  admission_ = throttle_->Admit(name, client_);
}

LoginTry::~LoginTry() {
  if (admission_.admitted && !settled_) throttle_->Settled(admission_, client_, false);
}

void LoginTry::Compared(bool right) {
  if (!admission_.admitted || settled_) return;
  settled_ = true;
  throttle_->Settled(admission_, client_, !right);
}

void LoginTry::LoggedIn(const vb::String& name) { throttle_->LoggedIn(admission_, name, client_); }

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
