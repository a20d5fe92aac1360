#pragma once
// The heads the server writes: answers of its own (a status with a line of
// plain text) and the head of a page's response, with the framing the server
// chooses for it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/asp/response_sink.h"

namespace host {

// The fields every answer carries, "Name: value\r\n" each: browsers guess no
// other type than the one sent, and no other site frames the site's pages. A
// page's head carries each unless the page set that field itself.
std::string_view GuardFields();

// "Not Found" for 404; "Error" for a status it does not know.
std::string_view ReasonPhrase(int status);

// A whole answer with no page of its own: "404 Not Found" as plain text.
// `close` adds "Connection: close"; `head_only` leaves the body out (HEAD);
// a Set-Cookie field for each of `set_cookies`.
std::string StatusAnswer(int status, bool close, bool head_only = false, const std::vector<std::string>& set_cookies = {});

// How a page's body travels.
enum class BodyFraming {
  kNone,     // no body may follow (204, 304)
  kLength,   // Content-Length: the page's, or the buffered body's
  kChunked,  // HTTP/1.1, a body whose end is not known when the head goes
  kToClose,  // HTTP/1.0, a body whose end is not known: the connection ends it
};

// A page's head as it goes on the wire: the page's status and headers,
// converted to the server's code page; a header whose name or value would
// break the response is dropped, and so are the framing headers (the server
// frames the body itself). A status that is no final status (below 200 or
// past 599) becomes 500.
struct PageHead {
  int status = 200;
  std::string status_line;  // "HTTP/1.1 200 OK\r\n"
  std::string fields;       // "Name: value\r\n" each
  // A valid Content-Length the page set: the server sends no byte more.
  std::optional<uint64_t> page_length;

  explicit PageHead(const asp::ResponseHead& head);
  bool BodyAllowed() const { return status != 204 && status != 304; }
  // The head ready to send, framing headers included.
  std::string Text(BodyFraming framing, uint64_t length, bool close, bool http11) const;
};

}  // namespace host
