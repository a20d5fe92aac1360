#include "office/qe_stamps.h"

#include <charconv>
#include <optional>
#include <string>

#include "common/kesra_addresses.h"
#include "common/kesra_dates.h"
#include "common/markup_encode.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "common/sql_literal.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr char16_t kCrLf[] = u"\r\n";

// The four stamp fields, time|address|department|name.
enum StampField { kTime, kAddress, kDepartment, kName };

void SetField(vb::Variant& Rs, vb::StringView column, const vb::Variant& value) {
  com::Let(Rs, u"", value, vb::String(column));
}

// The stamp of a change by the user now; Empty when nobody is logged in.
vb::String ChangeStamp(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session) {
  vb::Variant part = QeGetUserPart(Response, Session);
  if (asp::ResponseEnded(Response)) return {};
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return {};
  const vb::String address = vb::Replace(KesraGetIp(Request), u"|", u"_");
  return KesraGetDateTime() + u"|" + address + u"|" + vb::CStr(part) + u"|" + vb::CStr(name);
}

// Four labelled lines: author, department, address, time (shown from 14 digits).
vb::String Tooltip(const char16_t* const labels[4], const vb::String& author, const vb::String& department,
                   const vb::String& address, const vb::String& time) {
  return labels[0] + author + kCrLf + labels[1] + department + kCrLf + labels[2] + address + kCrLf + labels[3] +
         KesraPutDateTime(time);
}

vb::String FieldOf(const std::vector<vb::String>& fields, size_t n) {
  if (n >= fields.size()) vb::Raise(vb::kSubscriptOutOfRange);
  return fields[n];
}

// A record key as the reader list's SQL takes it: a whole number of 32 bits,
// blanks around it allowed.
std::optional<int32_t> RecordKey(const vb::String& text) {
  const std::string digits = vb::ToUtf8(vb::Trim(text));
  size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
  if (start == digits.size()) return std::nullopt;
  for (size_t i = start; i < digits.size(); ++i)
    if (digits[i] < '0' || digits[i] > '9') return std::nullopt;
  int32_t key = 0;
  const char* first = digits.data() + (digits[0] == '+' ? 1 : 0);
  auto [end, error] = std::from_chars(first, digits.data() + digits.size(), key);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return key;
}

}  // namespace

void QeSetAddInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  vb::Variant part = QeGetUserPart(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  SetField(Rs, u"DateAndTime", KesraGetDateTime());
  SetField(Rs, u"UserName", name);
  SetField(Rs, u"Part", part);
  SetField(Rs, u"Ip", KesraGetIp(Request));
}

void QeSetEditInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs) {
  vb::String stamp = ChangeStamp(Request, Response, Session);
  if (asp::ResponseEnded(Response)) return;
  SetField(Rs, u"LastInfo", stamp);
}

void QeSetReviewInfo(vb::Variant& Request, vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs) {
  vb::String stamp = ChangeStamp(Request, Response, Session);
  if (asp::ResponseEnded(Response)) return;
  SetField(Rs, u"LastReviewInfo", stamp);
}

void QeSetReaderInfo(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return;
  const vb::String entry = u"|" + vb::CStr(name) + u"|";
  const vb::String readers = RecordText(Rs, u"Readers");
  if (readers.empty())
    SetField(Rs, u"Readers", entry);
  else if (vb::InStr(readers, entry) == 0)
    SetField(Rs, u"Readers", readers + vb::CStr(name) + u"|");
}

