#include "platform/ado/recordset.h"

#include "platform/ado/ado_collection.h"
#include "platform/ado/ado_types.h"
#include "platform/ado/fields.h"
#include "platform/ado/jet_sql.h"
#include "platform/ado/memory_rows.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "platform/text/ansi.h"

namespace ado {
namespace {

[[noreturn]] void MultipleStepError() {
  RaiseProvider(kDbMultipleStep,
                u"Multiple-step OLE DB operation generated errors. Check each OLE DB status value, if available. "
                u"No work was done.",
                u"Microsoft Cursor Engine");
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// A command text that is only a table's name ("Config", "[Config]").
bool IsBareName(StringView text) {
  if (text.empty()) return false;
  if (text.front() == u'[') return text.back() == u']' && text.find(u']') == text.size() - 1;
  for (char16_t c : text)
    if (IsBlank(c) || c == u'(' || c == u'*' || c == u'=' || c == u'\'' || c == u';') return false;
  return true;
}

String TableQuery(StringView name) { return u"SELECT * FROM [" + jet::UnquoteName(name) + u"]"; }

std::vector<uint8_t> BytesOf(const Variant& v) {
  if (v.IsArray() && v.As<vb::Array>().IsBytes()) return v.As<vb::Array>().Bytes();
  if (v.IsNull() || v.IsEmpty()) return {};
  Variant as_bytes = CoerceToField(v, adLongVarBinary);
  return as_bytes.As<vb::Array>().Bytes();
}

// Bytes appended to a character field are text in the server's code page.
String AnsiText(const std::vector<uint8_t>& bytes) {
  return text::DecodeAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

std::shared_ptr<Recordset> Recordset::FromResult(const std::shared_ptr<Connection>& connection, QueryResult result) {
  auto rs = std::make_shared<Recordset>();
  if (!result.rows) return rs;  // a statement without rows: a closed recordset
  rs->Attach(std::move(result), connection, adLockReadOnly);
  connection->Track(rs);
  return rs;
}

void Recordset::RequireOpen() const {
  if (!source_) RaiseAdo(kErrObjectClosed, kSourceRecordset);
}

void Recordset::RequireClosed() const {
  if (source_) RaiseAdo(kErrObjectOpen, kSourceRecordset);
}

void Recordset::RequireUpdatable() const {
  RequireOpen();
  if (fabricated_) return;
  if (lock_type_ == adLockReadOnly || !writer_) RaiseAdo(kErrNotUpdatable, kSourceRecordset);
}

void Recordset::Open(const Variant& source, const Variant& connection, int cursor, int lock, int options) {
  RequireClosed();
  if (cursor >= 0) cursor_type_ = static_cast<CursorType>(cursor);
  if (lock > 0) lock_type_ = lock;
  if (options > 0) options_ = options;
  source_text_ = source;
  Variant conn = connection.IsMissing() ? (connection_ ? Variant(connection_) : Variant()) : connection;
  std::shared_ptr<Connection> active;
  if (conn.IsObject() && conn.GetObject()) {
    active = std::dynamic_pointer_cast<Connection>(conn.GetObject());
    if (!active) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
    if (!active->IsOpen()) RaiseAdo(kErrInvalidConnection, kSourceRecordset);
  } else if (conn.IsString() && !conn.As<String>().empty()) {
    active = std::make_shared<Connection>();
    active->Open(conn.As<String>(), u"", u"");
  }
  String text = source.IsMissing() || source.IsEmpty() || source.IsNull() ? String() : vb::CStr(source);
  if (!active) {
    if (text.empty() && !appended_fields_.empty()) {
      // A recordset built field by field: rows in memory, always updatable.
      fabricated_ = true;
      QueryResult rows;
      rows.rows = std::make_unique<MemoryRows>(appended_fields_, std::vector<RowData>());
      rows.cursor = CursorType::kStatic;
      Attach(std::move(rows), nullptr, lock_type_ == adLockReadOnly ? adLockBatchOptimistic : lock_type_);
      return;
    }
    RaiseAdo(kErrInvalidConnection, kSourceRecordset);
  }
  if (text.empty()) RaiseAdo(kErrInvalidConnection, kSourceRecordset);
  bool table = (options_ & (adCmdTable | adCmdTableDirect)) != 0 ||
               ((options_ == adCmdUnknown || options_ == adCmdUnspecified) && IsBareName(vb::Trim(text)));
  String sql = table ? TableQuery(vb::Trim(text)) : text;
  CursorType wanted = cursor_location_ == adUseClient || active->cursor_location() == adUseClient
                          ? CursorType::kStatic
                          : cursor_type_;
  QueryResult result =
      active->Guard([&] { return active->session().Execute(sql, wanted, lock_type_ != adLockReadOnly); });
  connection_ = active;
  if (!result.rows) return;  // the statement returned no rows: the recordset stays closed
  Attach(std::move(result), active, lock_type_);
  active->Track(std::static_pointer_cast<Recordset>(shared_from_this()));
}

void Recordset::Attach(QueryResult result, std::shared_ptr<Connection> connection, int lock) {
  source_ = std::move(result.rows);
  writer_ = lock == adLockReadOnly ? nullptr : std::move(result.writer);
  cursor_type_ = result.cursor;
  lock_type_ = lock;
  connection_ = std::move(connection);
  edit_mode_ = adEditNone;
  on_deleted_ = false;
  pos_ = 0;
  fetched_ = 0;
  stream_done_ = false;
  if (!Scrollable()) Fetch();
  RowChanged();
}

void Recordset::Requery() {
  RequireOpen();
  Variant source = source_text_;
  Variant conn = connection_ ? Variant(connection_) : Variant::Missing();
  CloseFromConnection();
  Open(source, conn, static_cast<int>(cursor_type_), lock_type_, options_);
}

void Recordset::Close() {
  RequireOpen();
  CloseFromConnection();
}

void Recordset::CloseFromConnection() {
  source_.reset();
  writer_.reset();
  edit_mode_ = adEditNone;
  current_ = RowData();
}

int Recordset::EditModeValue() const {
  RequireOpen();
  return edit_mode_;
}

size_t Recordset::FieldCount() const { return source_ ? source_->Fields().size() : appended_fields_.size(); }

const FieldInfo& Recordset::FieldAt(size_t i) const {
  return source_ ? source_->Fields().at(i) : appended_fields_.at(i);
}

size_t Recordset::FieldIndex(const Variant& index) const {
  return ResolveIndex(index, FieldCount(), [this](size_t i) -> const String& { return FieldAt(i).name; },
                      kSourceRecordset);
}

const RowData& Recordset::CurrentRow() {
  RequireOpen();
  if (on_deleted_ || AtEof() || AtBof()) RaiseAdo(kErrNoCurrentRecord, kSourceRecordset);
  const RowData& row = Scrollable() ? source_->At(pos_) : current_;
  if (row.deleted)
    RaiseProvider(kDbDeletedRow, u"Row handle referred to a deleted row or a row marked for deletion.",
                  u"Microsoft JET Database Engine");
  return row;
}

Variant Recordset::Value(size_t i) {
  RequireOpen();
  if (i >= FieldCount()) RaiseAdo(kErrItemNotFound, kSourceRecordset);
  if (edit_mode_ != adEditNone) return edit_values_[i];
  return CurrentRow().values[i];
}

Variant Recordset::OriginalValue(size_t i) {
  RequireOpen();
  if (edit_mode_ == adEditAdd) return Variant::Null();
  return CurrentRow().values.at(i);
}

void Recordset::BeginEdit() {
  if (edit_mode_ != adEditNone) return;
  edit_values_ = CurrentRow().values;
  edit_changed_.assign(FieldCount(), false);
  chunk_started_.assign(FieldCount(), false);
  edit_mode_ = adEditInProgress;
}

void Recordset::SetValue(size_t i, const Variant& value) {
  RequireUpdatable();
  const FieldInfo& field = FieldAt(i);
  if (!fabricated_ && !(field.attributes & adFldUpdatable)) MultipleStepError();
  Variant coerced;
  try {
    coerced = CoerceToField(com::ValueOf(value), field.type);
  } catch (const vb::Error&) {
    MultipleStepError();
  }
  if (HasSizeLimit(field.type) && field.defined_size > 0 && ActualSizeOf(coerced, field.type) > field.defined_size)
    MultipleStepError();
  BeginEdit();
  edit_values_[i] = std::move(coerced);
  edit_changed_[i] = true;
  chunk_started_[i] = false;
}

void Recordset::AppendChunk(size_t i, const Variant& data) {
  RequireUpdatable();
  const FieldInfo& field = FieldAt(i);
  if (!(field.attributes & adFldLong) && !IsLongType(field.type)) RaiseAdo(kErrInvalidArgument, kSourceField);
  BeginEdit();
  Variant& target = edit_values_[i];
  if (IsBinaryType(field.type)) {
    std::vector<uint8_t> bytes = chunk_started_[i] ? BytesOf(target) : std::vector<uint8_t>();
    std::vector<uint8_t> more = BytesOf(data);
    bytes.insert(bytes.end(), more.begin(), more.end());
    target = Variant(vb::Array::OfBytes(std::move(bytes)));
  } else {
    String text = chunk_started_[i] && target.IsString() ? target.As<String>() : String();
    text += data.IsArray() ? AnsiText(BytesOf(data)) : vb::CStr(data);
    target = Variant(std::move(text));
  }
  edit_changed_[i] = true;
  chunk_started_[i] = true;
}

Variant Recordset::GetChunk(size_t i, int64_t length) {
  if (length < 0) RaiseAdo(kErrInvalidArgument, kSourceField);
  Variant value = Value(i);
  if (value.IsNull()) return value;
  int64_t& offset = chunk_offsets_.at(i);
  if (value.IsArray() && value.As<vb::Array>().IsBytes()) {
    const auto& bytes = value.As<vb::Array>().Bytes();
    if (offset >= static_cast<int64_t>(bytes.size())) return Variant::Null();
    size_t n = std::min(bytes.size() - static_cast<size_t>(offset), static_cast<size_t>(length));
    std::vector<uint8_t> part(bytes.begin() + offset, bytes.begin() + offset + static_cast<int64_t>(n));
    offset += static_cast<int64_t>(n);
    return Variant(vb::Array::OfBytes(std::move(part)));
  }
  String text = vb::CStr(value);
  if (offset >= static_cast<int64_t>(text.size())) return Variant::Null();
  String part = text.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
  offset += static_cast<int64_t>(part.size());
  return Variant(part);
}

void Recordset::AppendField(StringView name, int type, int32_t size, int attributes, const Variant& value) {
  if (source_) RaiseAdo(kErrIllegalOperation, kSourceRecordset);
  if (connection_) RaiseAdo(kErrIllegalOperation, kSourceRecordset);
  for (const auto& f : appended_fields_)
    if (vb::EqualsNoCase(f.name, name)) RaiseAdo(kErrObjectInCollection, kSourceRecordset);
  if (name.empty() || !IsKnownType(type)) RaiseAdo(kErrInvalidArgument, kSourceRecordset);
  FieldInfo f;
  f.name = String(name);
  f.type = type;
  f.defined_size = size > 0 ? size : DefaultDefinedSize(type);
  f.attributes = attributes | adFldUpdatable | adFldMayBeNull | (IsLongType(type) ? adFldLong : 0) |
                 (IsFixedType(type) ? adFldFixed : 0);
  appended_fields_.push_back(std::move(f));
  appended_values_.push_back(value);
}

void Recordset::AssignFieldList(const Variant& fields, const Variant& values) {
  if (fields.IsMissing()) return;
  if (fields.IsArray()) {
    const auto& names = fields.As<vb::Array>().Items();
    if (!values.IsArray() || values.As<vb::Array>().Items().size() != names.size())
      RaiseAdo(kErrInvalidArgument, kSourceRecordset);
    const auto& vals = values.As<vb::Array>().Items();
    for (size_t k = 0; k < names.size(); ++k) SetValue(FieldIndex(names[k]), vals[k]);
  } else {
    SetValue(FieldIndex(fields), values);
  }
}

void Recordset::AddNew(const Variant& fields, const Variant& values) {
  RequireUpdatable();
  FlushEdit();
  pos_before_add_ = pos_;
  edit_values_.assign(FieldCount(), Variant::Null());
  edit_changed_.assign(FieldCount(), false);
  chunk_started_.assign(FieldCount(), false);
  edit_mode_ = adEditAdd;
  RowChanged();
  if (!fields.IsMissing()) {
    AssignFieldList(fields, values);
    Update(Variant::Missing(), Variant::Missing());
  }
}

void Recordset::Update(const Variant& fields, const Variant& values) {
  RequireOpen();
  if (!fields.IsMissing()) {
    RequireUpdatable();
    AssignFieldList(fields, values);
  }
  if (edit_mode_ == adEditNone) return;
  RowData row;
  if (edit_mode_ == adEditInProgress) {
    int64_t key = CurrentRow().key;
    if (writer_) {
      connection_->Guard([&] { writer_->Update(key, edit_values_, edit_changed_); });
      row = writer_->Reload(key);
    } else {
      row = RowData{key, false, edit_values_};
    }
    if (Scrollable()) source_->Changed(pos_, row);
    else current_ = row;
  } else {
    source_->Settle();
    if (writer_) {
      int64_t key = connection_->Guard([&] { return writer_->Insert(edit_values_, edit_changed_); });
      row = writer_->Reload(key);
    } else {
      row = RowData{0, false, edit_values_};
    }
    if (Scrollable()) {
      source_->Appended(row);
      pos_ = Size() - 1;
    } else {
      current_ = row;
      stream_done_ = false;
    }
    on_deleted_ = false;
  }
  edit_mode_ = adEditNone;
  RowChanged();
}

void Recordset::CancelUpdate() {
  RequireOpen();
  if (edit_mode_ == adEditAdd) pos_ = pos_before_add_;
  edit_mode_ = adEditNone;
  RowChanged();
}

void Recordset::Delete() {
  RequireUpdatable();
  if (edit_mode_ == adEditAdd) {
    CancelUpdate();
    return;
  }
  edit_mode_ = adEditNone;
  int64_t key = CurrentRow().key;
  source_->Settle();
  if (writer_) connection_->Guard([&] { writer_->Delete(key); });
  if (Scrollable()) source_->Removed(pos_);
  on_deleted_ = true;
  RowChanged();
}

void Recordset::FlushEdit() {
  if (edit_mode_ != adEditNone) Update(Variant::Missing(), Variant::Missing());
}

void Recordset::RowChanged() { chunk_offsets_.assign(FieldCount(), 0); }

Variant Recordset::FieldsObject() {
  return Variant(std::make_shared<Fields>(std::static_pointer_cast<Recordset>(shared_from_this())));
}

Variant Recordset::FieldObject(const Variant& index) {
  size_t i = FieldIndex(index);
  return Variant(std::make_shared<Field>(std::static_pointer_cast<Recordset>(shared_from_this()), i));
}

}  // namespace ado
