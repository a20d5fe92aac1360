// The late-bound members of ADODB.Stream.
#include "platform/com/registry.h"
#include "platform/stream/stream.h"
#include "platform/stream/stream_errors.h"
#include "platform/vb/convert.h"

namespace stream {

namespace {

using com::ArgList;
using com::kGet;
using com::kLet;
using vb::Variant;

int32_t LongArg(const ArgList& a, size_t i, int32_t fallback) {
  return a.IsMissing(i) ? fallback : vb::CLng(com::ValueOf(a[i]));
}

String TextArg(const ArgList& a, size_t i) { return vb::CStr(com::ValueOf(a[i])); }

template <class Setter>
com::MemberTable<Stream>::Handler LetLong(Setter set) {
  return [set](Stream& s, ArgList& a) {
    set(s, vb::CLng(com::ValueOf(a[0])));
    return Variant();
  };
}

// Open's source: this platform opens streams in memory only.
void CheckNoSource(const ArgList& a) {
  if (a.IsMissing(0)) return;
  Variant source = com::ValueOf(a[0]);
  if (!source.IsEmpty() && !(source.IsString() && source.As<String>().empty())) {
    RaiseStreamError(kInvalidArgument);
  }
}

Stream& StreamArg(const ArgList& a, size_t i) {
  auto other = std::dynamic_pointer_cast<Stream>(a[i].GetObject());
  if (!other) {
    RaiseStreamError(kInvalidArgument);
  }
  return *other;
}

}  // namespace

const com::MemberTable<Stream>& Stream::Members() {
  auto done = [] { return Variant(); };
  static const com::MemberTable<Stream> table{
      {u"Type", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.Type()); }},
      {u"Type", kLet, 1, 1, LetLong([](Stream& s, int32_t v) { s.Type(v); })},
      {u"Mode", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.Mode()); }},
      {u"Mode", kLet, 1, 1, LetLong([](Stream& s, int32_t v) { s.Mode(v); })},
      {u"Charset", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.Charset()); }},
      {u"Charset", kLet, 1, 1,
       [done](Stream& s, ArgList& a) {
         s.Charset(TextArg(a, 0));
         return done();
       }},
      {u"LineSeparator", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.LineSeparator()); }},
      {u"LineSeparator", kLet, 1, 1, LetLong([](Stream& s, int32_t v) { s.LineSeparator(v); })},
      {u"State", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.State()); }},
      {u"Position", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.Position()); }},
      {u"Position", kLet, 1, 1, LetLong([](Stream& s, int32_t v) { s.Position(v); })},
      {u"Size", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.Size()); }},
      {u"EOS", kGet, 0, 0, [](Stream& s, ArgList&) { return Variant(s.EOS()); }},
      {u"Open", kGet, 0, 5,
       [done](Stream& s, ArgList& a) {
         CheckNoSource(a);
         s.Open(LongArg(a, 1, adModeUnknown));
         return done();
       }},
      {u"Close", kGet, 0, 0,
       [done](Stream& s, ArgList&) {
         s.Close();
         return done();
       }},
      {u"Flush", kGet, 0, 0, [done](Stream&, ArgList&) { return done(); }},
      {u"Read", kGet, 0, 1, [](Stream& s, ArgList& a) { return s.Read(LongArg(a, 0, adReadAll)); }},
      {u"Write", kGet, 1, 1,
       [done](Stream& s, ArgList& a) {
         s.Write(com::ValueOf(a[0]));
         return done();
       }},
      {u"ReadText", kGet, 0, 1, [](Stream& s, ArgList& a) { return Variant(s.ReadText(LongArg(a, 0, adReadAll))); }},
      {u"WriteText", kGet, 1, 2,
       [done](Stream& s, ArgList& a) {
         s.WriteText(TextArg(a, 0), LongArg(a, 1, adWriteChar));
         return done();
       }},
      {u"SkipLine", kGet, 0, 0,
       [done](Stream& s, ArgList&) {
         s.SkipLine();
         return done();
       }},
      {u"SetEOS", kGet, 0, 0,
       [done](Stream& s, ArgList&) {
         s.SetEOS();
         return done();
       }},
      {u"CopyTo", kGet, 1, 2,
       [done](Stream& s, ArgList& a) {
         s.CopyTo(StreamArg(a, 0), LongArg(a, 1, -1));
         return done();
       }},
      {u"LoadFromFile", kGet, 1, 1,
       [done](Stream& s, ArgList& a) {
         s.LoadFromFile(TextArg(a, 0));
         return done();
       }},
      {u"SaveToFile", kGet, 1, 2,
       [done](Stream& s, ArgList& a) {
         s.SaveToFile(TextArg(a, 0), LongArg(a, 1, adSaveCreateNotExist));
         return done();
       }},
  };
  return table;
}

void RegisterClasses() {
  com::RegisterClass({u"ADODB.Stream", u"{00000566-0000-0010-8000-00AA006D2EA4}",
                      [] { return std::make_shared<Stream>(); }});
}

}  // namespace stream
