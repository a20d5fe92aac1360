#include "host/http_connection.h"

#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/byte_range.h"
#include "host/default_site.h"
#include "host/host_names.h"
#include "host/http_answer.h"
#include "host/not_found_page.h"
#include "host/request_target.h"
#include "host/socket_progress.h"
#include "host/socket_response.h"
#include "platform/asp/http_date.h"
#include "platform/asp/request.h"
#include "platform/asp/text_codec.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace host {
namespace {

namespace asio = boost::asio;

constexpr size_t kIdleBuffer = 8 * 1024;    // what a kept connection holds while it waits
constexpr size_t kBodyBuffer = 64 * 1024;   // reads of a body
// A body that paused with this little of its framing unread (a chunk's line
// end) keeps it aside, not in a buffer.
constexpr size_t kCarriedBytes = 1024;
// What the event loop sends of one answer before it lets the other
// connections have their turn.
constexpr uint64_t kSendTurn = 4 * 1024 * 1024;
// A closing connection reads at most this much more of what the client sends.
constexpr size_t kMaxDrainBytes = 64 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(1);
// How often a closing connection looks whether the kernel has sent the end
// of its answer (besides being told so).
constexpr auto kSentCheck = std::chrono::milliseconds(250);
// How often the server looks how much of an answer its client has taken.
constexpr auto kTakenCheck = std::chrono::milliseconds(500);
constexpr char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";

const std::string* Field(const asp::HeaderList& fields, std::string_view name) {
  for (const auto& [key, value] : fields)
    if (boost::beast::iequals(key, name)) return &value;
  return nullptr;
}

// A name of the path, before its end or at it, that is a page (".asp", with
// the trailing dots and blanks Windows drops): "/a.asp/b" is refused, never
// run as "/a.asp" with more path after it.
bool NamesScript(vb::StringView path) {
  size_t start = 0;
  while (start < path.size()) {
    size_t end = std::min(path.find(u'/', start), path.size());
    vb::StringView name = path.substr(start, end - start);
    name = name.substr(0, name.find_last_not_of(u". ") + 1);
    if (vb::LCase(name).ends_with(u".asp")) return true;
    start = end + 1;
  }
  return false;
}

bool ReadsBody(std::string_view method) { return method != "GET" && method != "HEAD"; }

bool IsUpload(const std::string* content_type) {
  if (!content_type) return false;
  std::string_view type = std::string_view(*content_type).substr(0, content_type->find(';'));
  type.remove_suffix(type.size() - (type.find_last_not_of(" \t") + 1));
  return boost::beast::iequals(type, "multipart/form-data");
}

// The failures of a descriptor the system has none of: the answer is 503
// (try again), never a missing file or a server fault.
bool OutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

// An upload past the body limit, as its page sees it: its declared length,
// and no bytes (reading them is refused as a body past the limit is).
class UnreadBody : public asp::BodySource {
 public:
  explicit UnreadBody(uint64_t length) : length_(length) {}
  uint64_t Length() const override { return length_; }
  size_t Read(uint8_t*, size_t) override { return 0; }

 private:
  uint64_t length_;
};

}  // namespace

HttpConnection::HttpConnection(asio::ip::tcp::socket socket, ServedSite& site, std::string client)
    : socket_(std::move(socket)),
      watchdog_(socket_.get_executor()),
      site_(site),
      client_(std::move(client)),
      taking_check_(socket_.get_executor()),
      send_share_(std::make_unique<SendShare>(site_.send_buffers, socket_.native_handle())) {
  ++site_.connections;
  // The connection judges a body's size itself: an upload past the limit
  // reaches its page, unread.
  request_limits_.max_body_bytes = UINT64_MAX;
  request_limits_.max_fields = site_.limits.max_header_fields;
  deliver_ = [this](std::string_view bytes) {
    if (!body_) {
      dropped_bytes_ += bytes.size();
      return;
    }
    if (body_refusal_) return;
    if (body_->Size() + bytes.size() > (small_form_ ? site_.limits.small_form_bytes : site_.limits.max_body_bytes)) {
      body_refusal_ = 413;
      return;
    }
    if (form_fields_) {
      form_fields_->Add(bytes);
      form_nul_.Add(bytes);
      if (body_->Size() + bytes.size() > site_.limits.max_form_bytes ||
          form_fields_->Fields() > site_.limits.max_form_fields) {
        body_refusal_ = 413;
        return;
      }
    }
    if (!body_->Append(bytes)) body_refusal_ = 503;  // the bodies' disk budget is spent
  };
  watchdog_.expires_at(Clock::time_point::max());
}

HttpConnection::~HttpConnection() {
  {
    std::lock_guard lock(site_.live_mutex);
    site_.live.erase(this);
  }
  site_.clients.Closed(this);
  ReleaseHeadBudget();
  send_share_.reset();
  site_.clients.Give(client_);
  if (evicted_) --site_.evicting;
  --site_.connections;
}

void HttpConnection::Register() {
  {
    std::lock_guard lock(site_.live_mutex);
    site_.live.emplace(this, weak_from_this());
  }
  site_.clients.Opened(client_, this, Clock::now().time_since_epoch().count());
  ListAsWaiting();
}

void HttpConnection::Start() {
  if (closed_) return;  // reset to make room before it started
  boost::system::error_code ignored;
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  // Page workers and the outbox write to the socket without waiting.
  socket_.native_non_blocking(true, ignored);
  auto remote = socket_.remote_endpoint(ignored);
  auto local = socket_.local_endpoint(ignored);
  remote_addr_ = remote.address().to_string();
  local_addr_ = local.address().to_string();
  local_port_ = local.port();
  NextRequest();
}

