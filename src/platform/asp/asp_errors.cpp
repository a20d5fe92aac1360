#include "platform/asp/asp_errors.h"

#include <string>

#include "platform/vb/error.h"

namespace asp {
namespace {

[[noreturn]] void Fail(const char16_t* source, const char16_t* description) {
  throw vb::Error(kAspFailure, description, source);
}

}  // namespace

void RaiseBinaryReadAfterForm() {
  Fail(u"Request object, ASP 0206", u"Cannot call BinaryRead after using Request.Form collection.");
}

void RaiseFormAfterBinaryRead() {
  Fail(u"Request object, ASP 0207", u"Cannot use Request.Form collection after calling BinaryRead.");
}

void RaiseBodyTooLarge(uint64_t size, uint64_t limit) {
  std::string text = "Operation not Allowed: the request body of " + std::to_string(size) +
                     " bytes is larger than the limit of " + std::to_string(limit) + " bytes.";
  throw vb::Error(kAspFailure, vb::FromUtf8(text), u"Request object, ASP 0104");
}

void RaiseTooManyFormFields(uint64_t count, uint64_t limit) {
  std::string text = "Operation not Allowed: the form of " + std::to_string(count) +
                     " fields has more than the limit of " + std::to_string(limit) + " fields.";
  throw vb::Error(kAspFailure, vb::FromUtf8(text), u"Request object, ASP 0104");
}

bool IsRequestTooLarge(const vb::Error& error) {
  return error.Number() == kAspFailure && error.Source() == u"Request object, ASP 0104";
}

void RaiseHeadersSent() {
  Fail(u"Response object, ASP 0156",
       u"The HTTP headers are already written to the client browser. Any HTTP header "
       u"modifications must be made before writing page content.");
}

void RaiseBufferingOff() { Fail(u"Response object, ASP 0159", u"Buffering must be on."); }

}  // namespace asp
