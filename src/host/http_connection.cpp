#include "host/http_connection.h"

#include <fcntl.h>
#include <unistd.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "host/byte_range.h"
#include "host/http_answer.h"
#include "host/request_target.h"
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
constexpr size_t kFilePiece = 1024 * 1024;  // a static file is read and sent in pieces of at most this size
constexpr size_t kMaxDrainBytes = 1024 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(1);
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

}  // namespace

HttpConnection::HttpConnection(asio::ip::tcp::socket socket, ServedSite& site)
    : socket_(std::move(socket)), watchdog_(socket_.get_executor()), site_(site) {
  ++site_.connections;
  request_limits_.max_body_bytes = site_.limits.max_body_bytes;
  deliver_ = [this](std::string_view bytes) {
    if (body_) body_->Append(bytes);
  };
  watchdog_.expires_at(Clock::time_point::max());
}

HttpConnection::~HttpConnection() {
  if (file_descriptor_ >= 0) ::close(file_descriptor_);
  --site_.connections;
}

void HttpConnection::Start() {
  boost::system::error_code ignored;
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  auto remote = socket_.remote_endpoint(ignored);
  auto local = socket_.local_endpoint(ignored);
  remote_addr_ = remote.address().to_string();
  local_addr_ = local.address().to_string();
  local_port_ = local.port();
  NextRequest();
}

// ---- reading a request ----

void HttpConnection::NextRequest() {
  parser_.emplace(request_limits_);
  phase_ = Phase::kIdle;
  head_only_ = false;
  body_.reset();
  file_.reset();
  picture_.reset();
  page_ = nullptr;
  if (start_ < end_) {  // pipelined: the next request is here already
    phase_ = Phase::kHead;
    auto now = Clock::now();
    request_deadline_ = now + site_.limits.request_timeout;
    SetDeadline(std::min(now + site_.limits.head_timeout, request_deadline_));
    return ParseHead();
  }
  start_ = end_ = 0;
  if (capacity_ > kIdleBuffer) {
    buffer_.reset();
    capacity_ = 0;
  }
  SetDeadline(Clock::now() + site_.limits.idle_timeout);
  ReadMore();
}

void HttpConnection::ReadMore() {
  if (start_ == end_) start_ = end_ = 0;
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
  timed_out_ = false;
  socket_.async_read_some(asio::buffer(buffer_.get() + end_, capacity_ - end_),
                          [self = shared_from_this()](const boost::system::error_code& error, size_t count) {
                            self->OnRead(error, count);
                          });
}

void HttpConnection::OnRead(const boost::system::error_code& error, size_t count) {
  if (closed_) return;
  if (timed_out_) {
    if (phase_ == Phase::kIdle) return Close();  // a kept connection nobody uses
    return Refuse(408);
  }
  if (error) return Close();
  end_ += count;
  auto now = Clock::now();
  if (phase_ == Phase::kIdle) {
    phase_ = Phase::kHead;
    request_deadline_ = now + site_.limits.request_timeout;
    SetDeadline(std::min(now + site_.limits.head_timeout, request_deadline_));
  }
  if (phase_ == Phase::kHead) return ParseHead();
  SetDeadline(std::min(now + site_.limits.body_timeout, request_deadline_));
  ParseBody();
}

void HttpConnection::ParseHead() {
  switch (parser_->ReadHead(std::string_view(buffer_.get() + start_, end_ - start_))) {
    case RequestParser::Step::kNeedMore: return ReadMore();
    case RequestParser::Step::kRefused: return Refuse(parser_->Refusal());
    case RequestParser::Step::kDone: break;
  }
  start_ += parser_->HeadBytes();
  OnHead();
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
  } else if ((page_ = site_.pages.Find(path_))) {
    route_ = Route::kPage;
  } else if (NamesScript(path_)) {
    route_ = Route::kStatus, status_ = 404;
  } else if (ReadsBody(head.method)) {
    route_ = Route::kStatus, status_ = 405;
  } else if ((file_ = FindStaticFile(site_.folder, path_))) {
    route_ = Route::kStatic;
  } else {
    route_ = Route::kStatus, status_ = 404;
  }
  return true;
}

