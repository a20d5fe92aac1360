#include "platform/zip/entry_names.h"

#include <iterator>

#include "platform/fs/paths.h"
#include "platform/fs/windows_names.h"
#include "platform/text/ansi.h"
#include "platform/text/cp936_table.h"
#include "platform/vb/case_fold.h"

namespace ziparc {

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// Code page 437, the IBM PC's, from 0x80 on: what DOS wrote names in.
constexpr char16_t kCodePage437High[] =
    u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒ"
    u"áíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
    u"└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    u"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
static_assert(std::size(kCodePage437High) == 128 + 1);  // and the closing zero

String DecodeCodePage437(std::string_view bytes) {
  String text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    text.push_back(byte < 0x80 ? byte : kCodePage437High[byte - 0x80]);
  }
  return text;
}

}  // namespace

bool IsAscii(StringView name) {
  for (char16_t c : name) {
    if (c >= 0x80) return false;
  }
  return true;
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsUtf8(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = byte(at);
    size_t length;
    uint32_t code;
    if (lead < 0x80) {
      ++at;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
    else return false;
    if (at + length > bytes.size()) return false;
    for (size_t i = 1; i < length; ++i) {
      if ((byte(at + i) & 0xC0) != 0x80) return false;
      code = code << 6 | (byte(at + i) & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    at += length;
  }
  return true;
}

bool IsCodePage936(std::string_view bytes) {
  namespace cp936 = text::cp936;
  for (size_t at = 0; at < bytes.size(); ++at) {
    auto lead = static_cast<uint8_t>(bytes[at]);
    if (!cp936::IsLeadByte(lead)) continue;  // ASCII, and 0x80 and 0xFF on their own
    if (at + 1 == bytes.size()) return false;
    auto trail = static_cast<uint8_t>(bytes[++at]);
    if (trail < cp936::kFirstTrail || trail > cp936::kLastTrail) return false;
    if (cp936::kDoubleByte[(lead - cp936::kFirstLead) * cp936::kTrailCount + (trail - cp936::kFirstTrail)] ==
        cp936::kNoChar)
      return false;
  }
  return true;
}

StoredName EncodeEntryName(StringView name) {
  if (IsAscii(name)) return {vb::ToUtf8(name), false};
  std::string ansi = text::EncodeAnsi(name);
  // "?" stands for what the code page cannot hold: only a round trip tells.
  if (text::DecodeAnsi(ansi) == name) return {std::move(ansi), false};
  return {vb::ToUtf8(name), true};
}

// Without the flag, Windows' own zipper and most Chinese tools write code
// page 936, whose names are often valid UTF-8 by chance, and Info-ZIP's zip
// on Linux and Macs writes UTF-8; names in neither come from DOS tools (code
// page 437) or from systems whose code page nobody can tell.
String DecodeEntryName(std::string_view bytes, NameBytes kind) {
  switch (kind) {
    case NameBytes::kUtf8: break;
    case NameBytes::kFromUnix:
      if (!IsUtf8(bytes) && IsCodePage936(bytes)) return text::DecodeAnsi(bytes);
      break;
    case NameBytes::kFromWindows:
      if (IsCodePage936(bytes)) return text::DecodeAnsi(bytes);
      if (!IsUtf8(bytes)) return DecodeCodePage437(bytes);
      break;
  }
  return vb::FromUtf8(bytes);
}

std::optional<EntryPath> CheckEntryPath(StringView name) {
  if (name.empty() || IsSeparator(name.front())) return std::nullopt;
  if (name.size() >= 2 && name[1] == u':') return std::nullopt;
  EntryPath path;
  size_t start = 0;
  while (start < name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    StringView part = name.substr(start, end - start);
    if (part == u"..") return std::nullopt;
    if (part.empty() || part == u".") {
      // "./a.txt" is "a.txt", and "a/." the folder "a" (as bsdtar writes
      // them); "a//b.txt" is "a/b.txt", as the other unzippers read it.
      if (end == name.size()) path.folder = true;
    } else {
      StringView stored = fs::detail::TrimTrailingDotsAndBlanks(part);
      if (stored.empty() || !fs::detail::NameProblem(stored).empty()) return std::nullopt;
      if (fs::HostNameBytes(stored) > fs::kMaxHostNameBytes) return std::nullopt;
      path.names.emplace_back(stored);
    }
    if (end == name.size()) break;
    start = end + 1;
    if (start == name.size()) path.folder = true;
  }
  return path;
}

String NameKey(StringView name) {
  String key(name);
  for (char16_t& c : key) c = vb::UpperChar(c);
  return key;
}

}  // namespace ziparc
