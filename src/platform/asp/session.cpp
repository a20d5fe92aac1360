#include "platform/asp/session.h"

#include <algorithm>

#include "platform/asp/member_args.h"
#include "platform/sys/system_random.h"

namespace asp {

String SessionState::Token() const {
  std::lock_guard lock(mutex_);
  return token_;
}

void SessionState::Renumber(String token, int32_t id) {
  std::lock_guard lock(mutex_);
  token_ = std::move(token);
  id_ = id;
}

Variant SessionState::Get(StringView name) const {
  std::lock_guard lock(mutex_);
  const Variant* value = values_.Find(name);
  return value ? *value : Variant();
}

void SessionState::Put(StringView name, Variant value) {
  std::lock_guard lock(mutex_);
  values_.Insert(name) = std::move(value);
}

void SessionState::Remove(StringView name) {
  std::lock_guard lock(mutex_);
  values_.Remove(name);
}

void SessionState::RemoveAll() {
  std::lock_guard lock(mutex_);
  values_.Clear();
}

std::vector<String> SessionState::Keys() const {
  std::lock_guard lock(mutex_);
  std::vector<String> keys;
  for (const auto& entry : values_) keys.push_back(entry.name);
  return keys;
}

bool SessionState::HoldsValues() const {
  std::lock_guard lock(mutex_);
  return !values_.empty();
}

bool SessionState::HoldsNonEmpty(StringView name) const {
  std::lock_guard lock(mutex_);
  const Variant* value = values_.Find(name);
  if (!value || value->IsEmpty() || value->IsNull()) return false;
  return !value->IsString() || !value->As<String>().empty();
}

void SessionState::SetTimeout(int32_t minutes) {
  if (minutes < 1) vb::Raise(vb::kInvalidProcedureCall);
  timeout_minutes_ = minutes;
}

MemorySessionStore::MemorySessionStore(Clock clock, size_t max_sessions, String login_mark)
    : clock_(std::move(clock)), max_sessions_(std::max<size_t>(max_sessions, 1)), login_mark_(std::move(login_mark)) {
  uint32_t start = 0;
  sys::FillRandom(&start, sizeof start);
  next_id_ = static_cast<int32_t>(100000000 + start % 800000000);
}

// The last use plus Timeout minutes; a Timeout too long for the clock never
// comes.
MemorySessionStore::TimePoint MemorySessionStore::DeadlineOf(const Held& held) {
  using Minutes = std::chrono::duration<int64_t, std::ratio<60>>;
  constexpr Minutes kLatest = std::chrono::floor<Minutes>(TimePoint::max().time_since_epoch());
  const Minutes timeout(held.state->Timeout());
  if (std::chrono::floor<Minutes>(held.last_used.time_since_epoch()) + timeout >= kLatest) return TimePoint::max();
  return held.last_used + timeout;
}

MemorySessionStore::Standing MemorySessionStore::StandingOf(const SessionState& state) const {
  if (!state.HoldsValues()) return Standing::kEmpty;
  if (!login_mark_.empty() && state.HoldsNonEmpty(login_mark_)) return Standing::kLoggedIn;
  return Standing::kAnonymous;
}

String MemorySessionStore::AccountOf(const SessionState& state) const {
  Variant value = state.Get(login_mark_);
  String mark = value.IsString() ? value.As<String>() : String();
  return mark.substr(0, mark.find(u'|'));
}

MemorySessionStore::Standing MemorySessionStore::StandingOf(const Sessions::value_type& entry) const {
  Standing standing = StandingOf(*entry.second.state);
  if (standing != Standing::kLoggedIn) return standing;
  auto latest = latest_.find(AccountOf(*entry.second.state));
  return latest != latest_.end() && latest->second == &entry.first ? Standing::kAccountsLatest : standing;
}

String MemorySessionStore::NewToken() const {
  String token;
  do {
    // Capitals, as the ASPSESSIONID cookie carries.
    token = sys::RandomCapitals(kTokenLetters);
  } while (sessions_.count(token));
  return token;
}

void MemorySessionStore::File(Sessions::value_type& entry) {
  Held& held = entry.second;
  if (held.filed != deadlines_.end()) deadlines_.erase(held.filed);
  held.filed = deadlines_.emplace(DeadlineOf(held), &entry.first);
}

void MemorySessionStore::Place(Sessions::value_type& entry) {
  Held& held = entry.second;
  if (StandingOf(*held.state) == Standing::kLoggedIn) {
    // Now its account's latest: the one that was goes before it.
    String account = AccountOf(*held.state);
    if (account != held.account) ForgetLatest(entry);
    held.account = std::move(account);
    const String*& latest = latest_[held.account];
    const String* previous = latest;
    latest = &entry.first;
    if (auto before = previous && previous != &entry.first ? sessions_.find(*previous) : sessions_.end();
        before != sessions_.end())
      Refile(*before);
  }
  Refile(entry);
}

void MemorySessionStore::Refile(Sessions::value_type& entry) {
  Held& held = entry.second;
  if (held.placed != eviction_order_.end()) eviction_order_.erase(held.placed);
  held.placed = eviction_order_.emplace(EvictionKey{StandingOf(entry), held.use}, &entry.first).first;
}

void MemorySessionStore::Hold(const std::shared_ptr<SessionState>& state, TimePoint now) {
  auto& entry = *sessions_.emplace(state->Token(), Held{state, now, ++uses_, deadlines_.end(), eviction_order_.end(), String()}).first;
  File(entry);
  Place(entry);
}

void MemorySessionStore::ForgetLatest(const Sessions::value_type& entry) {
  if (auto latest = latest_.find(entry.second.account); latest != latest_.end() && latest->second == &entry.first)
    latest_.erase(latest);
}

void MemorySessionStore::Erase(Sessions::iterator entry) {
  ForgetLatest(*entry);
  deadlines_.erase(entry->second.filed);
  eviction_order_.erase(entry->second.placed);
  sessions_.erase(entry);
}

MemorySessionStore::Sessions::iterator MemorySessionStore::Find(const SessionState& state) {
  auto entry = sessions_.find(state.Token());
  return entry != sessions_.end() && entry->second.state.get() == &state ? entry : sessions_.end();
}

void MemorySessionStore::MakeRoom() {
  while (sessions_.size() >= max_sessions_) {
    auto first = eviction_order_.begin();
    auto entry = sessions_.find(*first->second);
    // Its values changed since it was placed: placed again, by what it is now.
    if (StandingOf(*entry) != first->first.first) Refile(*entry);
    else Erase(entry);
  }
}

void MemorySessionStore::SweepExpired(TimePoint now) {
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
    auto entry = sessions_.find(*deadlines_.begin()->second);
    if (now >= DeadlineOf(entry->second)) Erase(entry);
    else File(*entry);  // its Timeout grew: a later deadline
  }
}