void QeSaveReaderInfo(vb::Variant& Response, vb::Variant& Request, vb::Variant& Session, vb::Variant& p_Conn,
                      vb::String p_TableName, vb::String p_Readers) {
  // Pages call it where a failure must not show: every error is dropped.
  try {
    vb::Variant name = QeGetUserName(Response, Session);
    if (asp::ResponseEnded(Response)) return;
    const vb::String user = vb::CStr(name);
    vb::String readers;
    if (vb::Trim(p_Readers).empty())
      readers = u"|" + user + u"|";
    else if (vb::InStr(p_Readers, u"|" + user + u"|") == 0)
      readers = p_Readers + user + u"|";
    else
      return;
    std::optional<int32_t> key = RecordKey(RequestText(Request, u"ID"));
    if (!key) return;
    com::Call(p_Conn, u"Execute",
              u"Update [" + p_TableName + u"] Set [Readers]=" + SqlText(readers) +
                  u" Where [ID]=" + vb::FromUtf8(std::to_string(*key)));
  } catch (const vb::Error&) {
  }
}

vb::String QeGetAddInfo(vb::Variant& Rs) {
  static const char16_t* const kLabels[4] = {u"发布人：", u"发布部门：", u"发布IP：", u"发布时间："};
  return Tooltip(kLabels, RecordText(Rs, u"username"), RecordText(Rs, u"part"), RecordText(Rs, u"ip"),
                 RecordText(Rs, u"dateandtime"));
}

vb::String QeGetEditInfo(vb::Variant& Rs) {
  static const char16_t* const kLabels[4] = {u"最后更新作者：", u"最后更新部门：", u"最后更新IP：",
                                             u"最后更新时间："};
  const vb::String last = RecordText(Rs, u"lastinfo");
  if (last.empty())
    return Tooltip(kLabels, RecordText(Rs, u"username"), RecordText(Rs, u"part"), RecordText(Rs, u"ip"),
                   RecordText(Rs, u"dateandtime"));
  const std::vector<vb::String> f = vb::SplitParts(last, u"|");
  return Tooltip(kLabels, FieldOf(f, kName), FieldOf(f, kDepartment), FieldOf(f, kAddress), FieldOf(f, kTime));
}

vb::String QeGetReviewInfo(vb::Variant& Rs) {
  static const char16_t* const kLabels[4] = {u"最后回复作者：", u"最后回复部门：", u"最后回复IP：",
                                             u"最后回复时间："};
  const vb::String last = RecordText(Rs, u"LastReviewInfo");
  if (vb::InStr(last, u"|") == 0) return u"暂时没有回复";
  // Padded so that four fields always exist.
  const std::vector<vb::String> f = vb::SplitParts(last + u"|||", u"|");
  return Tooltip(kLabels, f[kName], f[kDepartment], f[kAddress], f[kTime]);
}

vb::String QeGetReadInfo(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs) {
  vb::Variant name = QeGetUserName(Response, Session);
  if (asp::ResponseEnded(Response)) return {};
  if (vb::InStr(RecordText(Rs, u"readers"), u"|" + vb::CStr(name) + u"|") > 0)
    return u"<Span><Img title=\"已阅\" Src=\"../comm/image/m_olds.asp\"></Span>";
  return u"<Span><Img title=\"未阅\" Src=\"../comm/image/m_news.asp\"></Span>";
}

vb::String QeGetReadList(vb::Variant& Rs, int16_t p_PopWidth, int16_t p_PopHeight, vb::String p_TableName,
                         int16_t p_DialogCloseByOverly) {
  auto number = [](int16_t n) { return vb::FromUtf8(std::to_string(n)); };
  // The record's key lands in a query, inside a script string, inside an
  // attribute: the query encoding leaves no quote or "&" for either.
  return u"<a href='JavaScript:void(0);' onclick=\"divOpenDialog('divDialogUserList'," + number(p_PopWidth) +
         u"," + number(p_PopHeight) + u", '显示已阅用户列表', '../comm/tymk_ReaderShow.asp?id=" +
         QueryValueEncode(RecordText(Rs, u"ID")) + u"&TableName=" + p_TableName + u"'," +
         number(p_DialogCloseByOverly) + u")\">" +
         u"<img Src='../comm/image/icon_group.asp' title='显示已阅用户列表' Height=18 border=0>" + u"</a>";
}

}  // namespace qe
