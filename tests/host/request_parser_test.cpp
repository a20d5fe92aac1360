// Requests as the server reads them off a connection: what it takes, what it
// refuses and with which status, and where each request ends, whatever
// pieces the bytes arrive in.
#include "host/request_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using host::RequestParser;

struct Outcome {
  int refusal = 0;  // 0: read whole
  host::RequestHead head;
  std::string body;
  size_t used = 0;  // bytes of the request, head and body
  bool done = false;
};

// The request fed as it might arrive: `piece` bytes at a time.
Outcome Read(std::string_view bytes, size_t piece = std::string::npos, host::RequestLimits limits = {}) {
  RequestParser parser(limits);
  Outcome outcome;
  std::string received;
  size_t fed = 0;
  auto feed = [&] {
    size_t n = std::min(piece, bytes.size() - fed);
    received.append(bytes.substr(fed, n));
    fed += n;
    return n > 0;
  };
  RequestParser::Step step = RequestParser::Step::kNeedMore;
  while (feed() && (step = parser.ReadHead(received)) == RequestParser::Step::kNeedMore) {
  }
  if (step == RequestParser::Step::kNeedMore) step = parser.ReadHead(received);
  if (step != RequestParser::Step::kDone) {
    outcome.refusal = parser.Refusal();
    return outcome;
  }
  outcome.head = parser.Head();
  outcome.used = parser.HeadBytes();
  received.erase(0, parser.HeadBytes());
  RequestParser::Deliver deliver = [&](std::string_view data) { outcome.body.append(data); };
  for (;;) {
    size_t used = 0;
    step = parser.ReadBody(received, used, deliver);
    received.erase(0, used);
    outcome.used += used;
    if (step == RequestParser::Step::kRefused) {
      outcome.refusal = parser.Refusal();
      return outcome;
    }
    if (step == RequestParser::Step::kDone || !feed()) break;
  }
  outcome.done = parser.Done();
  return outcome;
}

std::string Chunked(const std::string& chunks) {
  return "POST /p HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks;
}