// ---- reading a request ----

void HttpConnection::NextRequest() {
  ReleaseHeadBudget();
  parser_.emplace(request_limits_);
  phase_ = Phase::kIdle;
  waiting_since_ = Clock::now().time_since_epoch().count();
  // It waits, unless its client is still taking the last answer.
  if (Unsent(true) == 0) pace_until_ = 0;
  ListAsWaiting();
  small_form_ = false;
  head_only_ = false;
  body_.reset();
  form_fields_.reset();
  form_nul_ = {};
  body_refusal_ = 0;
  dropping_body_ = false;
  dropped_bytes_ = 0;
  unread_body_ = 0;
  carry_.clear();
  file_.reset();
  picture_.reset();
  page_ = nullptr;
  page_body_ = PageBody::kAny;
  if (start_ < end_) {  // pipelined: the next request is here already
    phase_ = Phase::kHead;
    auto now = Clock::now();
    BeginRequest(now);
    NotePace(end_ - start_, now);
    request_deadline_ = now + site_.limits.request_timeout;
    SetDeadline(std::min(now + site_.limits.head_timeout, request_deadline_));
    return ParseHead();
  }
  start_ = end_ = 0;
  last_read_filled_ = false;  // between requests the connection holds no buffer
  SetDeadline(Clock::now() + site_.limits.idle_timeout);
  ReadMore();
}

void HttpConnection::ReadMore() {
  if (start_ == end_) start_ = end_ = 0;
  // Nothing held and no sign of a fast sender: wait without a buffer.
  if (end_ - start_ <= kCarriedBytes && phase_ != Phase::kHead && !last_read_filled_) return AwaitBytes();
  size_t wanted = phase_ == Phase::kBody ? kBodyBuffer : kIdleBuffer;
  size_t held = end_ - start_;
  if (capacity_ < wanted || capacity_ - end_ < wanted / 4) {
    if (capacity_ >= wanted && capacity_ - held >= wanted / 4) {
      std::memmove(buffer_.get(), buffer_.get() + start_, held);
    } else {
      // The parser refuses a head or a chunk line before it outgrows this.
      size_t limit = std::max(request_limits_.max_head_bytes, request_limits_.max_framing_bytes) + kIdleBuffer;
      size_t grown = std::min(std::max({wanted, capacity_ * 2, kIdleBuffer}), limit);
      if (grown <= held) return Refuse(400);
      auto bigger = std::make_unique<char[]>(grown);
      if (held > 0) std::memcpy(bigger.get(), buffer_.get() + start_, held);
      buffer_ = std::move(bigger);
      capacity_ = grown;
    }
    start_ = 0;
    end_ = held;
  }
  if (phase_ != Phase::kBody && !HoldHeadBudget(capacity_)) return Refuse(408);
  timed_out_ = false;
  socket_.async_read_some(asio::buffer(buffer_.get() + end_, capacity_ - end_),
                          [self = shared_from_this(), room = capacity_ - end_](const boost::system::error_code& error,
                                                                               size_t count) {
                            self->last_read_filled_ = count == room;
                            self->OnRead(error, count);
                          });
}

// A kept connection between requests, or a body that paused, holds its
// socket and no buffer: thousands of them cost little memory.
void HttpConnection::AwaitBytes() {
  if (buffer_) carry_.assign(buffer_.get() + start_, end_ - start_);
  buffer_.reset();
  capacity_ = start_ = end_ = 0;
  timed_out_ = false;
  socket_.async_wait(asio::ip::tcp::socket::wait_read,
                     [self = shared_from_this()](const boost::system::error_code& error) { self->OnReadable(error); });
}

void HttpConnection::OnReadable(const boost::system::error_code& error) {
  if (closed_) return;
  if (error || timed_out_) return OnRead(error ? error : asio::error::timed_out, 0);
  capacity_ = phase_ == Phase::kBody ? kBodyBuffer : kIdleBuffer;
  buffer_ = std::make_unique<char[]>(capacity_);
  start_ = 0;
  end_ = carry_.size();
  std::memcpy(buffer_.get(), carry_.data(), end_);
  std::string().swap(carry_);
  ssize_t count = ::recv(socket_.native_handle(), buffer_.get() + end_, capacity_ - end_, MSG_DONTWAIT);
  if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return AwaitBytes();
  if (count <= 0) return OnRead(asio::error::eof, 0);
  last_read_filled_ = static_cast<size_t>(count) == capacity_ - end_;
  OnRead({}, static_cast<size_t>(count));
}

// The body's pace, window by window after the first: a body sent slower
// than the least rate holds its connection (and its spool) no longer.
bool HttpConnection::BodyKeepsPace(Clock::time_point now) {
  if (now < pace_window_end_) return true;
  const auto window = site_.limits.body_rate_window;
  const uint64_t least = site_.limits.min_body_bytes_per_second * static_cast<uint64_t>(window.count()) / 1000;
  if (pace_window_bytes_ < least) return false;
  pace_window_bytes_ = 0;
  pace_window_end_ = now + window;
  return true;
}

HttpConnection::Clock::time_point HttpConnection::BodyDeadline() const {
  auto deadline = std::min({last_body_piece_ + site_.limits.body_timeout, request_deadline_, pace_window_end_});
  return dropping_body_ ? std::min(deadline, dropped_body_deadline_) : deadline;
}

