#pragma once
// One client connection of the site's server, on one event loop. It reads
// each request's head and body as they arrive, answers what the server
// answers by itself (refusals, the redirect of "/", static files), and hands
// a page to the page workers, whose response writes to the connection; then
// it reads the next request (pipelined requests are answered in turn). Slow
// and idle clients hold the connection and nothing else: no page worker.
// What an answer's client does not take at once (a page's output, a static
// file, a file a page sends whole) waits in the answer's outbox, and the
// event loop sends it at the client's pace.
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "host/client_slots.h"
#include "host/outbox.h"
#include "host/page_run.h"
#include "host/page_workers.h"
#include "host/pages.h"
#include "host/request_parser.h"
#include "host/request_target.h"
#include "host/send_buffers.h"
#include "host/server_limits.h"
#include "host/site_pictures.h"
#include "host/spool.h"
#include "host/static_files.h"
#include "platform/asp/request.h"

namespace host {

class HttpConnection;

// What the connections of one site share.
struct ServedSite {
  std::filesystem::path folder;  // the site root's host folder (drive C:)
  Pages pages;
  ServerLimits limits;
  SiteState state;
  PageWorkers* workers = nullptr;
  OutboxBudget outboxes;
  MemoryBudget body_memory{ServerLimits{}.body_memory_budget};
  MemoryBudget body_disk{ServerLimits{}.body_disk_budget};
  ClientShares body_disk_shares;  // of body_disk, by client
  MemoryBudget head_memory{ServerLimits{}.head_memory_budget};
  std::atomic<uint64_t> heads_dropping{0};  // of head_memory: heads dropped, their buffers not yet freed
  // The kernel's send buffers of the server's sockets, as it counts them.
  SendBufferTotal send_buffers;
  ClientSlots clients;  // their connections, and which of them wait
  std::atomic<bool> stopping{false};
  // A graceful stop: the answers under way finish, with "Connection: close".
  std::atomic<bool> draining{false};
  std::atomic<size_t> connections{0};
  std::atomic<size_t> evicting{0};  // of `connections`: chosen to make room, not closed yet
  // The open connections, for a graceful stop to close the idle ones.
  std::mutex live_mutex;
  std::unordered_map<HttpConnection*, std::weak_ptr<HttpConnection>> live;
};

class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
 public:
  // `client` holds one of its slots in site.clients, given back at the end.
  HttpConnection(boost::asio::ip::tcp::socket socket, ServedSite& site, std::string client);
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  // From the thread that admits it, before Start: listed among the open
  // connections, as one that waits, so that a newcomer right after it may
  // make room from it (its eviction then runs after its start).
  void Register();
  // On the socket's event loop.
  void Start();
  // From any thread, once the site drains: a connection that waits for a
  // request (or is in the middle of its head) closes; one with a request
  // under way closes after its answer.
  void CloseIfIdle();
  // From any thread: a head past the heads' memory budget, read longest,
  // is dropped with 408.
  void DropHead();
  // From any thread, at the connection limit, for a newcomer of `newcomer`
  // (counted already): a connection is reset to make room for it, with 408
  // when it has begun a request. A client holding more connections than the
  // newcomer's and more than a few gives up one of its own, one that waits
  // or else its longest-held; else a connection that waits (for a request,
  // for a head or body behind the least pace, or for its client to take its
  // answer) goes, the one waiting longest of the client holding the most, if
  // it holds as many as the newcomer's.
  // A connection whose page runs never goes. False when none may go: every
  // client holds no more than its share, and every connection's request is
  // being answered to a client that takes it, or comes at its pace.
  static bool MakeRoom(ServedSite& site, const std::string& newcomer);

 private:
  using Clock = std::chrono::steady_clock;
  enum class Phase { kIdle, kHead, kBody, kAnswer, kClosing };
  enum class Route { kStatus, kRedirect, kPicture, kPage, kStatic };