TEST(RequestParser, RequestsThatCannotBeFramedWithoutGuessingAreRefused) {
  struct Case {
    const char* what;
    std::string bytes;
    int status;
  };
  const std::string kPost = "POST /p HTTP/1.1\r\nHost: a\r\n";
  const std::vector<Case> cases = {
      {"two different lengths", kPost + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", 400},
      {"a length and chunks", kPost + "Content-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", 400},
      {"a blank before the colon", kPost + "Transfer-Encoding : chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", 400},
      {"chunked not last", kPost + "Transfer-Encoding: chunked, identity\r\n\r\n3\r\nabc\r\n0\r\n\r\n", 400},
      {"no chunked at all", kPost + "Transfer-Encoding: gzip\r\n\r\nabc", 400},
      {"chunked twice", kPost + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"an unknown coding", kPost + "Transfer-Encoding: xchunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", 501},
      {"a coding the server does not undo", kPost + "Transfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n", 501},
      {"chunks in HTTP/1.0", "POST /p HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"a folded header", "GET / HTTP/1.1\r\nHost: a\r\nX-A: b\r\n c\r\n\r\n", 400},
      {"a folded Host", "GET / HTTP/1.1\r\nHost: a\r\n\tX: b\r\n\r\n", 400},
      {"a chunk size in hex notation", Chunked("0x5\r\nabcde\r\n0\r\n\r\n"), 400},
      {"a chunk size after a blank", Chunked(" 5\r\nabcde\r\n0\r\n\r\n"), 400},
      {"a chunk size past 64 bits", Chunked("fffffffffffffffffff\r\nabc"), 400},
      {"no Host in HTTP/1.1", "GET / HTTP/1.1\r\n\r\n", 400},
      {"two Hosts", "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400},
      {"a Host with a blank", "GET / HTTP/1.1\r\nHost: a b\r\n\r\n", 400},
      {"a Host with a slash", "GET / HTTP/1.1\r\nHost: a/b\r\n\r\n", 400},
      {"a header line without a colon", "GET / HTTP/1.1\r\nHost: a\r\nNoColon\r\n\r\n", 400},
      {"a NUL in a value", std::string("GET / HTTP/1.1\r\nHost: a\r\nX: a\0b\r\n\r\n", 35), 400},
      {"a bare CR in a value", "GET / HTTP/1.1\r\nHost: a\r\nX: a\rb\r\n\r\n", 400},
      {"lines ended by LF alone", "GET / HTTP/1.1\nHost: a\n\n", 400},
      {"an unknown protocol", "GET / HTTP/9.9\r\nHost: a\r\n\r\n", 400},
      {"no protocol", "GET /\r\n\r\n", 400},
      {"a length that is not a number", kPost + "Content-Length: 12x\r\n\r\n", 400},
      {"a signed length", kPost + "Content-Length: +3\r\n\r\nabc", 400},
      {"a length past 64 bits", kPost + "Content-Length: 999999999999999999999\r\n\r\n", 413},
      {"an expectation the server cannot meet", kPost + "Expect: 200-ok\r\nContent-Length: 1\r\n\r\na", 417},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.bytes).refusal, c.status) << c.what;
    EXPECT_EQ(Read(c.bytes, 1).refusal, c.status) << c.what << ", a byte at a time";
  }
}

TEST(RequestParser, EveryPartOfARequestIsBounded) {
  host::RequestLimits limits;
  limits.max_body_bytes = 1000;
  limits.max_framing_bytes = 512;
  struct Case {
    const char* what;
    std::string bytes;
    int status;
  };
  std::string many_headers;
  for (int i = 0; i < 5000; ++i) many_headers += "X-Filler: aaaaaaaa\r\n";
  std::string blank_lines;
  for (int i = 0; i < 35000; ++i) blank_lines += "\r\n";
  std::string one_byte_chunks;
  for (int i = 0; i < 400; ++i) one_byte_chunks += "1\r\na\r\n";
  std::string empty_fields;  // with Host, one past the count
  for (int i = 0; i < 100; ++i) empty_fields += "a:\r\n";
  const std::vector<Case> cases = {
      {"a request line past 8 KiB", "GET /" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: a\r\n\r\n", 414},
      {"a request line past 8 KiB, unfinished", "GET /" + std::string(9000, 'a'), 414},
      {"a header line past 8 KiB", "GET / HTTP/1.1\r\nHost: a\r\nX: " + std::string(9000, 'a') + "\r\n\r\n", 400},
      {"a head past 64 KiB", "GET / HTTP/1.1\r\nHost: a\r\n" + many_headers + "\r\n", 431},
      {"a head past 64 KiB, unfinished", "GET / HTTP/1.1\r\nHost: a\r\n" + many_headers, 431},
      {"a field past the count, unfinished", "GET / HTTP/1.1\r\nHost: a\r\n" + empty_fields, 431},
      {"blank lines without end", blank_lines, 400},
      {"a declared body past the limit", "POST /p HTTP/1.1\r\nHost: a\r\nContent-Length: 1001\r\n\r\n", 413},
      {"chunks past the limit", Chunked("3e9\r\n" + std::string(1001, 'x') + "\r\n0\r\n\r\n"), 413},
      {"a chunk extension without end", Chunked("5;ext=" + std::string(600, 'e')), 400},
      {"trailers without end", Chunked("0\r\nX-T: " + std::string(600, 't')), 400},
      {"framing far larger than its body", Chunked(one_byte_chunks + "0\r\n\r\n"), 400},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.bytes, std::string::npos, limits).refusal, c.status) << c.what;
    EXPECT_EQ(Read(c.bytes, 7, limits).refusal, c.status) << c.what << ", 7 bytes at a time";
  }
}

