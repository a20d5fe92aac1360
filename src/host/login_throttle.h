#pragma once
// How the login page slows down password guessing. Wrong passwords are
// counted for the login name tried (whether such a user exists or not) and
// for the client's address (an IPv6 client by its /64, what one subscriber
// holds). Once either has 5 wrong passwords within 15 minutes, a try must
// wait after the last wrong one: 1 s, then twice as long after each further
// wrong one, at most 30 s. A try that comes too early is refused at once
// without looking at the password, instead of holding a page worker while it
// waits: a few clients holding every worker for 30 s would shut out every
// visitor.
//
// An address that has logged in to an account before has the name's count to
// itself: wrong tries from elsewhere do not hold back its owner's right
// password, while every other address shares the name's count (the address
// limit applies to all alike).
//
// The memory is bounded: at most `max_keys` names and as many addresses. To
// make room, the least recently failed of those with fewer than 5 wrong tries
// go first, and a locked one only once its wait has run: wrong tries for
// other names cannot make the throttle forget a locked name. When every key
// is locked and waiting, a try with a new key is refused until one's wait
// has run.
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

// What a page says to a try the throttle holds back.
inline constexpr char16_t kTooManyLoginTries[] = u"登录失败次数过多，请稍后再试。";

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
  // Counts a wrong try; false (nothing counted) when the log is full of keys
  // whose wait still runs.
  bool Add(const std::string& key, Clock::time_point now);
  // Whether Add would count the key's try now, making room when it must.
  bool MakeRoomFor(const std::string& key, Clock::time_point now);
  // Takes back the key's wrong try of the time `at`, when it is still kept.
  void Remove(const std::string& key, Clock::time_point at);
  void Forget(const std::string& key) { failures_.erase(key); }
  size_t Keys() const { return failures_.size(); }

 private:
  // Times of the latest wrong tries, oldest first; the wait stops growing
  // past this many.
  using Times = std::vector<Clock::time_point>;

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
    // Whose count of the name the try used: the name's, or the name's for
    // this client (`own_count`) when it has logged in to it before.
    std::string name_key;
    bool own_count = false;
  };
  // Lets a try through unless it must wait. An admitted try counts as wrong
  // from the start, so that tries arriving together cannot all slip through
  // the same opening; Passed takes that back.
  Admission Admit(const vb::String& name, const std::string& client_address);
  // The admitted try had the right password: it is no wrong one after all.
  void Passed(const Admission& admission, const std::string& client_address);
  // The name logged in from the client: the count the try used is forgotten
  // (the address's stays, or logging into an account of one's own would
  // reset it), and the client has the name's count to itself from now on.
  void LoggedIn(const Admission& admission, const vb::String& name, const std::string& client_address);

  // The site's throttle, kept in its Application and made on first use.
  static std::shared_ptr<LoginThrottle> Of(vb::Variant& application);
  // Where Of keeps it.
  static constexpr char16_t kApplicationKey[] = u"QeLoginThrottle";

  vb::String TypeName() const override { return u"QeLoginThrottle"; }
  vb::Variant Invoke(vb::StringView name, com::CallType type, com::ArgList& args) override;

 private:
  bool Known(const std::string& name_key, const std::string& client_address) const;
  FailureLog& NamesOf(const Admission& admission) { return admission.own_count ? own_names_ : names_; }

  Clock clock_;
  size_t max_keys_;
  std::mutex mutex_;
  FailureLog names_, own_names_, addresses_;
  // Per name, the addresses it logged in from, the latest last; the time of
  // its latest login decides which name goes first when the table is full.
  struct Logins {
    std::vector<std::string> addresses;
    FailureLog::Clock::time_point last;
  };
  std::unordered_map<std::string, Logins> known_;
};

// A try of the request's client for `name`, asked of the site's throttle.
struct LoginTry {
  std::shared_ptr<LoginThrottle> throttle;
  std::string client;
  LoginThrottle::Admission admission;
};
LoginTry AdmitLogin(vb::Variant& application, vb::Variant& request, const vb::String& name);

// The key of a client address: an IPv4 address (IPv4-mapped ones too) as it
// is, an IPv6 one by its first 64 bits, anything else as it is.
std::string ClientAddressKey(const std::string& remote_addr);

}  // namespace host