void HttpConnection::OnHead() {
  head_only_ = parser_->Head().method == "HEAD";
  if (!ChooseRoute()) return Refuse(400);
  if (!parser_->HasBody()) return Answer();
  // A body no page reads (a GET's, a refused request's) is read all the
  // same, by its framing, and dropped: what follows it is the next request.
  if (route_ == Route::kPage && ReadsBody(parser_->Head().method)) body_ = std::make_shared<Spool>();
  phase_ = Phase::kBody;
  SetDeadline(std::min(Clock::now() + site_.limits.body_timeout, request_deadline_));
  if (!parser_->ExpectsContinue()) return ParseBody();
  out_ = kContinue;
  timed_out_ = false;
  asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
    if (self->closed_) return;
    if (error || self->timed_out_) return self->Close();
    self->ParseBody();
  });
}

void HttpConnection::ParseBody() {
  size_t used = 0;
  RequestParser::Step step;
  try {
    step = parser_->ReadBody(std::string_view(buffer_.get() + start_, end_ - start_), used, deliver_);
  } catch (const vb::Error& e) {  // the spool's disk is full
    std::fprintf(stderr, "qe serve: a request body: %s\n", vb::ToUtf8(e.Description()).c_str());
    return Refuse(500);
  }
  start_ += used;
  switch (step) {
    case RequestParser::Step::kNeedMore: return ReadMore();
    case RequestParser::Step::kRefused: return Refuse(parser_->Refusal());
    case RequestParser::Step::kDone: return Answer();
  }
}

// ---- answering ----

// The end of an answer's head: the guard fields, and whether the connection
// goes on.
std::string HttpConnection::HeadEnd() const {
  std::string end(GuardFields());
  if (!parser_->KeepAlive()) return end + "Connection: close\r\n\r\n";
  return end + (parser_->Head().version == 10 ? "Connection: keep-alive\r\n\r\n" : "\r\n");
}

void HttpConnection::Answer() {
  phase_ = Phase::kAnswer;
  switch (route_) {
    case Route::kStatus: return Write(StatusAnswer(status_, !parser_->KeepAlive(), head_only_), true);
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
      const std::string* type = Field(parser_->Head().fields, "Content-Type");
      if (body_ && type && asp::IsFormContentType(*type) && FormHoldsNul(*body_))
        return Write(StatusAnswer(400, !parser_->KeepAlive(), head_only_), true);
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
                      if (error || self->timed_out_) return self->Close();
                      self->AfterAnswer(keep_after);
                    });
}

void HttpConnection::SendStatic() {
  const asp::HeaderList& fields = parser_->Head().fields;
  std::string modified = asp::EncodeText(asp::HttpDate(file_->modified));
  if (const std::string* since = Field(fields, "If-Modified-Since"); since && *since == modified)
    return Write("HTTP/1.1 304 Not Modified\r\nLast-Modified: " + modified + "\r\n" + HeadEnd(), true);
  file_descriptor_ = ::open(file_->host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file_descriptor_ < 0) return Write(StatusAnswer(404, false, head_only_), true);

  ByteRange range;
  const std::string* if_range = Field(fields, "If-Range");
  if (const std::string* asked = Field(fields, "Range"); asked && (!if_range || *if_range == modified))
    range = ReadByteRange(*asked, file_->size);
  std::string head;
  if (range.kind == ByteRange::kUnsatisfiable) {
    std::string text = "416 Range Not Satisfiable\n";
    return Write("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(file_->size) +
                     "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) + "\r\n" + HeadEnd() +
                     (head_only_ ? std::string() : text),
                 true);
  }
  if (range.kind == ByteRange::kPart) {
    file_offset_ = range.first;
    file_left_ = range.length;
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(range.first) + "-" +
           std::to_string(range.first + range.length - 1) + "/" + std::to_string(file_->size) + "\r\n";
  } else {
    file_offset_ = 0;
    file_left_ = file_->size;
    head = "HTTP/1.1 200 OK\r\n";
  }
  head += "Content-Type: " + std::string(file_->content_type) + "\r\nLast-Modified: " + modified +
          "\r\nAccept-Ranges: bytes\r\nContent-Length: " + std::to_string(file_left_) + "\r\n" + HeadEnd();
  if (head_only_) file_left_ = 0;
  SendFilePiece(std::move(head));
}