TEST(RequestParser, AcceptedRequestsEndWhereTheirFramingSays) {
  std::string many_fields;  // with Host, 100
  for (int i = 0; i < 99; ++i) many_fields += "a:\r\n";
  struct Case {
    const char* what;
    std::string request;  // followed by the next one, which is not read
    std::string target;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"a plain GET", "GET /a?b=1 HTTP/1.1\r\nHost: a\r\n\r\n", "/a?b=1", ""},
      {"HTTP/1.0 without Host", "GET /a HTTP/1.0\r\n\r\n", "/a", ""},
      {"the absolute form", "GET http://example.org:8080/a/b?c=1 HTTP/1.1\r\nHost: example.org:8080\r\n\r\n", "/a/b?c=1",
       ""},
      {"the absolute form without a path", "GET HTTP://example.org?x HTTP/1.1\r\nHost: example.org\r\n\r\n", "/?x", ""},
      {"blank lines before it", "\r\n\r\nGET /a HTTP/1.1\r\nHost: a\r\n\r\n", "/a", ""},
      {"a GET with a body", "GET /a HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc", "/a", "abc"},
      {"the same length twice", "POST /p HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\nContent-Length: 3\r\n\r\nabc",
       "/p", "abc"},
      {"chunks with extensions and trailers",
       Chunked("5;name=value\r\nhello\r\n1;q=\"quoted\"\r\n!\r\n0\r\nX-Trailer: t\r\n\r\n"), "/p", "hello!"},
      {"a coding named in capitals", "POST /p HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: CHUNKED\r\n\r\n2\r\nok\r\n0\r\n\r\n",
       "/p", "ok"},
      {"an empty Host", "GET /a HTTP/1.1\r\nHost:\r\n\r\n", "/a", ""},
      {"expecting 100-continue", "POST /p HTTP/1.1\r\nHost: a\r\nExpect: 100-Continue\r\nContent-Length: 2\r\n\r\nhi", "/p",
       "hi"},
      {"as many fields as a head may have", "GET /a HTTP/1.1\r\nHost: a\r\n" + many_fields + "\r\n", "/a", ""},
  };
  const std::string kNext = "GET /next HTTP/1.1\r\nHost: a\r\n\r\n";
  for (const Case& c : cases) {
    for (size_t piece : {std::string::npos, size_t{1}, size_t{3}}) {
      Outcome outcome = Read(c.request + kNext, piece);
      EXPECT_EQ(outcome.refusal, 0) << c.what;
      EXPECT_TRUE(outcome.done) << c.what;
      EXPECT_EQ(outcome.head.target, c.target) << c.what;
      EXPECT_EQ(outcome.body, c.body) << c.what;
      EXPECT_EQ(outcome.used, c.request.size()) << c.what << ", in pieces of " << piece;
    }
  }
}

TEST(RequestParser, TheHeadKeepsItsFieldsAndTellsTheConnectionsFate) {
  RequestParser parser({});
  ASSERT_EQ(parser.ReadHead("POST /p HTTP/1.1\r\nHost: a\r\nx-one: 1\r\nCookie: a=1\r\nExpect: 100-continue\r\n"
                            "Connection: close\r\nContent-Length: 5\r\n\r\n"),
            RequestParser::Step::kDone);
  EXPECT_EQ(parser.Head().method, "POST");
  EXPECT_EQ(parser.Head().version, 11);
  EXPECT_EQ(parser.Head().fields,
            (asp::HeaderList{{"Host", "a"},
                             {"x-one", "1"},
                             {"Cookie", "a=1"},
                             {"Expect", "100-continue"},
                             {"Connection", "close"},
                             {"Content-Length", "5"}}));
  EXPECT_TRUE(parser.HasBody());
  EXPECT_TRUE(parser.ExpectsContinue());
  EXPECT_FALSE(parser.KeepAlive());

  RequestParser old({});
  ASSERT_EQ(old.ReadHead("GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"), RequestParser::Step::kDone);
  EXPECT_TRUE(old.KeepAlive());
  EXPECT_FALSE(old.HasBody());
  EXPECT_FALSE(old.ExpectsContinue());

  // An absolute-form target names the host, whatever the Host field says.
  for (const char* version : {"1.1", "1.0"}) {
    RequestParser absolute({});
    ASSERT_EQ(absolute.ReadHead(std::string("GET http://evil.example:81/a HTTP/") + version + "\r\nHost: a\r\n\r\n"),
              RequestParser::Step::kDone);
    EXPECT_EQ(absolute.Head().target, "/a");
    EXPECT_EQ(absolute.Head().fields, (asp::HeaderList{{"Host", "evil.example:81"}})) << version;
  }
}

