#include "platform/ado/jet_ddl.h"

#include "platform/ado/errors.h"
#include "platform/vb/convert.h"

namespace ado::jet {
namespace {

using catalog::ColumnDef;
using catalog::IndexColumn;
using catalog::IndexDef;
using catalog::TableDef;

// Walks the solid tokens of a statement.
class Reader {
 public:
  Reader(Database& db, const std::vector<Token>& tokens) : db_(db) {
    for (const auto& t : tokens)
      if (t.kind != Token::kSpace) tokens_.push_back(&t);
  }
  bool AtEnd() const { return pos_ >= tokens_.size(); }
  const Token* Peek(size_t ahead = 0) const {
    return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : nullptr;
  }
  bool PeekWord(StringView word, size_t ahead = 0) const {
    const Token* t = Peek(ahead);
    return t && t->kind == Token::kWord && vb::EqualsNoCase(t->text, word);
  }
  bool PeekPunct(StringView p) const {
    const Token* t = Peek();
    return t && t->kind == Token::kPunct && t->text == p;
  }
  bool TakeWord(StringView word) {
    if (!PeekWord(word)) return false;
    ++pos_;
    return true;
  }
  bool TakePunct(StringView p) {
    if (!PeekPunct(p)) return false;
    ++pos_;
    return true;
  }
  void ExpectWord(StringView word) {
    if (!TakeWord(word)) Fail();
  }
  void ExpectPunct(StringView p) {
    if (!TakePunct(p)) Fail();
  }
  String Name() {
    const Token* t = Peek();
    if (!t || (t->kind != Token::kWord && t->kind != Token::kIdentifier)) Fail();
    ++pos_;
    return UnquoteName(t->text);
  }
  int Number() {
    const Token* t = Peek();
    if (!t || t->kind != Token::kNumber) Fail();
    ++pos_;
    return vb::CLng(Variant(t->text));
  }
  // The tokens up to the next "," or ")" at this depth, as text.
  String ExpressionText() {
    String out;
    int depth = 0;
    while (const Token* t = Peek()) {
      if (t->kind == Token::kPunct && depth == 0 && (t->text == u"," || t->text == u")")) break;
      if (t->kind == Token::kPunct && t->text == u"(") ++depth;
      if (t->kind == Token::kPunct && t->text == u")") --depth;
      if (!out.empty()) out += u' ';
      out += t->text;
      ++pos_;
    }
    return out;
  }
  [[noreturn]] void Fail() {
    RaiseProvider(kDbErrorsInCommand, u"Syntax error in CREATE TABLE statement.", db_.Source());
  }
  void ExpectEnd() {
    if (!AtEnd()) Fail();
  }