void HttpConnection::OnRead(const boost::system::error_code& error, size_t count) {
  if (closed_) return;
  auto now = Clock::now();
  if (timed_out_) {
    if (dropped_) return Refuse(408);
    // A kept connection nobody uses; its client may still be taking the last answer.
    if (phase_ == Phase::kIdle) return Unsent(true) > 0 ? LingeringClose() : Close();
    if (phase_ == Phase::kBody && dropping_body_ && now >= dropped_body_deadline_) return AnswerWithoutTheBody();
    // Woken at the end of a pace window by a body that keeps its pace.
    if (phase_ == Phase::kBody && now < std::min(last_body_piece_ + site_.limits.body_timeout, request_deadline_) &&
        BodyKeepsPace(now)) {
      SetDeadline(BodyDeadline());
      return ReadMore();
    }
    return Refuse(408);
  }
  if (error) return Close();
  end_ += count;
  if (phase_ == Phase::kIdle) {
    phase_ = Phase::kHead;
    BeginRequest(now);
    request_deadline_ = now + site_.limits.request_timeout;
    SetDeadline(std::min(now + site_.limits.head_timeout, request_deadline_));
  }
  NotePace(count, now);
  if (phase_ == Phase::kHead) return ParseHead();
  last_body_piece_ = now;
  pace_window_bytes_ += count;
  if (!BodyKeepsPace(now)) return Refuse(408);
  SetDeadline(BodyDeadline());
  ParseBody();
}

void HttpConnection::ParseHead() {
  switch (parser_->ReadHead(std::string_view(buffer_.get() + start_, end_ - start_))) {
    case RequestParser::Step::kNeedMore: return ReadMore();
    case RequestParser::Step::kRefused:
      return Refuse(parser_->Refusal(), site_.state.cookie.CarriedRemovals(parser_->TakeCarriedCookies()));
    case RequestParser::Step::kDone: break;
  }
  start_ += parser_->HeadBytes();
  // The head's buffer goes back to the budget, and what the parsed head
  // holds is counted until the request has been taken.
  if (!HoldHeadBudget(HeldMemory(parser_->Head()))) return Refuse(408);
  if (start_ == end_) {  // nothing after the head yet: no buffer is kept
    buffer_.reset();
    capacity_ = start_ = end_ = 0;
  } else if (size_t held = end_ - start_; capacity_ > kBodyBuffer && held <= kBodyBuffer) {
    // A head near its limit grew the buffer: the body is read in a smaller one.
    auto smaller = std::make_unique<char[]>(kBodyBuffer);
    std::memcpy(smaller.get(), buffer_.get() + start_, held);
    buffer_ = std::move(smaller);
    capacity_ = kBodyBuffer;
    start_ = 0;
    end_ = held;
  }
  OnHead();
}

bool HttpConnection::HoldHeadBudget(uint64_t bytes) {
  if (bytes <= head_held_) {
    site_.head_memory.Give(head_held_ - bytes);
    head_held_ = bytes;
    NoteHeadHeld();
    return true;
  }
  uint64_t more = bytes - head_held_;
  if (!site_.head_memory.Take(more)) {
    // Past the budget, even once the heads dropped already are gone: of the
    // connections holding some of it without a whole request, a client
    // holding more than its share gives up its longest-held, paced or not;
    // else the one waiting longest goes, this one or another, never one whose
    // head or body comes at its pace (an upload under way), as at the
    // connection limit.
    if (site_.head_memory.Used() + more > site_.limits.head_memory_budget + site_.heads_dropping.load()) {
      std::shared_ptr<HttpConnection> oldest;
      {
        std::lock_guard lock(site_.live_mutex);
        const Clock::rep now = Clock::now().time_since_epoch().count();
        const void* over_share = site_.clients.ChooseHeadToDrop(client_, more, [&](const void* listed) {
          const HttpConnection* connection = Live(site_, listed);
          return connection && connection != this && connection->waiting_since_.load() != 0;
        });
        if (over_share) oldest = LiveOwner(site_, over_share);
        if (!oldest) oldest = WaitingLongestWithHead(now);
        // Chosen once: the next connection past the budget chooses another.
        if (oldest && oldest.get() != this) {
          oldest->waiting_since_ = 0;
          oldest->head_dropping_ = oldest->head_held_.load();
          site_.heads_dropping += oldest->head_dropping_;
        }
      }
      if (!oldest || oldest.get() == this) return false;
      oldest->DropHead();
    }
    site_.head_memory.Take(more, true);  // the dropped heads' memory is about to go
  }
  head_held_ += more;
  NoteHeadHeld();
  return true;
}

std::shared_ptr<HttpConnection> HttpConnection::WaitingLongestWithHead(Clock::rep now) {
  std::shared_ptr<HttpConnection> oldest;
  Clock::rep oldest_since = 0;
  for (auto& [connection, owner] : site_.live) {
    Clock::rep since = connection->waiting_since_.load();
    if (since == 0 || (connection != this && (connection->head_held_ == 0 || connection->pace_until_.load() > now)))
      continue;
    if (oldest_since == 0 || since < oldest_since) {
      if (auto held = owner.lock()) {
        oldest = std::move(held);
        oldest_since = since;
      }
    }
  }
  return oldest;
}

void HttpConnection::ReleaseHeadBudget() {
  if (head_dropping_.load() != 0) {  // chosen to go: under the lock it was chosen under
    std::lock_guard lock(site_.live_mutex);
    site_.heads_dropping -= head_dropping_.exchange(0);
  }
  if (head_held_ == 0) return;
  site_.head_memory.Give(head_held_);
  head_held_ = 0;
  NoteHeadHeld();
}

