#pragma once
// "ADODB.Recordset": rows of a query or table, a current row, paging, and
// edits written back through the provider; or, without a connection, rows
// built field by field in memory.
#include <memory>

#include "platform/ado/connection.h"
#include "platform/ado/provider.h"
#include "platform/com/object.h"

namespace ado {

enum LockType { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3,
                adLockBatchOptimistic = 4 };
enum EditMode { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
enum CommandType { adCmdUnspecified = -1, adCmdText = 1, adCmdTable = 2, adCmdStoredProc = 4, adCmdUnknown = 8,
                   adCmdTableDirect = 512, adExecuteNoRecords = 0x80 };
enum Position { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
enum BookmarkStart { adBookmarkCurrent = 0, adBookmarkFirst = 1, adBookmarkLast = 2 };

class Recordset : public com::Dispatch<Recordset> {
 public:
  static const com::MemberTable<Recordset>& Members();
  String TypeName() const override { return u"Recordset"; }

  // A recordset over what a connection's Execute returned.
  static std::shared_ptr<Recordset> FromResult(const std::shared_ptr<Connection>& connection, QueryResult result);

  // The members (ADO's names).
  void Open(const Variant& source, const Variant& connection, int cursor, int lock, int options);
  void Close();
  int State() const { return source_ ? 1 : 0; }
  bool Eof();
  bool Bof();
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  void Move(int64_t count, int start);
  int64_t RecordCount();
  int32_t PageSize() const { return page_size_; }
  void SetPageSize(int32_t size);
  int64_t PageCount();
  int64_t AbsolutePage();
  void SetAbsolutePage(int64_t page);
  int64_t AbsolutePosition();
  void SetAbsolutePosition(int64_t position);
  void AddNew(const Variant& fields, const Variant& values);
  void Update(const Variant& fields, const Variant& values);
  void CancelUpdate();
  void Delete();
  Variant GetRows(int64_t rows, const Variant& start, const Variant& fields);
  String GetString(int format, int64_t rows, StringView column_delimiter, StringView row_delimiter,
                   StringView null_expression);
  void Requery();
  int EditModeValue() const;

  // What the Fields and Field objects reach.
  size_t FieldCount() const;
  const FieldInfo& FieldAt(size_t i) const;
  size_t FieldIndex(const Variant& index) const;  // by name or number; 3265 when none
  Variant Value(size_t i);
  Variant OriginalValue(size_t i);
  void SetValue(size_t i, const Variant& value);
  void AppendChunk(size_t i, const Variant& data);
  Variant GetChunk(size_t i, int64_t length);
  // Fields.Append: only before a recordset without a connection opens.
  void AppendField(StringView name, int type, int32_t size, int attributes, const Variant& value);
  Variant FieldsObject();
  Variant FieldObject(const Variant& index);

  // The connection closes its recordsets when it closes.
  void CloseFromConnection();
  // Memory that the cursor keeps for keys (measurement).
  size_t KeyBytes() const { return source_ ? source_->KeyBytes() : 0; }

 private:
  friend struct RecordsetMembers;

  void RequireOpen() const;
  void RequireClosed() const;
  void RequireUpdatable() const;
  bool Scrollable() const { return source_->Scrollable(); }
  int64_t Size() const { return source_->Size(); }
  bool AtEof() const;
  bool AtBof() const;
  const RowData& CurrentRow();
  void FlushEdit();
  void BeginEdit();
  void AssignFieldList(const Variant& fields, const Variant& values);
  void Fetch();  // forward-only: the next row into current_
  void Attach(QueryResult result, std::shared_ptr<Connection> connection, int lock);
  void RowChanged();

  // What Open was given (for Requery).
  Variant source_text_;
  std::shared_ptr<Connection> connection_;
  int options_ = adCmdUnknown;

  std::unique_ptr<RowSource> source_;
  std::unique_ptr<RowWriter> writer_;
  CursorType cursor_type_ = CursorType::kForwardOnly;
  int lock_type_ = adLockReadOnly;
  int cursor_location_ = adUseServer;
  int32_t page_size_ = 10;
  int32_t max_records_ = 0;
  int32_t cache_size_ = 1;
  bool fabricated_ = false;
  std::vector<FieldInfo> appended_fields_;
  std::vector<Variant> appended_values_;

  // Position: scrollable cursors keep an index (-1 before the first row,
  // Size() after the last); forward-only ones the row they are on.
  int64_t pos_ = -1;
  bool on_deleted_ = false;
  RowData current_;
  int64_t fetched_ = 0;
  bool stream_done_ = false;

  // The edit buffer.
  int edit_mode_ = adEditNone;
  std::vector<Variant> edit_values_;
  std::vector<bool> edit_changed_;
  std::vector<bool> chunk_started_;
  int64_t pos_before_add_ = -1;
  // Where GetChunk goes on, per field, for the current row.
  std::vector<int64_t> chunk_offsets_;
};

}  // namespace ado