 private:
  Database& db_;
  std::vector<const Token*> tokens_;
  size_t pos_ = 0;
};

std::vector<IndexColumn> IndexColumns(Reader& r) {
  std::vector<IndexColumn> out;
  r.ExpectPunct(u"(");
  do {
    IndexColumn c{r.Name(), 1};
    if (r.TakeWord(u"Desc")) c.sort_order = 2;
    else r.TakeWord(u"Asc");
    out.push_back(std::move(c));
  } while (r.TakePunct(u","));
  r.ExpectPunct(u")");
  return out;
}

// "[CONSTRAINT name] PRIMARY KEY (cols)" or "UNIQUE (cols)" of a table.
IndexDef TableConstraint(Reader& r, const String& name) {
  IndexDef ix;
  ix.name = name;
  if (r.TakeWord(u"Primary")) {
    r.ExpectWord(u"Key");
    ix.primary_key = ix.unique = true;
    if (ix.name.empty()) ix.name = u"PrimaryKey";
  } else if (r.TakeWord(u"Unique")) {
    ix.unique = true;
  } else {
    r.Fail();
  }
  ix.columns = IndexColumns(r);
  if (ix.name.empty()) ix.name = u"Index_" + ix.columns.front().name;
  return ix;
}

// "name type[(n[,m])] [NOT NULL] [DEFAULT x] [PRIMARY KEY|UNIQUE] [WITH COMPRESSION]"
ColumnDef ColumnDefinition(Reader& r, const String& table, std::vector<IndexDef>& indexes) {
  String name = r.Name();
  String type = r.Name();
  // A type name that is also a Jet function ("Int(4)") came through translation renamed.
  if (type.rfind(u"qe_", 0) == 0) type.erase(0, 3);
  std::vector<int> args;
  if (r.TakePunct(u"(")) {
    do args.push_back(r.Number());
    while (r.TakePunct(u","));
    r.ExpectPunct(u")");
  }
  String declared = type;
  if (!args.empty()) declared += u"(" + vb::FromUtf8(std::to_string(args[0])) + u")";
  ColumnDef c = catalog::ColumnFromDeclaration(name, declared);
  if (c.type == 0) r.Fail();
  if (c.type == 131) {
    c.precision = args.size() > 0 ? args[0] : 18;
    c.scale = args.size() > 1 ? args[1] : 0;
  }
  while (!r.AtEnd() && !r.PeekPunct(u",") && !r.PeekPunct(u")")) {
    if (r.TakeWord(u"Not")) {
      r.ExpectWord(u"Null");
      c.nullable = false;
    } else if (r.TakeWord(u"Null")) {
      c.nullable = true;
    } else if (r.TakeWord(u"Default")) {
      c.default_value = Variant(r.ExpressionText());
    } else if (r.TakeWord(u"With")) {
      if (!r.TakeWord(u"Compression")) r.ExpectWord(u"Comp");
      c.compressed = true;
    } else if (r.TakeWord(u"Constraint")) {
      indexes.push_back(TableConstraint(r, r.Name()));
      indexes.back().columns = {{name, 1}};
    } else if (r.PeekWord(u"Primary") || r.PeekWord(u"Unique")) {
      bool primary = r.PeekWord(u"Primary");
      r.TakeWord(u"Primary") ? r.ExpectWord(u"Key") : (void)r.TakeWord(u"Unique");
      IndexDef ix;
      ix.primary_key = primary;
      ix.unique = true;
      ix.name = primary ? u"PrimaryKey" : u"Index_" + name;
      ix.columns = {{name, 1}};
      indexes.push_back(std::move(ix));
    } else {
      r.Fail();
    }
  }
  (void)table;
  return c;
}

bool CreateTable(Database& db, Reader& r) {
  TableDef t;
  t.name = r.Name();
  r.ExpectPunct(u"(");
  do {
    if (r.PeekWord(u"Constraint")) {
      r.TakeWord(u"Constraint");
      String name = r.Name();
      t.indexes.push_back(TableConstraint(r, name));
    } else if (r.PeekWord(u"Primary") && r.PeekWord(u"Key", 1)) {
      t.indexes.push_back(TableConstraint(r, String()));
    } else {
      t.columns.push_back(ColumnDefinition(r, t.name, t.indexes));
    }
  } while (r.TakePunct(u","));
  r.ExpectPunct(u")");
  r.ExpectEnd();
  catalog::CreateTable(db, t);
  return true;
}

bool AlterTable(Database& db, Reader& r) {
  String table = r.Name();
  if (r.TakeWord(u"Add")) {
    if (r.TakeWord(u"Constraint")) {
      String name = r.Name();
      IndexDef ix = TableConstraint(r, name);
      r.ExpectEnd();
      catalog::AddIndex(db, table, ix);
      return true;
    }
    r.TakeWord(u"Column");
    std::vector<IndexDef> indexes;
    ColumnDef c = ColumnDefinition(r, table, indexes);
    r.ExpectEnd();
    catalog::AddColumn(db, table, c);
    for (const auto& ix : indexes) catalog::AddIndex(db, table, ix);
    return true;
  }
  if (r.TakeWord(u"Drop")) {
    if (r.TakeWord(u"Constraint")) {
      String name = r.Name();
      r.ExpectEnd();
      catalog::DropIndex(db, table, name);
      return true;
    }
    r.TakeWord(u"Column");
    String column = r.Name();
    r.ExpectEnd();
    catalog::DropColumn(db, table, column);
    return true;
  }
  if (r.TakeWord(u"Alter")) {
    r.TakeWord(u"Column");
    std::vector<IndexDef> indexes;
    ColumnDef c = ColumnDefinition(r, table, indexes);
    r.ExpectEnd();
    catalog::ChangeColumn(db, table, c.name, c);
    return true;
  }
  r.Fail();
}

bool CreateIndex(Database& db, Reader& r, bool unique) {
  IndexDef ix;
  ix.unique = unique;
  ix.name = r.Name();
  r.ExpectWord(u"On");
  String table = r.Name();
  ix.columns = IndexColumns(r);
  if (r.TakeWord(u"With")) {
    do {
      if (r.TakeWord(u"Primary")) ix.primary_key = ix.unique = true;
      else if (r.TakeWord(u"Disallow")) r.ExpectWord(u"Null"), ix.index_nulls = 1;
      else if (r.TakeWord(u"Ignore")) r.ExpectWord(u"Null"), ix.index_nulls = 2;
      else r.Fail();
    } while (!r.AtEnd());
  }
  r.ExpectEnd();
  catalog::AddIndex(db, table, ix);
  return true;
}

}  // namespace

bool ExecuteDdl(Database& db, const std::vector<Token>& translated) {
  Reader r(db, translated);
  if (r.TakeWord(u"Create")) {
    if (r.TakeWord(u"Table")) return CreateTable(db, r);
    if (r.PeekWord(u"Unique") && r.PeekWord(u"Index", 1)) {
      r.TakeWord(u"Unique");
      r.TakeWord(u"Index");
      return CreateIndex(db, r, true);
    }
    if (r.TakeWord(u"Index")) return CreateIndex(db, r, false);
    return false;
  }
  if (r.TakeWord(u"Alter")) {
    if (!r.TakeWord(u"Table")) return false;
    return AlterTable(db, r);
  }
  if (r.TakeWord(u"Drop")) {
    if (r.TakeWord(u"Table")) {
      String table = r.Name();
      r.ExpectEnd();
      catalog::DropTable(db, table);
      return true;
    }
    if (r.TakeWord(u"Index")) {
      String index = r.Name();
      if (!r.TakeWord(u"On")) return false;  // SQLite's own form
      String table = r.Name();
      r.ExpectEnd();
      catalog::DropIndex(db, table, index);
      return true;
    }
  }
  return false;
}

}  // namespace ado::jet
