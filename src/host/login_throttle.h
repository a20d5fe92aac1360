#pragma once
// How the login page slows down password guessing. Wrong passwords are
// counted for the login name tried (whether such a user exists or not) and
// for the client's address (an IPv6 client by its /64, what one subscriber
// holds). Once either has 5 wrong passwords within 15 minutes, a try must
// wait after the last wrong one: 1 s, then twice as long after each further
// wrong one, at most 30 s. A try that comes too early is refused at once
// without looking at the password, instead of holding a page worker while it
// waits: a few clients holding every worker for 30 s would shut out every
// visitor. The memory is bounded: at most `max_keys` names and as many
// addresses, the least recently failed forgotten first.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/com/object.h"

namespace host {

// Wrong tries per key within the window, bounded in keys and in what each
// key keeps.
class FailureLog {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FailureLog(size_t max_keys) : max_keys_(max_keys) {}
  // Wrong tries of the key within the window before `now`.
  size_t Count(const std::string& key, Clock::time_point now) const;
  // The time before which the key's next try must wait; none (the distant
  // past) while it has fewer than 5 wrong tries within the window.
  Clock::time_point WaitUntil(const std::string& key, Clock::time_point now) const;
  void Add(const std::string& key, Clock::time_point now);
  // Takes back the key's wrong try of the time `at`, when it is still kept.
  void Remove(const std::string& key, Clock::time_point at);
  void Forget(const std::string& key) { failures_.erase(key); }
  size_t Keys() const { return failures_.size(); }

 private:
  // Times of the latest wrong tries, oldest first; the wait stops growing
  // past this many.
  using Times = std::vector<Clock::time_point>;
  void MakeRoom(Clock::time_point now);

  size_t max_keys_;
  std::unordered_map<std::string, Times> failures_;
};

class LoginThrottle : public com::Object {
 public:
  using Clock = std::function<FailureLog::Clock::time_point()>;

  explicit LoginThrottle(Clock clock = &FailureLog::Clock::now, size_t max_keys = 10'000);

  // A try let through or not, and whether the page must say that there were
  // too many wrong tries.
  struct Admission {
    bool admitted = false;
    // Either the name or the address had 5 wrong tries within the window
    // before this one: every answer then says so, a wrong password's too.
    bool engaged = false;
    FailureLog::Clock::time_point at;
  };
  // Lets a try through unless it must wait. An admitted try counts as wrong
  // from the start, so that tries arriving together cannot all slip through
  // the same opening; Passed takes that back.
  Admission Admit(const vb::String& name, const std::string& client_address);
  // The admitted try had the right password: it is no wrong one after all.
  void Passed(const Admission& admission, const vb::String& name, const std::string& client_address);
  // The name logged in: its wrong tries are forgotten (the address's stay, or
  // logging into an account of one's own would reset them).
  void LoggedIn(const vb::String& name);

  // The site's throttle, kept in its Application and made on first use.
  static std::shared_ptr<LoginThrottle> Of(vb::Variant& application);
  // Where Of keeps it.
  static constexpr char16_t kApplicationKey[] = u"QeLoginThrottle";

  vb::String TypeName() const override { return u"QeLoginThrottle"; }
  vb::Variant Invoke(vb::StringView name, com::CallType type, com::ArgList& args) override;

 private:
  Clock clock_;
  std::mutex mutex_;
  FailureLog names_, addresses_;
};

// The key of a client address: an IPv4 address (IPv4-mapped ones too) as it
// is, an IPv6 one by its first 64 bits, anything else as it is.
std::string ClientAddressKey(const std::string& remote_addr);

}  // namespace host
