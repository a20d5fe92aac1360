// Moving through a recordset: the current row, paging, and reading many rows.
#include "platform/ado/recordset.h"

#include "platform/vb/convert.h"

namespace ado {
namespace {

[[noreturn]] void CannotGoBack() {
  RaiseProvider(kDbCannotFetchBackwards, u"Rowset does not support fetching backward.",
                u"Microsoft JET Database Engine");
}

}  // namespace

bool Recordset::AtEof() const { return Scrollable() ? pos_ >= Size() : stream_done_; }

bool Recordset::AtBof() const { return Scrollable() ? pos_ < 0 || Size() == 0 : stream_done_ && fetched_ == 0; }

bool Recordset::Eof() {
  RequireOpen();
  return edit_mode_ != adEditAdd && AtEof();
}

bool Recordset::Bof() {
  RequireOpen();
  return edit_mode_ != adEditAdd && AtBof();
}

void Recordset::Fetch() {
  if (source_->Next(current_)) ++fetched_;
  else stream_done_ = true;
}

void Recordset::MoveNext() {
  RequireOpen();
  FlushEdit();
  if (AtEof() && !on_deleted_) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  if (Scrollable()) {
    // After a delete the position already holds the next row.
    if (!on_deleted_) pos_ = std::min(pos_ + 1, Size());
  } else {
    Fetch();
  }
  on_deleted_ = false;
  RowChanged();
}

void Recordset::MovePrevious() {
  RequireOpen();
  if (!Scrollable()) CannotGoBack();
  FlushEdit();
  if (AtBof()) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  pos_ = std::max<int64_t>(pos_ - 1, -1);
  on_deleted_ = false;
  RowChanged();
}

void Recordset::MoveFirst() {
  RequireOpen();
  FlushEdit();
  on_deleted_ = false;
  if (Scrollable()) {
    pos_ = 0;
  } else if (fetched_ != 1 || stream_done_) {
    // A forward-only cursor starts again by running its statement again.
    source_->Rewind();
    fetched_ = 0;
    stream_done_ = false;
    Fetch();
  }
  RowChanged();
}

void Recordset::MoveLast() {
  RequireOpen();
  FlushEdit();
  on_deleted_ = false;
  if (Scrollable()) {
    pos_ = std::max<int64_t>(Size() - 1, 0);
  } else {
    RowData last = current_;
    bool any = !stream_done_;
    while (source_->Next(current_)) {
      ++fetched_;
      last = current_;
      any = true;
    }
    current_ = std::move(last);
    stream_done_ = !any;
  }
  RowChanged();
}

void Recordset::Move(int64_t count, int start) {
  RequireOpen();
  FlushEdit();
  if (!Scrollable()) {
    if (count < 0 || start != adBookmarkCurrent) CannotGoBack();
    for (int64_t i = 0; i < count; ++i) MoveNext();
    return;
  }
  int64_t base = pos_;
  if (start == adBookmarkFirst) base = 0;
  else if (start == adBookmarkLast) base = Size() - 1;
  else if ((count > 0 && AtEof()) || (count < 0 && AtBof())) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  if (on_deleted_ && count > 0 && start == adBookmarkCurrent) --base;
  int64_t target = base + count;
  pos_ = target < 0 ? -1 : std::min(target, Size());
  on_deleted_ = false;
  RowChanged();
}

int64_t Recordset::RecordCount() {
  RequireOpen();
  return Scrollable() ? Size() : -1;
}

void Recordset::SetPageSize(int32_t size) {
  if (size < 1) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
  page_size_ = size;
}

int64_t Recordset::PageCount() {
  RequireOpen();
  if (!Scrollable()) return -1;
  return (Size() + page_size_ - 1) / page_size_;
}

int64_t Recordset::AbsolutePage() {
  RequireOpen();
  if (!Scrollable() || Size() == 0) return adPosUnknown;
  if (AtBof()) return adPosBOF;
  if (AtEof()) return adPosEOF;
  return pos_ / page_size_ + 1;
}

void Recordset::SetAbsolutePage(int64_t page) {
  RequireOpen();
  if (!Scrollable()) RaiseAdo(kErrFeatureNotAvailable, kSourceRecordset);
  if (page < 1 || page > PageCount()) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
  FlushEdit();
  pos_ = (page - 1) * page_size_;
  on_deleted_ = false;
  RowChanged();
}

int64_t Recordset::AbsolutePosition() {
  RequireOpen();
  if (!Scrollable() || Size() == 0) return adPosUnknown;
  if (AtBof()) return adPosBOF;
  if (AtEof()) return adPosEOF;
  return pos_ + 1;
}

void Recordset::SetAbsolutePosition(int64_t position) {
  RequireOpen();
  if (!Scrollable()) RaiseAdo(kErrFeatureNotAvailable, kSourceRecordset);
  if (position < 1 || position > Size()) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
  FlushEdit();
  pos_ = position - 1;
  on_deleted_ = false;
  RowChanged();
}

Variant Recordset::GetRows(int64_t rows, const Variant& start, const Variant& fields) {
  RequireOpen();
  if (!start.IsMissing()) {
    int where = vb::CLng(start);
    if (where == adBookmarkFirst) MoveFirst();
    else if (where == adBookmarkLast) MoveLast();
  }
  FlushEdit();
  if (AtEof() || AtBof()) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  std::vector<size_t> columns;
  if (fields.IsMissing()) {
    for (size_t i = 0; i < FieldCount(); ++i) columns.push_back(i);
  } else if (fields.IsArray()) {
    for (const Variant& f : fields.As<vb::Array>().Items()) columns.push_back(FieldIndex(f));
  } else {
    columns.push_back(FieldIndex(fields));
  }
  std::vector<std::vector<Variant>> read;
  while (!AtEof() && (rows < 0 || static_cast<int64_t>(read.size()) < rows)) {
    std::vector<Variant> row;
    for (size_t c : columns) row.push_back(Value(c));
    read.push_back(std::move(row));
    MoveNext();
  }
  vb::Array out(vb::vbVariant, {{0, static_cast<int32_t>(columns.size()) - 1},
                                {0, static_cast<int32_t>(read.size()) - 1}});
  for (size_t r = 0; r < read.size(); ++r)
    for (size_t c = 0; c < columns.size(); ++c)
      out.Set({static_cast<int32_t>(c), static_cast<int32_t>(r)}, read[r][c]);
  return Variant(std::move(out));
}

String Recordset::GetString(int format, int64_t rows, StringView column_delimiter, StringView row_delimiter,
                            StringView null_expression) {
  RequireOpen();
  if (format != 2) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
  FlushEdit();
  if (AtEof() || AtBof()) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  String out;
  for (int64_t n = 0; !AtEof() && (rows < 0 || n < rows); ++n) {
    for (size_t c = 0; c < FieldCount(); ++c) {
      if (c) out += column_delimiter;
      Variant v = Value(c);
      out += v.IsNull() ? String(null_expression) : vb::CStr(v);
    }
    out += row_delimiter;
    MoveNext();
  }
  return out;
}

}  // namespace ado