// A browser sends every cookie the host holds in one Cookie field, and
// another port of the host can set them: the field may take the head's whole
// room, wherever the session stands in it. A head past even that is refused
// with the names it carried, for the answer to remove; any other field keeps
// the line's limit.
TEST(RequestParser, ACookieFieldMayTakeTheHeadsWholeRoom) {
  const std::string kStart = "GET /qe/main/desk.asp?a=1 HTTP/1.1\r\nHost: a\r\n";
  const std::string kSession = "ASPSESSIONIDABCDEFGH=TOKEN";
  auto big = [](int first, int count) {  // cookies of 4,000 bytes
    std::string cookies;
    for (int i = first; i < first + count; ++i)
      cookies += (cookies.empty() ? "" : "; ") + ("c" + std::to_string(i) + "=").append(3996 - std::to_string(i).size(), 'v');
    return cookies;
  };
  // Filler that brings the head (request line and fields) to `size` bytes.
  auto head_of = [&](size_t size, const std::string& fields) {
    const std::string filler = "; pad=";
    std::string head = kStart + fields;
    return head.insert(head.size() - 2, filler + std::string(size - head.size() - filler.size(), 'p'));
  };
  auto names = [](int count, bool session_first) {
    std::vector<std::string> in_order;
    for (int i = 0; i < count; ++i) in_order.push_back("c" + std::to_string(i));
    in_order.insert(session_first ? in_order.begin() : in_order.end(), "ASPSESSIONIDABCDEFGH");
    return in_order;
  };
  struct Case {
    const char* what;
    std::string head;  // without the blank line
    int status;
    // Of a refusal: the names in the order they came, of which it carries
    // those within the head's limit at least.
    std::vector<std::string> carried;
    size_t at_least = 0;
  };
  const std::vector<Case> cases = {
      {"the session first", kStart + "Cookie: " + kSession + "; " + big(0, 15) + "\r\n", 0, {}},
      {"the session among them", kStart + "Cookie: " + big(0, 7) + "; " + kSession + "; " + big(7, 8) + "\r\n", 0, {}},
      {"the session last", kStart + "Cookie: " + big(0, 15) + ";" + kSession + "\r\n", 0, {}},
      {"two Cookie fields", kStart + "cookie: " + big(0, 8) + "\r\nCOOKIE: " + kSession + "; " + big(8, 7) + "\r\n", 0, {}},
      {"a head at its limit", head_of(64 * 1024, "Cookie: " + big(0, 3) + "\r\n"), 0, {}},
      {"a head past its limit", head_of(64 * 1024 + 1, "Cookie: " + big(0, 3) + "\r\n"), 431, {"c0", "c1", "c2", "pad"}, 4},
      {"twenty, the session last", kStart + "Cookie: " + big(0, 20) + "; " + kSession + "\r\n", 431, names(20, false), 16},
      {"twenty, the session first", kStart + "Cookie: " + kSession + "; " + big(0, 20) + "\r\n", 431, names(20, true), 17},
      {"a field of another name", kStart + "X-Cookie: " + std::string(9000, 'v') + "\r\n", 400, {}},
      {"a name that begins alike", kStart + "Cookie2: " + std::string(9000, 'v') + "\r\n", 400, {}},
      {"a blank before the colon", kStart + "Cookie : " + std::string(9000, 'v') + "\r\n", 400, {}},
  };
  for (const Case& c : cases) {
    for (size_t piece : {std::string::npos, size_t{4096}, size_t{7}}) {
      SCOPED_TRACE(std::string(c.what) + ", in pieces of " + std::to_string(piece));
      RequestParser parser({});
      const std::string request = c.head + "\r\n";
      RequestParser::Step step = RequestParser::Step::kNeedMore;
      for (size_t fed = std::min(piece, request.size()); step == RequestParser::Step::kNeedMore;
           fed = std::min(fed + piece, request.size()))
        step = parser.ReadHead(std::string_view(request).substr(0, fed));
      if (c.status == 0) {
        ASSERT_EQ(step, RequestParser::Step::kDone);
        std::string sent;  // the Cookie fields as they came, whole
        for (const auto& [name, value] : parser.Head().fields)
          if (name != "Host") sent += name + ": " + value + "\r\n";
        EXPECT_EQ(kStart + sent, c.head);
        continue;
      }
      ASSERT_EQ(step, RequestParser::Step::kRefused);
      EXPECT_EQ(parser.Refusal(), c.status);
      const host::CarriedCookies carried = parser.TakeCarriedCookies();
      if (c.status != 431) {
        EXPECT_TRUE(carried.names.empty());
        continue;
      }
      EXPECT_EQ(carried.path, "/qe/main/desk.asp");
      EXPECT_GE(carried.names.size(), c.at_least);
      ASSERT_LE(carried.names.size(), c.carried.size());
      EXPECT_TRUE(std::equal(carried.names.begin(), carried.names.end(), c.carried.begin()));
      EXPECT_TRUE(parser.TakeCarriedCookies().names.empty()) << "taken once";
    }
  }
}

}  // namespace