void HttpConnection::NoteHeadHeld() {
  // Only a request not yet whole may be dropped for it.
  site_.clients.HoldsHead(this, waiting_since_.load() != 0 ? head_held_.load() : 0,
                          request_began_.time_since_epoch().count());
}

void HttpConnection::ForgetHead() {
  if (parser_) parser_->TakeHead();
  ReleaseHeadBudget();
}

void HttpConnection::DropHead() {
  asio::post(socket_.get_executor(), [self = shared_from_this()] {
    if (self->closed_ || (self->phase_ != Phase::kHead && self->phase_ != Phase::kBody) || self->head_held_ == 0) return;
    // As a request past its time: the wait under way ends, and it gets 408.
    self->dropped_ = true;
    self->timed_out_ = true;
    boost::system::error_code ignored;
    self->socket_.cancel(ignored);
  });
}

void HttpConnection::NotePace(uint64_t bytes, Clock::time_point now) {
  const uint64_t rate = site_.limits.min_body_bytes_per_second;
  if (rate == 0) {
    pace_until_ = Clock::time_point::max().time_since_epoch().count();
    return;
  }
  const auto bought = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bytes) / static_cast<double>(rate)));
  const Clock::time_point from = std::max(now, Clock::time_point(Clock::duration(pace_until_.load())));
  const Clock::time_point until = std::min(from + bought, now + site_.limits.body_rate_window);
  pace_until_ = until.time_since_epoch().count();
}

void HttpConnection::BeginRequest(Clock::time_point now) {
  request_began_ = now;
  pace_until_ = 0;
}

void HttpConnection::BeginAnswerPace(Clock::time_point now) {
  pace_until_ = (now + site_.limits.body_rate_window).time_since_epoch().count();
  taken_mark_ = BytesTaken(socket_.native_handle());
  WatchTaking();
}

bool HttpConnection::NoteTaken(Clock::time_point now) {
  const uint64_t taken = BytesTaken(socket_.native_handle());
  const uint64_t more = taken > taken_mark_ ? taken - taken_mark_ : 0;
  taken_mark_ = std::max(taken_mark_, taken);
  if (phase_ == Phase::kHead || phase_ == Phase::kBody) return false;  // the next request keeps its own pace
  if (more > 0) NotePace(more, now);
  if (phase_ == Phase::kAnswer || awaiting_sent_) return true;
  if (phase_ == Phase::kIdle && Unsent(true) > 0) return true;
  if (phase_ == Phase::kIdle) pace_until_ = 0;  // nothing of its answer left with its client: it waits
  return false;
}

void HttpConnection::WatchTaking() {
  if (checking_taking_ || closed_) return;
  checking_taking_ = true;
  taking_check_.expires_after(kTakenCheck);
  taking_check_.async_wait([self = shared_from_this()](const boost::system::error_code& error) {
    self->checking_taking_ = false;
    if (!error && !self->closed_ && self->NoteTaken(Clock::now())) self->WatchTaking();
  });
}

void HttpConnection::StopWaiting() {
  site_.clients.Busy(this);
  waiting_since_ = 0;
  NoteHeadHeld();
}

void HttpConnection::ListAsWaiting() {
  listed_since_ = Clock::now().time_since_epoch().count();
  site_.clients.Waits(client_, this, listed_since_);
}

HttpConnection* HttpConnection::Live(ServedSite& site, const void* listed) {
  auto found = site.live.find(static_cast<HttpConnection*>(const_cast<void*>(listed)));
  return found == site.live.end() || found->second.expired() ? nullptr : found->first;
}

std::shared_ptr<HttpConnection> HttpConnection::LiveOwner(ServedSite& site, const void* listed) {
  auto found = site.live.find(static_cast<HttpConnection*>(const_cast<void*>(listed)));
  return found == site.live.end() ? nullptr : found->second.lock();
}

bool HttpConnection::MakeRoom(ServedSite& site, const std::string& newcomer) {
  std::shared_ptr<HttpConnection> chosen;
  ClientSlots::Choice choice;
  {
    // Held while choosing: a connection going away leaves `live` first,
    // then the client's lists.
    std::lock_guard lock(site.live_mutex);
    const Clock::rep now = Clock::now().time_since_epoch().count();
    auto may_go = [&site](const void* listed) {
      const HttpConnection* connection = Live(site, listed);
      return connection && !connection->evicted_.load() && !connection->page_in_flight_.load();
    };
    auto waits = [&](const void* listed) {
      return may_go(listed) && static_cast<const HttpConnection*>(listed)->pace_until_.load() <= now;
    };
    while (!chosen) {
      choice = site.clients.ChooseToClose(newcomer, waits, may_go);
      if (!choice.connection) return false;
      chosen = LiveOwner(site, choice.connection);
    }
    chosen->evicted_ = true;
    ++site.evicting;
  }
  chosen->Evict(newcomer, choice.over_share);
  return true;
}

