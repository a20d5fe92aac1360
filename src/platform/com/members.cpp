#include "platform/com/members.h"

namespace com {

String TypeNameOf(uint16_t type) {
  if (type == (vb::vbArray | vb::vbByte)) return u"Byte()";
  switch (type) {
    case vb::vbInteger: return u"Integer";
    case vb::vbLong: return u"Long";
    case vb::vbSingle: return u"Single";
    case vb::vbDouble: return u"Double";
    case vb::vbCurrency: return u"Currency";
    case vb::vbDate: return u"Date";
    case vb::vbString: return u"String";
    case vb::vbObject: return u"Object";
    case vb::vbBoolean: return u"Boolean";
    case vb::vbByte: return u"Byte";
    default: return u"Variant";
  }
}

static String LiteralOf(const Variant& v) {
  if (v.IsString()) {
    String out = u"\"";
    for (char16_t c : v.As<String>()) {
      if (c == u'"') out += u"\"\"";
      else if (c == u'\r') out += u"\" & vbCr & \"";
      else if (c == u'\n') out += u"\" & vbLf & \"";
      else out.push_back(c);
    }
    return out + u"\"";
  }
  return vb::CStr(v);
}

String DescribeMember(const MemberInfo& member) {
  String out = member.name + u"(";
  for (size_t i = 0; i < member.params.size(); ++i) {
    const auto& p = member.params[i];
    if (i) out += u", ";
    if (p.optional) out += u"Optional ";
    out += p.by_ref ? u"ByRef " : u"ByVal ";
    out += p.name + u" As " + TypeNameOf(p.type);
    if (p.has_default) out += u" = " + LiteralOf(p.default_value);
  }
  out += u")";
  if (member.result != vb::vbEmpty) out += u" As " + TypeNameOf(member.result);
  return out;
}

void CheckArguments(const MemberInfo& member, const ArgList& args) {
  size_t n = args.size();
  while (n > 0 && args.IsMissing(n - 1)) --n;
  if (n > member.params.size()) vb::Raise(vb::kWrongArgumentCount);
  for (size_t i = 0; i < member.params.size(); ++i)
    if (!member.params[i].optional && args.IsMissing(i)) vb::Raise(vb::kArgumentNotOptional);
}

namespace {
Variant Scalar(const Variant& v) {
  if (v.IsNull()) vb::Raise(vb::kTypeMismatch);
  Variant value = ValueOf(v);
  if (value.IsNull()) vb::Raise(vb::kTypeMismatch);
  return value;
}
}  // namespace

template <>
String FromArg<String>(const Variant& v) { return vb::CStr(Scalar(v)); }
template <>
int16_t FromArg<int16_t>(const Variant& v) { return vb::CInt(Scalar(v)); }
template <>
int32_t FromArg<int32_t>(const Variant& v) { return vb::CLng(Scalar(v)); }
template <>
bool FromArg<bool>(const Variant& v) { return vb::CBool(Scalar(v)); }
template <>
uint8_t FromArg<uint8_t>(const Variant& v) { return vb::CByte(Scalar(v)); }
template <>
float FromArg<float>(const Variant& v) { return vb::CSng(Scalar(v)); }
template <>
double FromArg<double>(const Variant& v) { return vb::CDbl(Scalar(v)); }
template <>
vb::Currency FromArg<vb::Currency>(const Variant& v) { return vb::CCur(Scalar(v)); }
template <>
vb::Date FromArg<vb::Date>(const Variant& v) { return vb::CDate(Scalar(v)); }
template <>
Variant FromArg<Variant>(const Variant& v) { return v; }
template <>
ObjectPtr FromArg<ObjectPtr>(const Variant& v) {
  if (!v.IsObject()) vb::Raise(vb::kTypeMismatch);
  return v.GetObject();
}
template <>
vb::Array FromArg<vb::Array>(const Variant& v) {
  if (v.IsArray() && v.As<vb::Array>().IsBytes()) return v.As<vb::Array>();
  if (v.IsString()) {
    // A text passed where bytes are declared: its UTF-16 code units as bytes.
    const String& s = v.As<String>();
    std::vector<uint8_t> bytes;
    for (char16_t c : s) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return vb::Array::OfBytes(std::move(bytes));
  }
  vb::Raise(vb::kTypeMismatch);
}

}  // namespace com