void HttpConnection::SendFilePiece(std::string head) {
  out_ = std::move(head);
  size_t piece = static_cast<size_t>(std::min<uint64_t>(file_left_, kFilePiece));
  ssize_t read = 0;
  if (piece > 0) {
    if (piece > file_piece_size_) {
      file_piece_ = std::make_unique<char[]>(piece);
      file_piece_size_ = piece;
    }
    read = ::pread(file_descriptor_, file_piece_.get(), piece, static_cast<off_t>(file_offset_));
    if (read <= 0) return Close();  // the file shrank: the answer cannot be whole
  }
  file_offset_ += static_cast<uint64_t>(read);
  file_left_ -= static_cast<uint64_t>(read);
  std::array<asio::const_buffer, 2> pieces{asio::buffer(out_), asio::buffer(file_piece_.get(), static_cast<size_t>(read))};
  timed_out_ = false;
  SetDeadline(Clock::now() + site_.limits.send_timeout);
  asio::async_write(socket_, pieces, [self = shared_from_this()](const boost::system::error_code& error, size_t) {
    if (self->closed_) return;
    if (error || self->timed_out_) return self->Close();
    if (self->file_left_ > 0) return self->SendFilePiece({});
    ::close(self->file_descriptor_);
    self->file_descriptor_ = -1;
    if (self->file_piece_size_ > kIdleBuffer) {  // a kept connection holds no large buffer
      self->file_piece_.reset();
      self->file_piece_size_ = 0;
    }
    self->AfterAnswer(true);
  });
}

void HttpConnection::RunPageOnWorker() {
  const RequestHead& head = parser_->Head();
  asp::RequestInfo request;
  request.method = head.method;
  request.target = head.target;
  request.protocol = head.version == 10 ? "HTTP/1.0" : "HTTP/1.1";
  // A name with "_" is dropped: ServerVariables would read "X_Forwarded_For"
  // as the header "X-Forwarded-For" (both are HTTP_X_FORWARDED_FOR).
  for (const auto& field : head.fields)
    if (field.first.find('_') == std::string::npos) request.headers.push_back(field);
  request.remote_addr = remote_addr_;
  request.local_addr = local_addr_;
  request.server_port = local_port_;
  request.site_root = u"C:\\";
  request.page = path_;
  request.max_body_bytes = site_.limits.max_body_bytes;
  ExchangeSettings settings{head_only_, head.version == 11, parser_->KeepAlive(), site_.limits.send_timeout};

  SetDeadline(Clock::time_point::max());  // the page's sends keep their own time
  site_.workers->Submit([self = shared_from_this(), page = page_, request = std::move(request), body = body_, settings] {
    auto sink = std::make_shared<SocketResponse>(self->socket_.native_handle(), settings, self->site_.stopping);
    bool keep = false;
    try {
      RunPage(page, self->site_.state, request, body ? std::make_unique<SpooledBody>(body) : nullptr, sink);
      keep = sink->Finish();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qe serve: %s: %s\n", request.target.c_str(), e.what());
    }
    asio::post(self->socket_.get_executor(), [self, keep] { self->AfterAnswer(keep); });
  });
}

void HttpConnection::AfterAnswer(bool keep) {
  if (closed_) return;
  out_.clear();
  body_.reset();
  if (keep && parser_->KeepAlive() && !site_.stopping) return NextRequest();
  LingeringClose();
}

// ---- closing ----

void HttpConnection::Refuse(int status) {
  phase_ = Phase::kClosing;
  out_ = StatusAnswer(status, true, head_only_);
  timed_out_ = false;
  SetDeadline(Clock::now() + site_.limits.send_timeout);
  asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const boost::system::error_code& error, size_t) {
    if (self->closed_) return;
    if (error || self->timed_out_) return self->Close();
    self->LingeringClose();
  });
}

// Closing with unread bytes makes the client's system reset the connection
// and drop the answer it has not read yet: the server stops sending, then
// reads a little more before it closes.
void HttpConnection::LingeringClose() {
  phase_ = Phase::kClosing;
  boost::system::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  drain_left_ = kMaxDrainBytes;
  start_ = end_ = 0;
  if (capacity_ == 0) {
    buffer_ = std::make_unique<char[]>(kIdleBuffer);
    capacity_ = kIdleBuffer;
  }
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

void HttpConnection::Close() {
  if (closed_) return;
  closed_ = true;
  boost::system::error_code ignored;
  socket_.close(ignored);
  SetDeadline(Clock::time_point::max());
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