void HttpConnection::Evict(const std::string& newcomer, bool over_share) {
  asio::post(socket_.get_executor(), [self = shared_from_this(), newcomer, over_share] {
    if (self->closed_) return;
    const auto now = Clock::now();
    // What its client took meanwhile counts.
    if (!over_share && self->checking_taking_) self->NoteTaken(now);
    // Its page runs (the page writes to the socket), or it keeps its pace
    // again (its request came whole, its bytes caught up, its client takes
    // its answer): it stays, and another makes room in its place.
    if (self->page_in_flight_ || (!over_share && now.time_since_epoch().count() < self->pace_until_.load())) {
      if (self->evicted_.exchange(false)) {
        --self->site_.evicting;
        MakeRoom(self->site_, newcomer);
      }
      return;
    }
    // Reset at once, so that its descriptor is free for the newcomer: the
    // refusal goes if the socket takes it now.
    if (self->phase_ == Phase::kHead || self->phase_ == Phase::kBody) {
      std::string refusal = StatusAnswer(408, true);
      [[maybe_unused]] ssize_t sent =
          ::send(self->socket_.native_handle(), refusal.data(), refusal.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    self->Reset();
  });
}

bool HttpConnection::ChooseRoute() {
  const RequestHead& head = parser_->Head();
  std::string_view target = head.target;
  size_t question = target.find('?');
  query_ = question == std::string_view::npos ? std::string() : std::string(target.substr(question + 1));
  std::optional<vb::String> path = TargetVirtualPath(target.substr(0, question));
  if (!path || !IsReadableQuery(query_)) return false;
  path_ = std::move(*path);
  if (path_ == u"/") {
    route_ = Route::kRedirect;
  } else if ((picture_ = FindSitePicture(path_))) {
    if (ReadsBody(head.method)) route_ = Route::kStatus, status_ = 405;
    else route_ = Route::kPicture;
  } else if (const RegisteredPage* page = site_.pages.Find(path_)) {
    page_ = page->run;
    page_body_ = page->body;
    route_ = Route::kPage;
  } else if (NamesScript(path_)) {
    route_ = Route::kStatus, status_ = 404;
  } else if (ReadsBody(head.method)) {
    route_ = Route::kStatus, status_ = 405;
  } else if ((file_ = FindStaticFile(site_.folder, path_))) {
    route_ = Route::kStatic;
  } else if (auto built_in = FindBuiltInFile(path_)) {
    picture_ = SitePicture{built_in->bytes, built_in->content_type};
    route_ = Route::kPicture;
  } else {
    route_ = Route::kStatus, status_ = 404;
  }
  return true;
}

void HttpConnection::OnHead() {
  head_only_ = parser_->Head().method == "HEAD";
  if (!ChooseRoute()) return Refuse(400);
  if (const std::string* host = Field(parser_->Head().fields, "Host");
      host && !site_.limits.host_names.empty() && !ServesHost(*host, site_.limits.host_names)) {
    route_ = Route::kStatus, status_ = 421;  // a name that leads here is not this site's
    page_ = nullptr;
  }
  if (!parser_->HasBody()) return Answer();
  const std::string* type = Field(parser_->Head().fields, "Content-Type");
  const std::optional<uint64_t> length = parser_->ContentLength();
  const bool form = type && asp::IsFormContentType(*type);
  const bool to_page = route_ == Route::kPage && ReadsBody(parser_->Head().method);
  // A form is parsed whole: one past its limits is refused before it is
  // held, whoever sends it.
  if (to_page && form && length && *length > site_.limits.max_form_bytes) return Refuse(413);
  // A page behind the login reads a body only from a logged-in user.
  if (to_page && (page_body_ != PageBody::kAfterLogin || FromLoggedInUser())) {
    if (page_body_ == PageBody::kSmallForm) {
      // Taken at once or not at all, as a head is: never at any pace.
      if (length && *length > site_.limits.small_form_bytes) return Refuse(413);
      small_form_ = true;
      request_deadline_ = std::min(request_deadline_, request_began_ + site_.limits.head_timeout);
    }
    if (length && *length > site_.limits.max_body_bytes) {
      // An upload past the limit is its page's to answer (with its own
      // message); any other body is refused.
      if (!IsUpload(type)) return Refuse(413);
      unread_body_ = *length;
      return AnswerWithoutTheBody();
    }
    body_ = std::make_shared<Spool>(&site_.body_memory,
                                    DiskAccount{&site_.body_disk, &site_.body_disk_shares, client_});
    if (form) form_fields_.emplace();
  } else {
    if (length && *length > site_.limits.max_body_bytes) return Refuse(413);
    // A body no page reads (a GET's, a refused request's) is read by its
    // framing and dropped, so that what follows it is the next request; but
    // only a little of it, for a little while: a client that waits for
    // "100 Continue" is not invited to send it at all.
    if (parser_->ExpectsContinue() || (length && *length > site_.limits.dropped_body_bytes))
      return AnswerWithoutTheBody();
    dropping_body_ = true;
    dropped_body_deadline_ = Clock::now() + site_.limits.dropped_body_timeout;
  }
  phase_ = Phase::kBody;
  last_body_piece_ = Clock::now();
  // The body keeps a pace of its own: the head's bytes buy it no time.
  pace_until_ = 0;
  NotePace(end_ - start_, last_body_piece_);
  pace_window_end_ = last_body_piece_ + site_.limits.body_rate_window;
  pace_window_bytes_ = end_ - start_;
  SetDeadline(BodyDeadline());
  if (!parser_->ExpectsContinue()) return ParseBody();
  out_ = kContinue;
  timed_out_ = false;
  asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
    if (self->closed_) return;
    if (self->timed_out_) return self->Reset();
    if (error) return self->Close();
    self->ParseBody();
  });
}

