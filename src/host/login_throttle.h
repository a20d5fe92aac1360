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
// A try counts as wrong only once its password was compared and differed: a
// try still waiting for the database, or one the database failed, is no
// wrong try, so that users behind one address (a school's network) who wait
// on maintenance together do not lock each other out. Tries of one name
// arriving together are let through only as far as its remaining free tries
// go (one at a time once it is locked), so that they cannot all slip through
// the same opening.
//
// An address that has logged in to an account before has the name's count to
// itself: wrong tries from elsewhere do not hold back its owner's right
// password, while every other address shares the name's count (the address
// limit applies to all alike).
//
// The memory is bounded (FailureLog): a locked key is remembered for the
// whole window after its last wrong try, whatever else fails meanwhile, and
// past the memory budget a try for a key not remembered is refused.
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
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
// key keeps. A key with 5 wrong tries within the window is locked: its record
// is kept until the window has run after its last wrong try. Other records
// make room for new keys, the least recently failed first, once the log holds
// `keys`; a log of locked records only grows on to `budget` keys, and then
// has no room for a new key until a lock's window has run.
class FailureLog {
 public:
  using Clock = std::chrono::steady_clock;

  FailureLog(size_t keys, size_t budget) : keys_(keys), budget_(budget) {}
  // Wrong tries of the key within the window before `now`.
  size_t Count(const std::string& key, Clock::time_point now) const;
  // The time before which the key's next try must wait; none (the distant
  // past) while it has fewer than 5 wrong tries within the window.
  Clock::time_point WaitUntil(const std::string& key, Clock::time_point now) const;
  // Whether a wrong try of the key can be counted now, making room when it
  // must.
  bool MakeRoomFor(const std::string& key, Clock::time_point now);
  // Counts a wrong try. A try let through while there was room is counted
  // even when others took that room meanwhile: the log then passes its
  // budget by at most the tries in flight.
  void Add(const std::string& key, Clock::time_point now);
  void Forget(const std::string& key);
  size_t Keys() const { return records_.size(); }

 private:
  // Oldest first, by each record's latest wrong try.
  using Order = std::list<const std::string*>;
  struct Record {
    // Times of the latest wrong tries, oldest first; the wait stops growing
    // past this many.
    std::vector<Clock::time_point> times;
    bool locked = false;
    Order::iterator place;
  };
  Order& OrderOf(const Record& record) { return record.locked ? locked_ : open_; }
  void Drop(const std::string& key);
  // Drops the records whose latest wrong try has left the window.
  void Expire(Clock::time_point now);

  size_t keys_, budget_;
  std::unordered_map<std::string, Record> records_;
  Order open_, locked_;
};

class LoginThrottle : public com::Object {
 public:
  using Clock = std::function<FailureLog::Clock::time_point()>;

  // The site's memory: this many names and as many addresses while some are
  // not locked, up to the budget when all are (a name is cut to 100
  // characters: about 40 MB for a full budget of the longest names).
  static constexpr size_t kKeys = 10'000;
  static constexpr size_t kBudget = 50'000;

  explicit LoginThrottle(Clock clock = &FailureLog::Clock::now, size_t keys = kKeys, size_t budget = kBudget);

  // A try let through or not, and whether the page must say that there were
  // too many wrong tries.
  struct Admission {
    bool admitted = false;
    // Either the name or the address had 5 wrong tries within the window
    // before this one: every answer then says so, a wrong password's too.
    bool engaged = false;
    // Whose count of the name the try used: the name's, or the name's for
    // this client (`own_count`) when it has logged in to it before.
    std::string name_key;
    bool own_count = false;
  };
  // Lets a try through unless it must wait. An admitted try is in flight
  // until it is Settled: nothing is counted for it until then.
  Admission Admit(const vb::String& name, const std::string& client_address);
  // The admitted try is over: its password was compared and differed
  // (`wrong`), or it was right, or it was never compared.
  void Settled(const Admission& admission, const std::string& client_address, bool wrong);
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
  // Tries let through and not yet settled, per name key.
  std::unordered_map<std::string, size_t> in_flight_;
  // Per name, the addresses it logged in from, the latest last; the time of
  // its latest login decides which name goes first when the table is full.
  struct Logins {
    std::vector<std::string> addresses;
    FailureLog::Clock::time_point last;
  };
  std::unordered_map<std::string, Logins> known_;
};

// A try of the request's client for `name`, asked of the site's throttle. A
// try admitted and never settled (the database failed before the password
// was compared) leaves no wrong try behind.
class LoginTry {
 public:
  LoginTry(vb::Variant& application, vb::Variant& request, const vb::String& name);
  ~LoginTry();
  LoginTry(const LoginTry&) = delete;
  LoginTry& operator=(const LoginTry&) = delete;

  bool Admitted() const { return admission_.admitted; }
  bool Engaged() const { return admission_.engaged; }
  // The password was compared: right or wrong.
  void Compared(bool right);
  // The name logged in (after a right password).
  void LoggedIn(const vb::String& name);

 private:
  std::shared_ptr<LoginThrottle> throttle_;
  std::string client_;
  LoginThrottle::Admission admission_;
  bool settled_ = false;
};

// The key of a client address: an IPv4 address (IPv4-mapped ones too) as it
// is, an IPv6 one by its first 64 bits, anything else as it is.
std::string ClientAddressKey(const std::string& remote_addr);

}  // namespace host
