#pragma once
// The Session object and the sessions behind it. A session is found by the
// token of its cookie (random, not guessable) and carries the SessionID that
// pages see (a number, as IIS gives it). It expires after Timeout minutes
// without a request; Abandon removes it at the end of the current request.
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

  const String& Token() const { return token_; }
  int32_t Id() const { return id_; }

  Variant Get(StringView name) const override;
  void Put(StringView name, Variant value) override;
  void Remove(StringView name) override;
  void RemoveAll() override;
  std::vector<String> Keys() const override;

  int32_t Timeout() const { return timeout_minutes_; }
  void SetTimeout(int32_t minutes);  // error 5 below 1
  int32_t CodePage() const { return code_page_; }
  void SetCodePage(int32_t code_page) { code_page_ = code_page; }
  int32_t Lcid() const { return lcid_; }
  void SetLcid(int32_t lcid) { lcid_ = lcid; }
  void Abandon() { abandoned_ = true; }
  bool Abandoned() const { return abandoned_; }

 private:
  const String token_;
  const int32_t id_;
  mutable std::mutex mutex_;  // guards values_
  ValueTable values_;
  std::atomic<int32_t> timeout_minutes_ = 20;
  std::atomic<int32_t> code_page_ = 936;
  std::atomic<int32_t> lcid_ = 2052;
  std::atomic<bool> abandoned_ = false;
};

class SessionStore {
 public:
  virtual ~SessionStore() = default;
  // The live session of that token, or nullptr (unknown, expired).
  virtual std::shared_ptr<SessionState> Open(StringView token) = 0;
  virtual std::shared_ptr<SessionState> Create() = 0;
  virtual void Remove(StringView token) = 0;
};

// Sessions in memory, filed by deadline (the last request plus Timeout
// minutes) so that opening, creating and sweeping out the expired take
// O(log n) however many sessions there are. A session whose Timeout changed
// after its last request is filed again when its old deadline comes; Open
// always judges by the Timeout it has now.
//
// At most `max_sessions` live at once: creating one more first removes the
// oldest session that never came back (no request since the one that made
// it), and only when there is none, the session nearest its deadline. A
// flood of clients that never return a cookie pushes out its own sessions,
// never a visitor who came back.
//
// Tokens are 28 capitals from the system's random source: 131 bits that no
// earlier token tells anything about.
class MemorySessionStore : public SessionStore {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr size_t kDefaultMaxSessions = 100000;
  static constexpr size_t kTokenLetters = 28;
  explicit MemorySessionStore(Clock clock = &std::chrono::steady_clock::now,
                              size_t max_sessions = kDefaultMaxSessions);

  std::shared_ptr<SessionState> Open(StringView token) override;
  std::shared_ptr<SessionState> Create() override;
  void Remove(StringView token) override;
  size_t Count() const;

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  // Deadline → the token, the key of the session's entry (keys keep their
  // place when the table grows).
  using Deadlines = std::multimap<TimePoint, const String*>;
  // Sessions that never came back, oldest first.
  using FirstVisits = std::list<const String*>;
  struct Held {
    std::shared_ptr<SessionState> state;
    TimePoint last_used;
    Deadlines::iterator filed;
    std::optional<FirstVisits::iterator> first_visit;  // until it comes back
  };
  using Sessions = std::unordered_map<String, Held>;

  static TimePoint DeadlineOf(const Held& held);
  void File(Sessions::value_type& entry);
  void Erase(Sessions::iterator entry);
  void SweepExpired(TimePoint now);
  void MakeRoom();

  Clock clock_;
  const size_t max_sessions_;
  mutable std::mutex mutex_;
  int32_t next_id_;
  Sessions sessions_;
  Deadlines deadlines_;
  FirstVisits first_visits_;
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