void HttpConnection::ParseBody() {
  size_t used = 0;
  RequestParser::Step step;
  try {
    step = parser_->ReadBody(std::string_view(buffer_.get() + start_, end_ - start_), used, deliver_);
  } catch (const vb::Error& e) {  // the spool's disk is full: the server cannot take it now
    std::fprintf(stderr, "qe serve: a request body: %s\n", vb::ToUtf8(e.Description()).c_str());
    return Refuse(503);
  }
  start_ += used;
  if (body_refusal_) return Refuse(body_refusal_);
  switch (step) {
    case RequestParser::Step::kNeedMore:
      if (dropping_body_ && dropped_bytes_ > site_.limits.dropped_body_bytes) return AnswerWithoutTheBody();
      return ReadMore();
    case RequestParser::Step::kRefused: return Refuse(parser_->Refusal());
    case RequestParser::Step::kDone: return Answer();
  }
}

// ---- answering ----

// Whether the connection takes another request after this one's answer.
bool HttpConnection::KeepsConnection() const { return parser_->KeepAlive() && !site_.draining; }

bool HttpConnection::FromLoggedInUser() const {
  return RequestOfLoggedInUser(site_.state, parser_->Head().fields);
}

// The end of an answer's head: the guard fields, and whether the connection
// goes on.
std::string HttpConnection::HeadEnd() const {
  std::string end(GuardFields());
  if (!KeepsConnection()) return end + "Connection: close\r\n\r\n";
  return end + (parser_->Head().version == 10 ? "Connection: keep-alive\r\n\r\n" : "\r\n");
}

void HttpConnection::AnswerWithoutTheBody() {
  parser_->EndConnectionAfter();
  Answer();
}

void HttpConnection::Answer() {
  phase_ = Phase::kAnswer;
  StopWaiting();
  // Its client is watched taking the answer: one that takes none at the
  // least pace waits, and may make room.
  BeginAnswerPace(Clock::now());
  ListAsWaiting();
  dropping_body_ = false;
  send_share_->Begin();
  // A page takes the head along; the server's own answers are made of the
  // route alone, except a static file's.
  if (route_ != Route::kPage && route_ != Route::kStatic) ForgetHead();
  switch (route_) {
    case Route::kStatus:
      if (status_ == 404) return Write(NotFoundAnswer(!KeepsConnection(), head_only_), true);
      return Write(StatusAnswer(status_, !KeepsConnection(), head_only_), true);
    case Route::kRedirect: {
      std::string location = vb::ToUtf8(kStartPage);
      if (!query_.empty()) location += "?" + query_;
      return Write("HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n" + HeadEnd(), true);
    }
    case Route::kPicture:
      return Write("HTTP/1.1 200 OK\r\nContent-Type: " + std::string(picture_->content_type) +
                       "\r\nContent-Length: " + std::to_string(picture_->bytes.size()) + "\r\n" + HeadEnd() +
                       (head_only_ ? std::string() : std::string(picture_->bytes)),
                   true);
    case Route::kStatic: return SendStatic();
    case Route::kPage: {
      // A form value holding NUL is refused as a query's is.
      if (form_nul_.Found()) return Write(StatusAnswer(400, !parser_->KeepAlive(), head_only_), true);
      return RunPageOnWorker();
    }
  }
}

void HttpConnection::Write(std::string text, bool keep_after) {
  out_ = std::move(text);
  timed_out_ = false;
  SetDeadline(Clock::now() + site_.limits.send_timeout);
  asio::async_write(socket_, asio::buffer(out_),
                    [self = shared_from_this(), keep_after](const boost::system::error_code& error, size_t) {
                      if (self->closed_) return;
                      if (self->timed_out_) return self->Reset();
                      if (error) return self->Close();
                      self->AfterAnswer(keep_after);
                    });
}

void HttpConnection::SendStatic() {
  const RequestHead request = parser_->TakeHead();
  ReleaseHeadBudget();
  const asp::HeaderList& fields = request.fields;
  std::string modified = asp::EncodeText(asp::HttpDate(file_->modified));
  if (const std::string* since = Field(fields, "If-Modified-Since"); since && *since == modified)
    return Write("HTTP/1.1 304 Not Modified\r\nLast-Modified: " + modified + "\r\n" + HeadEnd(), true);
  int file = ::open(file_->host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0 && OutOfDescriptors(errno)) return Write(StatusAnswer(503, true, head_only_), false);
  if (file < 0) return Write(NotFoundAnswer(false, head_only_), true);

  ByteRange range;
  const std::string* if_range = Field(fields, "If-Range");
  // Two Range fields are no range: the whole file goes.
  size_t ranges = std::count_if(fields.begin(), fields.end(),
                                [](const auto& field) { return boost::beast::iequals(field.first, "Range"); });
  if (const std::string* asked = Field(fields, "Range"); asked && ranges == 1 && (!if_range || *if_range == modified))
    range = ReadByteRange(*asked, file_->size);
  std::string head;
  uint64_t offset = 0, length = file_->size;
  if (range.kind == ByteRange::kUnsatisfiable) {
    ::close(file);
    std::string text = "416 Range Not Satisfiable\n";
    return Write("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(file_->size) +
                     "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) + "\r\n" + HeadEnd() +
                     (head_only_ ? std::string() : text),
                 true);
  }
  if (range.kind == ByteRange::kPart) {
    offset = range.first;
    length = range.length;
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(range.first) + "-" +
           std::to_string(range.first + range.length - 1) + "/" + std::to_string(file_->size) + "\r\n";
  } else {
    head = "HTTP/1.1 200 OK\r\n";
  }
  head += "Content-Type: " + std::string(file_->content_type) + "\r\nLast-Modified: " + modified +
          "\r\nAccept-Ranges: bytes\r\nContent-Length: " + std::to_string(length) + "\r\n" + HeadEnd();
  outbox_ = std::make_unique<Outbox>(site_.outboxes);
  if (!outbox_->Append(head)) {  // the server's spool is full
    ::close(file);
    outbox_.reset();
    return Write(StatusAnswer(503, true, head_only_), false);
  }
  outbox_->AppendFile(file, offset, head_only_ ? 0 : length);
  SetDeadline(Clock::now() + site_.limits.send_timeout);
  SendQueued(true);
}

