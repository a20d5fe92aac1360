#pragma once
// Small late-bound stand-ins for a page's connection and recordset.
#include "platform/com/object.h"

namespace test_objects {

// A connection: its default member is its connection string; State; Close.
class FakeConnection : public com::Dispatch<FakeConnection> {
 public:
  explicit FakeConnection(vb::String connection_string, bool open = true)
      : connection_string(std::move(connection_string)), open(open) {}
  vb::String TypeName() const override { return u"Connection"; }
  static const com::MemberTable<FakeConnection>& Members() {
    static const com::MemberTable<FakeConnection> table = {
        {u"", com::kGet, 0, 0, [](FakeConnection& c, com::ArgList&) { return vb::Variant(c.connection_string); }},
        {u"ConnectionString", com::kGet, 0, 0,
         [](FakeConnection& c, com::ArgList&) { return vb::Variant(c.connection_string); }},
        {u"State", com::kGet, 0, 0,
         [](FakeConnection& c, com::ArgList&) { return vb::Variant(static_cast<int32_t>(c.open ? 1 : 0)); }},
        {u"Close", com::kGet, 0, 0,
         [](FakeConnection& c, com::ArgList&) {
           if (!c.open) vb::Raise(3704, u"Operation is not allowed when the object is closed.");
           c.open = false;
           ++c.close_calls;
           return vb::Variant();
         }},
    };
    return table;
  }
  vb::String connection_string;
  bool open;
  int close_calls = 0;
};

// A recordset: reading its default member (the Fields collection) raises.
class FakeRecordset : public com::Dispatch<FakeRecordset> {
 public:
  explicit FakeRecordset(bool open = true) : open(open) {}
  vb::String TypeName() const override { return u"Recordset"; }
  static const com::MemberTable<FakeRecordset>& Members() {
    static const com::MemberTable<FakeRecordset> table = {
        {u"", com::kGet, 1, 1, [](FakeRecordset&, com::ArgList&) -> vb::Variant { vb::Raise(3265); }},
        {u"State", com::kGet, 0, 0,
         [](FakeRecordset& r, com::ArgList&) { return vb::Variant(static_cast<int32_t>(r.open ? 1 : 0)); }},
        {u"Close", com::kGet, 0, 0,
         [](FakeRecordset& r, com::ArgList&) {
           if (!r.open) vb::Raise(3704);
           r.open = false;
           ++r.close_calls;
           return vb::Variant();
         }},
    };
    return table;
  }
  bool open;
  int close_calls = 0;
};

// A response that records what is written to it and whether it was ended.
class RecordingResponse : public com::Dispatch<RecordingResponse> {
 public:
  vb::String TypeName() const override { return u"Response"; }
  static const com::MemberTable<RecordingResponse>& Members() {
    static const com::MemberTable<RecordingResponse> table = {
        {u"Write", com::kGet, 1, 1,
         [](RecordingResponse& r, com::ArgList& a) {
           if (!r.ended) r.written += vb::CStr(a[0]);
           return vb::Variant();
         }},
        {u"End", com::kGet, 0, 0,
         [](RecordingResponse& r, com::ArgList&) {
           r.ended = true;
           return vb::Variant();
         }},
    };
    return table;
  }
  vb::String written;
  bool ended = false;
};

// A recordset positioned at a given end, for checks that test EOF and BOF.
class PositionedRecordset : public com::Dispatch<PositionedRecordset> {
 public:
  PositionedRecordset(bool eof, bool bof) : eof(eof), bof(bof) {}
  vb::String TypeName() const override { return u"Recordset"; }
  static const com::MemberTable<PositionedRecordset>& Members() {
    static const com::MemberTable<PositionedRecordset> table = {
        {u"EOF", com::kGet, 0, 0, [](PositionedRecordset& r, com::ArgList&) { return vb::Variant(r.eof); }},
        {u"BOF", com::kGet, 0, 0, [](PositionedRecordset& r, com::ArgList&) { return vb::Variant(r.bof); }},
        {u"State", com::kGet, 0, 0, [](PositionedRecordset& r, com::ArgList&) {
           return vb::Variant(static_cast<int32_t>(r.open ? 1 : 0)); }},
        {u"Close", com::kGet, 0, 0, [](PositionedRecordset& r, com::ArgList&) {
           r.open = false;
           return vb::Variant(); }},
    };
    return table;
  }
  bool eof, bof, open = true;
};

}  // namespace test_objects
