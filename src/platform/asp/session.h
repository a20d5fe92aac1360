#pragma once
// The Session object and the sessions behind it. A session is found by the
// token of its cookie (random, not guessable) and carries the SessionID that
// pages see (a number, as IIS gives it). It expires after Timeout minutes
// without a request; Abandon removes it at the end of the current request,
// so the next request gets a new one.
#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/asp/contents.h"

namespace asp {

class SessionState : public ValueStore {
 public:
  SessionState(String token, int32_t id) : token_(std::move(token)), id_(id) {}

  // Both change when the session is renewed (a new id at login).
  String Token() const;
  int32_t Id() const { return id_; }
  void Renumber(String token, int32_t id);

  Variant Get(StringView name) const override;
  void Put(StringView name, Variant value) override;
  void Remove(StringView name) override;
  void RemoveAll() override;
  std::vector<String> Keys() const override;
  bool HoldsValues() const;
  // A value other than Empty, Null and "".
  bool HoldsNonEmpty(StringView name) const;

  // A page that read SessionID may hand it on: the session is kept even
  // without values.
  void NoteIdRead() { id_read_ = true; }
  bool IdRead() const { return id_read_; }
  // Worth keeping past its request: it holds values or its id was read.
  bool InUse() const { return IdRead() || HoldsValues(); }

  int32_t Timeout() const { return timeout_minutes_; }
  void SetTimeout(int32_t minutes);  // error 5 below 1
  int32_t CodePage() const { return code_page_; }
  void SetCodePage(int32_t code_page) { code_page_ = code_page; }
  int32_t Lcid() const { return lcid_; }
  void SetLcid(int32_t lcid) { lcid_ = lcid; }
  void Abandon() { abandoned_ = true; }
  bool Abandoned() const { return abandoned_; }

 private:
  mutable std::mutex mutex_;  // guards token_ and values_
  String token_;
  std::atomic<int32_t> id_;
  ValueTable values_;
  std::atomic<int32_t> timeout_minutes_ = 20;
  std::atomic<int32_t> code_page_ = 936;
  std::atomic<int32_t> lcid_ = 2052;
  std::atomic<bool> abandoned_ = false;
  std::atomic<bool> id_read_ = false;
};

class SessionStore {
 public:
  virtual ~SessionStore() = default;
  // The live session of that token, or nullptr (unknown, expired).
  virtual std::shared_ptr<SessionState> Open(StringView token) = 0;
  // A new session the store does not hold yet: Keep holds it once its
  // request found a use for it, so requests that never use a session leave
  // nothing behind and push nobody out.
  virtual std::shared_ptr<SessionState> Begin() = 0;
  // Holds a session from Begin (making room for it), or files one it holds
  // again by what it holds now.
  virtual void Keep(const std::shared_ptr<SessionState>& state) = 0;
  // Files a session it holds again by what it holds now; one it does not
  // hold (never kept, pushed out, removed) stays out.
  virtual void Settle(const std::shared_ptr<SessionState>& state) = 0;
  // A new token and id for the session, its values kept: the old token
  // opens nothing from now on.
  virtual void Renew(SessionState& state) = 0;
  virtual void Remove(StringView token) = 0;
  // A new session, held at once.
  std::shared_ptr<SessionState> Create() {
    auto state = Begin();
    Keep(state);
    return state;
  }
};

// Sessions in memory, filed by deadline (the last request plus Timeout
// minutes) so that opening, creating and sweeping out the expired take
// O(log n) however many sessions there are. A session whose Timeout changed
// after its last request is filed again when its old deadline comes; Open
// always judges by the Timeout it has now.
//
// At most `max_sessions` live at once. Keeping one more first pushes out a
// session without values, then one whose owner is not logged in (no value
// named `login_mark`), then a logged-in account's sessions but its latest
// (the account: the mark's text up to its first "|"), and only when every
// session is an account's latest, the one idle longest: an outsider's
// requests, however many, and one account's many logins cannot push out
// another user who logged in while any other session is there to go. A
// session's standing is read when it is opened, kept or settled, and again
// before it is pushed out.
//
// Tokens are 28 capitals from the system's random source: 131 bits that no
// earlier token tells anything about.
class MemorySessionStore : public SessionStore {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr size_t kDefaultMaxSessions = 100000;
  static constexpr size_t kTokenLetters = 28;
  explicit MemorySessionStore(Clock clock = &std::chrono::steady_clock::now,
                              size_t max_sessions = kDefaultMaxSessions, String login_mark = u"UserInfo");

  std::shared_ptr<SessionState> Open(StringView token) override;
  std::shared_ptr<SessionState> Begin() override;
  void Keep(const std::shared_ptr<SessionState>& state) override;
  void Settle(const std::shared_ptr<SessionState>& state) override;
  void Renew(SessionState& state) override;
  void Remove(StringView token) override;
  size_t Count() const;

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  // Deadline → the token, the key of the session's entry (keys keep their
  // place when the table grows).
  using Deadlines = std::multimap<TimePoint, const String*>;
  // Which sessions go first at the limit.
  enum class Standing : uint8_t { kEmpty, kAnonymous, kLoggedIn, kAccountsLatest };
  // The standing, then the order of last use (a count, as the clock may
  // give two uses the same time): the first goes first.
  using EvictionKey = std::pair<Standing, uint64_t>;
  using EvictionOrder = std::map<EvictionKey, const String*>;
  struct Held {
    std::shared_ptr<SessionState> state;
    TimePoint last_used;
    uint64_t use = 0;
    Deadlines::iterator filed;
    EvictionOrder::iterator placed;
    String account;  // whose latest session this was, when placed so
  };
  using Sessions = std::unordered_map<String, Held>;

  static TimePoint DeadlineOf(const Held& held);
  Standing StandingOf(const SessionState& state) const;
  String AccountOf(const SessionState& state) const;
  // The standing, an account's latest session told from its others.
  Standing StandingOf(const Sessions::value_type& entry) const;
  String NewToken() const;
  void Hold(const std::shared_ptr<SessionState>& state, TimePoint now);
  void File(Sessions::value_type& entry);
  // Placed in the eviction order as used last: a logged-in session becomes
  // its account's latest.
  void Place(Sessions::value_type& entry);
  // Placed again by its standing now.
  void Refile(Sessions::value_type& entry);
  void Erase(Sessions::iterator entry);
  void ForgetLatest(const Sessions::value_type& entry);
  Sessions::iterator Find(const SessionState& state);
  void SweepExpired(TimePoint now);
  void MakeRoom();

  Clock clock_;
  const size_t max_sessions_;
  const String login_mark_;
  mutable std::mutex mutex_;
  int32_t next_id_;
  uint64_t uses_ = 0;
  Sessions sessions_;
  Deadlines deadlines_;
  EvictionOrder eviction_order_;
  std::unordered_map<String, const String*> latest_;  // account → its session used last
};

class Session : public com::Dispatch<Session> {
 public:
  explicit Session(std::shared_ptr<SessionState> state);

  static const com::MemberTable<Session>& Members();
  String TypeName() const override { return u"ISessionObject"; }
  // Session("x"), Remove, RemoveAll and the rest of Contents answer on the
  // Session itself.
  Variant Invoke(StringView name, com::CallType type, com::ArgList& args) override;

  SessionState& State() { return *state_; }

 private:
  std::shared_ptr<SessionState> state_;
  std::shared_ptr<Contents> contents_;
};

}  // namespace asp