// Sends the outbox as the client takes it: the deadline moves on with each
// step the client takes.
void HttpConnection::SendQueued(bool keep_after) {
  send_share_->Step();
  Outbox::Sent sent = outbox_->SendSome(socket_.native_handle(), kSendTurn);
  if (sent.bytes > 0) SetDeadline(Clock::now() + site_.limits.send_timeout);
  if (sent.error != 0 && sent.error != EAGAIN && sent.error != EWOULDBLOCK && sent.error != EINTR) return Close();
  if (outbox_->Empty()) {
    outbox_.reset();
    return AfterAnswer(keep_after);
  }
  timed_out_ = false;
  socket_.async_wait(asio::socket_base::wait_write,
                     [self = shared_from_this(), keep_after](const boost::system::error_code& error) {
                       if (self->closed_) return;
                       if (self->timed_out_) return self->Reset();  // the client takes nothing
                       if (error) return self->Close();
                       // It took what filled the socket.
                       self->send_share_->Grow();
                       self->SendQueued(keep_after);
                     });
}

void HttpConnection::RunPageOnWorker() {
  // The head goes to the page, still counted until the page has ended.
  RequestHead head = parser_->TakeHead();
  asp::RequestInfo request;
  request.method = head.method;
  request.target = std::move(head.target);
  request.protocol = head.version == 10 ? "HTTP/1.0" : "HTTP/1.1";
  // A name with "_" is dropped: ServerVariables would read "X_Forwarded_For"
  // as the header "X-Forwarded-For" (both are HTTP_X_FORWARDED_FOR).
  DropCookiesHoldingNul(head.fields);
  for (auto& field : head.fields)
    if (field.first.find('_') == std::string::npos) request.headers.push_back(std::move(field));
  asp::HeaderList().swap(head.fields);
  request.remote_addr = remote_addr_;
  request.local_addr = local_addr_;
  request.server_port = local_port_;
  request.site_root = u"C:\\";
  request.page = path_;
  request.max_body_bytes = site_.limits.max_body_bytes;
  request.max_form_bytes = site_.limits.max_form_bytes;
  request.max_form_fields = site_.limits.max_form_fields;
  ExchangeSettings settings{head_only_, head.version == 11, KeepsConnection(), site_.limits.send_timeout,
                            site_.limits.max_held_output};

  SetDeadline(Clock::time_point::max());  // the page's sends keep their own time
  page_in_flight_ = true;
  // The page holds the body alone: its file goes once the page has read it
  // or has ended, not when the client has taken the answer.
  site_.workers->Submit(client_, [self = shared_from_this(), page = page_, request = std::move(request),
                         spool = std::move(body_), unread = unread_body_, settings]() mutable {
    auto sink = std::make_shared<SocketResponse>(self->socket_.native_handle(), settings, self->site_.stopping,
                                                 self->site_.outboxes, *self->send_share_);
    std::unique_ptr<asp::BodySource> body;
    if (spool) body = std::make_unique<SpooledBody>(std::move(spool));
    else if (unread) body = std::make_unique<UnreadBody>(unread);
    const std::string target = request.target;
    bool keep = false;
    try {
      RunPage(page, self->site_.state, std::move(request), std::move(body), sink);
      keep = sink->Finish();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qe serve: %s: %s\n", target.c_str(), e.what());
    }
    // The rest goes at the client's pace, from the event loop: the worker is free.
    asio::post(self->socket_.get_executor(), [self, keep, dropped = sink->Dropped(), rest = sink->TakeOutbox()]() mutable {
      self->ReleaseHeadBudget();
      self->page_in_flight_ = false;
      if (self->closed_) return;
      // What the page left waits for its client from now on.
      const auto now = Clock::now();
      self->pace_until_ = std::max(self->pace_until_.load(),
                                   (now + self->site_.limits.body_rate_window).time_since_epoch().count());
      if (dropped) return self->Reset();  // its client left, or took nothing for the send time-out
      self->outbox_ = std::move(rest);
      self->SetDeadline(Clock::now() + self->site_.limits.send_timeout);
      self->SendQueued(keep);
    });
  });
}

void HttpConnection::AfterAnswer(bool keep) {
  if (closed_) return;
  out_.clear();
  body_.reset();
  // The socket keeps its size (the client may still be taking bytes), and
  // what the kernel still holds of the answer stays counted.
  send_share_->End();
  if (keep && KeepsConnection() && !site_.stopping) return NextRequest();
  LingeringClose();
}

// ---- closing ----