  void NextRequest();
  void ReadMore();
  void AwaitBytes();
  void OnReadable(const boost::system::error_code& error);
  void OnRead(const boost::system::error_code& error, size_t count);
  bool BodyKeepsPace(Clock::time_point now);
  Clock::time_point BodyDeadline() const;
  void ParseHead();
  void OnHead();
  bool ChooseRoute();
  void ParseBody();
  void Answer();
  // A body nobody reads: the request is answered now, and the connection
  // closes after the answer.
  void AnswerWithoutTheBody();
  bool KeepsConnection() const;
  std::string HeadEnd() const;
  void SendStatic();
  void SendQueued(bool keep_after);
  void RunPageOnWorker();
  // `bytes` more of the request came, or of the answer were taken: each
  // buys 1/rate seconds of the least pace from when it came, never more
  // than a window ahead, so that bytes sent at once buy no time later. Until
  // then the connection does not wait.
  void NotePace(uint64_t bytes, Clock::time_point now);
  // A request's first bytes: its pace is counted afresh, nothing of the
  // requests before it counts.
  void BeginRequest(Clock::time_point now);
  // An answer begins: its client has a window to begin taking it, and is
  // watched taking it from now on.
  void BeginAnswerPace(Clock::time_point now);
  // What the client took of the answer since the last look, counted in its
  // pace; false once nothing of an answer is left with it (then it is no
  // longer watched).
  bool NoteTaken(Clock::time_point now);
  void WatchTaking();
  // Whether the request's session is one a user logged in to.
  bool FromLoggedInUser() const;
  // Listed among the connections that may make room, waiting since now.
  void ListAsWaiting();
  // Waits for its client no longer: it neither makes room for a newcomer nor
  // gives up its head for the heads' budget.
  void StopWaiting();
  void Write(std::string text, bool keep_after);
  void AfterAnswer(bool keep);
  void Refuse(int status, const std::vector<std::string>& set_cookies = {});
  // What the connection holds of its head (the buffer of a head being read,
  // then the parsed head until its request has been taken), counted against
  // the heads' budget; false when this one is to go.
  bool HoldHeadBudget(uint64_t bytes);
  void ReleaseHeadBudget();
  // The connection a listing of site.clients stands for, while it lives;
  // null once it is going (under site.live_mutex).
  static HttpConnection* Live(ServedSite& site, const void* listed);
  static std::shared_ptr<HttpConnection> LiveOwner(ServedSite& site, const void* listed);
  // Of the connections holding some of the heads' budget without a whole
  // request, the one waiting longest whose bytes are behind the least pace,
  // or this one (under site.live_mutex).
  std::shared_ptr<HttpConnection> WaitingLongestWithHead(Clock::rep now);
  // What it holds of the heads' budget, as its client's share of it.
  void NoteHeadHeld();
  // The parsed head, once the answer no longer needs it.
  void ForgetHead();
  // Chosen to make room for a newcomer of `newcomer`: reset, unless its page
  // runs or (not chosen from a client past its share) it no longer waits.
  void Evict(const std::string& newcomer, bool over_share);
  // The end of the answer, once the client has taken what the kernel holds
  // of it, then reading a little more of what the client sends.
  void LingeringClose();
  void CloseOnceSent(uint64_t unsent_before, Clock::time_point progress);
  void ShutDownAndDrain();
  void Drain();
  // Bytes the kernel has not sent the client yet; with `unacknowledged`,
  // those sent that it has not acknowledged too.
  uint64_t Unsent(bool unacknowledged = false);
  void Close();
  // The server gives the client up: the kernel drops what it holds for it.
  void Reset();

  // Every wait on the socket ends by the deadline: the socket's operation
  // is then cancelled and reports the time-out.
  void SetDeadline(Clock::time_point deadline);
  void Watch();
  void OnWatch(uint64_t generation);

  boost::asio::ip::tcp::socket socket_;
  boost::asio::steady_timer watchdog_;
  ServedSite& site_;
  RequestLimits request_limits_;
  std::string client_;
  std::string remote_addr_, local_addr_;
  int local_port_ = 0;

  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0, start_ = 0, end_ = 0;
  std::string carry_;  // bytes kept while the connection waits without a buffer

  Phase phase_ = Phase::kIdle;
  std::optional<RequestParser> parser_;
  RequestParser::Deliver deliver_;
  Clock::time_point request_deadline_;
  Clock::time_point last_body_piece_, pace_window_end_;
  uint64_t pace_window_bytes_ = 0;
  bool last_read_filled_ = false;
  Route route_ = Route::kStatus;
  PageBody page_body_ = PageBody::kAny;
  bool small_form_ = false;  // the body is a small form: past its size, 413
  int status_ = 0;
  vb::String path_;
  std::string query_;
  PageFunction page_ = nullptr;
  std::optional<StaticFile> file_;
  std::optional<SitePicture> picture_;
  std::shared_ptr<Spool> body_;
  std::optional<asp::FormFieldCount> form_fields_;  // of a form body a page reads
  FormNulFinder form_nul_;
  int body_refusal_ = 0;  // a body past a limit as it comes: the status to answer
  bool dropping_body_ = false;  // a body nobody reads is being read
  uint64_t dropped_bytes_ = 0;
  Clock::time_point dropped_body_deadline_;
  uint64_t unread_body_ = 0;  // an upload past the body limit: its declared length, for its page
  std::atomic<uint64_t> head_held_{0};  // of the heads' budget
  // Since when this connection waits for a whole request (steady clock
  // ticks; 0: it has one, or was chosen to go), for another connection to
  // find the one waiting longest.
  std::atomic<Clock::rep> waiting_since_{0};
  std::atomic<uint64_t> head_dropping_{0};  // what it adds to site.heads_dropping, once chosen to go
  std::atomic<bool> evicted_{false};        // counted in site.evicting
  // Until when the request's bytes, or what the client took of its answer,
  // keep the least pace (steady clock ticks; 0: nothing to keep pace with).
  std::atomic<Clock::rep> pace_until_{0};
  Clock::time_point request_began_;  // the head's first byte
  // A page of the request runs (or waits for a worker): its connection stays.
  std::atomic<bool> page_in_flight_{false};
  boost::asio::steady_timer taking_check_;
  bool checking_taking_ = false;
  uint64_t taken_mark_ = 0;  // of the socket's bytes its client has taken, when last looked
  Clock::rep listed_since_ = 0;  // listed as waiting in site.clients since
  bool dropped_ = false;                    // chosen to go: the wait under way ends with 408
  bool awaiting_sent_ = false;  // closing once the kernel has sent the answer's end; listed as waiting
  bool head_only_ = false;
  std::unique_ptr<SendShare> send_share_;  // of site.send_buffers

  std::string out_;
  std::unique_ptr<Outbox> outbox_;
  size_t drain_left_ = 0;

  Clock::time_point deadline_ = Clock::time_point::max();
  uint64_t watch_generation_ = 0;
  bool watching_ = false;
  bool timed_out_ = false;
  bool closed_ = false;
};

}  // namespace host
