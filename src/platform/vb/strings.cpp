#include "platform/vb/strings.h"

#include <algorithm>

#include "platform/vb/error.h"

namespace vb {
namespace {

void RequireNotNegative(int32_t n) {
  if (n < 0) Raise(kInvalidProcedureCall);
}

}  // namespace

String LTrim(StringView s) {
  size_t b = 0;
  while (b < s.size() && s[b] == u' ') ++b;
  return String(s.substr(b));
}

String RTrim(StringView s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == u' ') --e;
  return String(s.substr(0, e));
}

String Trim(StringView s) { return LTrim(RTrim(s)); }

int32_t Len(StringView s) { return static_cast<int32_t>(s.size()); }

String Left(StringView s, int32_t length) {
  RequireNotNegative(length);
  return String(s.substr(0, static_cast<size_t>(length)));
}

String Right(StringView s, int32_t length) {
  RequireNotNegative(length);
  size_t n = std::min(s.size(), static_cast<size_t>(length));
  return String(s.substr(s.size() - n));
}

String Mid(StringView s, int32_t start) {
  if (start < 1) Raise(kInvalidProcedureCall);
  size_t from = static_cast<size_t>(start) - 1;
  return from >= s.size() ? String() : String(s.substr(from));
}

String Mid(StringView s, int32_t start, int32_t length) {
  if (start < 1) Raise(kInvalidProcedureCall);
  RequireNotNegative(length);
  size_t from = static_cast<size_t>(start) - 1;
  return from >= s.size() ? String() : String(s.substr(from, static_cast<size_t>(length)));
}

String Space(int32_t count) { return StringOf(count, u' '); }

String StringOf(int32_t count, char16_t character) {
  RequireNotNegative(count);
  return String(static_cast<size_t>(count), character);
}

String StringOf(int32_t count, StringView character) {
  if (character.empty()) Raise(kInvalidProcedureCall);
  return StringOf(count, character.front());
}

String StrReverse(StringView s) { return String(s.rbegin(), s.rend()); }

int16_t AscW(StringView s) {
  if (s.empty()) Raise(kInvalidProcedureCall);
  return static_cast<int16_t>(s.front());
}

String ChrW(int32_t code) {
  if (code < -32768 || code > 65535) Raise(kInvalidProcedureCall);
  return String(1, static_cast<char16_t>(code < 0 ? code + 65536 : code));
}

}  // namespace vb