std::shared_ptr<SessionState> MemorySessionStore::Open(StringView token) {
  std::lock_guard lock(mutex_);
  auto now = clock_();
  SweepExpired(now);
  auto entry = sessions_.find(String(token));
  if (entry == sessions_.end()) return nullptr;
  if (now >= DeadlineOf(entry->second)) {  // its Timeout shrank since it was filed
    Erase(entry);
    return nullptr;
  }
  Held& held = entry->second;
  held.last_used = now;
  held.use = ++uses_;
  File(*entry);
  Place(*entry);
  return held.state;
}

std::shared_ptr<SessionState> MemorySessionStore::Begin() {
  std::lock_guard lock(mutex_);
  return std::make_shared<SessionState>(NewToken(), next_id_++);
}

void MemorySessionStore::Keep(const std::shared_ptr<SessionState>& state) {
  std::lock_guard lock(mutex_);
  if (auto entry = Find(*state); entry != sessions_.end()) return Place(*entry);
  auto now = clock_();
  SweepExpired(now);
  MakeRoom();
  if (sessions_.count(state->Token())) state->Renumber(NewToken(), state->Id());
  Hold(state, now);
}

void MemorySessionStore::Settle(const std::shared_ptr<SessionState>& state) {
  std::lock_guard lock(mutex_);
  if (auto entry = Find(*state); entry != sessions_.end()) Place(*entry);
}

void MemorySessionStore::Renew(SessionState& state) {
  std::lock_guard lock(mutex_);
  auto entry = Find(state);
  std::shared_ptr<SessionState> held;
  if (entry != sessions_.end()) {
    held = entry->second.state;
    Erase(entry);
  }
  state.Renumber(NewToken(), next_id_++);
  // The renewed session is the one used last: a login is never the next to go.
  if (held) Hold(held, clock_());
}

void MemorySessionStore::Remove(StringView token) {
  std::lock_guard lock(mutex_);
  auto entry = sessions_.find(String(token));
  if (entry != sessions_.end()) Erase(entry);
}

size_t MemorySessionStore::Count() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

Session::Session(std::shared_ptr<SessionState> state)
    : state_(std::move(state)), contents_(std::make_shared<Contents>(state_)) {}

const com::MemberTable<Session>& Session::Members() {
  using Self = Session;
  using Args = com::ArgList;
  static const com::MemberTable<Self> table{
      {u"Contents", com::kGet, 0, 1,
       [](Self& self, Args& args) -> Variant {
         if (args.IsMissing(0)) return Variant(self.contents_);
         return contents::Get(*self.state_, args);
       }},
      {u"Abandon", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.state_->Abandon();
         return {};
       }},
      {u"SessionID", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant {
         self.state_->NoteIdRead();
         return self.state_->Id();
       }},
      {u"Timeout", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->Timeout(); }},
      {u"Timeout", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetTimeout(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
      {u"CodePage", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->CodePage(); }},
      {u"CodePage", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetCodePage(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
      {u"LCID", com::kGet, 0, 0, [](Self& self, Args&) -> Variant { return self.state_->Lcid(); }},
      {u"LCID", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.state_->SetLcid(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
  };
  return table;
}

Variant Session::Invoke(StringView name, com::CallType type, com::ArgList& args) {
  return InvokeOrContents(*this, *contents_, name, type, args);
}

}  // namespace asp