void HttpConnection::Refuse(int status, const std::vector<std::string>& set_cookies) {
  phase_ = Phase::kClosing;
  StopWaiting();
  BeginAnswerPace(Clock::now());
  body_.reset();  // a body held in a file: the file goes now
  ForgetHead();
  out_ = StatusAnswer(status, true, head_only_, set_cookies);
  // Removals make a long answer: it and the head's buffer count as the head did until it has gone.
  if (!set_cookies.empty() && !HoldHeadBudget(capacity_ + out_.size())) out_ = StatusAnswer(status, true, head_only_);
  timed_out_ = false;
  SetDeadline(Clock::now() + site_.limits.send_timeout);
  asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
    if (self->closed_) return;
    if (self->timed_out_) return self->Reset();
    if (error) return self->Close();
    self->LingeringClose();
  });
}

// The end of an answer that the kernel has not sent yet (its client has not
// taken it) is waited for: closed meanwhile, the socket would keep it past
// the send buffers' total for as long as the kernel tries to send it.
void HttpConnection::LingeringClose() {
  phase_ = Phase::kClosing;
  StopWaiting();
  start_ = end_ = 0;
  carry_.clear();
  ForgetHead();
  send_share_->End();
  if (capacity_ != kIdleBuffer) {
    buffer_ = std::make_unique<char[]>(kIdleBuffer);
    capacity_ = kIdleBuffer;
  }
  if (Unsent() == 0) return ShutDownAndDrain();
  // The socket reads as writable once the kernel has sent everything.
  int least = 1;
  ::setsockopt(socket_.native_handle(), IPPROTO_TCP, TCP_NOTSENT_LOWAT, &least, sizeof least);
  awaiting_sent_ = true;
  ListAsWaiting();
  WatchTaking();
  CloseOnceSent(UINT64_MAX, Clock::now());
}

// A client that takes none of it for the send time-out is given up; at the
// connection limit, one that does not take it at the least pace may make
// room.
void HttpConnection::CloseOnceSent(uint64_t unsent_before, Clock::time_point progress) {
  const uint64_t unsent = Unsent();
  const auto now = Clock::now();
  if (unsent == 0) return ShutDownAndDrain();
  if (unsent < unsent_before) progress = now;
  const auto given_up = progress + site_.limits.send_timeout;
  if (now >= given_up) return Reset();
  timed_out_ = false;
  SetDeadline(std::min(now + kSentCheck, given_up));
  socket_.async_wait(asio::socket_base::wait_write,
                     [self = shared_from_this(), unsent, progress](const boost::system::error_code& error) {
                       if (self->closed_) return;
                       if (error && !self->timed_out_) return self->Close();
                       self->CloseOnceSent(unsent, progress);
                     });
}

// Closing with unread bytes makes the client's system reset the connection
// and drop the answer it has not read yet: the server stops sending, then
// reads a little more before it closes.
void HttpConnection::ShutDownAndDrain() {
  if (awaiting_sent_) {
    awaiting_sent_ = false;
    StopWaiting();
  }
  boost::system::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  drain_left_ = kMaxDrainBytes;
  SetDeadline(Clock::now() + kDrainTime);
  Drain();
}

void HttpConnection::Drain() {
  timed_out_ = false;
  socket_.async_read_some(asio::buffer(buffer_.get(), capacity_),
                          [self = shared_from_this()](const boost::system::error_code& error, size_t count) {
                            if (self->closed_) return;
                            if (error || self->timed_out_ || count >= self->drain_left_) return self->Close();
                            self->drain_left_ -= count;
                            self->Drain();
                          });
}

void HttpConnection::CloseIfIdle() {
  asio::post(socket_.get_executor(), [self = shared_from_this()] {
    if (self->phase_ == Phase::kIdle || self->phase_ == Phase::kHead) self->Close();
  });
}

void HttpConnection::Close() {
  if (closed_) return;
  closed_ = true;
  StopWaiting();
  ReleaseHeadBudget();
  taking_check_.cancel();
  send_share_->Release();
  boost::system::error_code ignored;
  socket_.close(ignored);
  SetDeadline(Clock::time_point::max());
}

void HttpConnection::Reset() {
  if (closed_) return;
  boost::system::error_code ignored;
  socket_.set_option(asio::socket_base::linger(true, 0), ignored);
  Close();
}

uint64_t HttpConnection::Unsent(bool unacknowledged) {
  int bytes = 0;
  if (::ioctl(socket_.native_handle(), unacknowledged ? SIOCOUTQ : SIOCOUTQNSD, &bytes) != 0)
    return 0;
  return static_cast<uint64_t>(std::max(bytes, 0));
}

// ---- time-outs ----

void HttpConnection::SetDeadline(Clock::time_point deadline) {
  deadline_ = deadline;
  if (deadline == Clock::time_point::max()) {
    if (watching_) {
      ++watch_generation_;
      watching_ = false;
      watchdog_.cancel();
    }
    return;
  }
  if (!watching_ || deadline < watchdog_.expiry()) {
    watchdog_.expires_at(deadline);
    Watch();
  }
}

void HttpConnection::Watch() {
  watching_ = true;
  watchdog_.async_wait([self = shared_from_this(), generation = ++watch_generation_](const boost::system::error_code&) {
    self->OnWatch(generation);
  });
}

void HttpConnection::OnWatch(uint64_t generation) {
  if (generation != watch_generation_) return;  // a later wait replaced this one
  watching_ = false;
  if (closed_ || deadline_ == Clock::time_point::max()) return;
  if (Clock::now() < deadline_) {
    watchdog_.expires_at(deadline_);
    return Watch();
  }
  timed_out_ = true;
  deadline_ = Clock::time_point::max();
  boost::system::error_code ignored;
  socket_.cancel(ignored);
}

}  // namespace host
