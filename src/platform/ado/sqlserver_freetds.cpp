// The SQL Server driver over FreeTDS's db-lib.
#define MSDBLIB 1
#include <sybdb.h>
#include <sybfront.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/ado/ado_types.h"
#include "platform/ado/errors.h"
#include "platform/ado/sqlserver.h"
#include "platform/vb/datetime.h"

namespace ado {
namespace {

constexpr char16_t kSource[] = u"Microsoft OLE DB Provider for SQL Server";

// db-lib reports through process-wide handlers; each call collects what they
// say for the thread that made it.
thread_local std::string* t_messages = nullptr;
std::mutex g_login_mutex;  // dbsetlogintime is process-wide

void Note(const char* text) {
  // The driver retries with other protocol versions and says the same again.
  if (!t_messages || !text || !*text || t_messages->find(text) != std::string::npos) return;
  if (!t_messages->empty()) *t_messages += " ";
  *t_messages += text;
}

int OnError(DBPROCESS*, int, int, int, char* dberrstr, char* oserrstr) {
  Note(dberrstr);
  Note(oserrstr);
  return INT_CANCEL;
}

int OnMessage(DBPROCESS*, DBINT, int, int severity, char* text, char*, char*, int) {
  if (severity > 10) Note(text);  // below that: "Changed database context" and the like
  return 0;
}

void InitOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    dbinit();
    dberrhandle(OnError);
    dbmsghandle(OnMessage);
  });
}

class Capture {
 public:
  Capture() { t_messages = &text_; }
  ~Capture() { t_messages = nullptr; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

int AdoTypeOf(int type) {
  switch (type) {
    case SYBINT1: return adUnsignedTinyInt;
    case SYBINT2: return adSmallInt;
    case SYBINT4: return adInteger;
    case SYBINT8: return adBigInt;
    case SYBREAL: return adSingle;
    case SYBFLT8: return adDouble;
    case SYBMONEY: case SYBMONEY4: return adCurrency;
    case SYBDECIMAL: case SYBNUMERIC: return adNumeric;
    case SYBBIT: case SYBBITN: return adBoolean;
    case SYBDATETIME: case SYBDATETIME4: case SYBDATETIMN: case SYBMSDATE: case SYBMSTIME:
    case SYBMSDATETIME2: case SYBMSDATETIMEOFFSET: return adDBTimeStamp;
    case SYBBINARY: case SYBVARBINARY: return adVarBinary;
    case SYBIMAGE: return adLongVarBinary;
    case SYBTEXT: case SYBNTEXT: return adLongVarWChar;
    case 36: return adGUID;  // uniqueidentifier
    default: return adVarWChar;
  }
}

class FreeTdsLink : public SqlServerLink {
 public:
  explicit FreeTdsLink(DBPROCESS* proc) : proc_(proc) {}
  ~FreeTdsLink() override { dbclose(proc_); }

  SqlServerResult Execute(const String& sql) override {
    Capture capture;
    std::string text = vb::ToUtf8(sql);
    dbfreebuf(proc_);
    if (dbcmd(proc_, text.c_str()) == FAIL || dbsqlexec(proc_) == FAIL) Fail(capture);
    SqlServerResult result;
    RETCODE rc;
    while ((rc = dbresults(proc_)) == SUCCEED) {
      int columns = dbnumcols(proc_);
      if (columns > 0 && !result.returns_rows) {
        result.returns_rows = true;
        ReadRows(result, columns);
      } else if (columns > 0) {
        while (dbnextrow(proc_) != NO_MORE_ROWS) {
        }
      } else if (DBCOUNT(proc_) >= 0) {
        result.rows_affected = DBCOUNT(proc_);
      }
    }
    if (rc == FAIL) Fail(capture);
    if (!capture.Text().empty() && !result.returns_rows && result.rows_affected < 0) Fail(capture);
    return result;
  }

 private:
  [[noreturn]] static void Fail(const Capture& capture) {
    RaiseProvider(kEFail, vb::FromUtf8(capture.Text().empty() ? "The statement failed." : capture.Text()), kSource);
  }

  void ReadRows(SqlServerResult& result, int columns) {
    std::vector<int> types;
    for (int c = 1; c <= columns; ++c) {
      int type = dbcoltype(proc_, c);
      types.push_back(type);
      SqlServerColumn column;
      column.name = vb::FromUtf8(dbcolname(proc_, c) ? dbcolname(proc_, c) : "");
      column.type = AdoTypeOf(type);
      column.defined_size = dbcollen(proc_, c);
      result.columns.push_back(std::move(column));
    }
    while (dbnextrow(proc_) != NO_MORE_ROWS) {
      std::vector<Variant> row;
      for (int c = 1; c <= columns; ++c) row.push_back(Value(c, types[static_cast<size_t>(c - 1)]));
      result.rows.push_back(std::move(row));
    }
  }

  Variant Value(int c, int type) {
    BYTE* data = dbdata(proc_, c);
    DBINT length = dbdatlen(proc_, c);
    if (!data) return Variant::Null();
    switch (AdoTypeOf(type)) {
      case adUnsignedTinyInt: return Variant(static_cast<uint8_t>(*data));
      case adSmallInt: {
        DBSMALLINT v;
        std::memcpy(&v, data, sizeof v);
        return Variant(static_cast<int16_t>(v));
      }
      case adInteger: {
        DBINT v;
        std::memcpy(&v, data, sizeof v);
        return Variant(static_cast<int32_t>(v));
      }
      case adBoolean: return Variant(*data != 0);
      case adBigInt: case adSingle: case adDouble: case adNumeric: case adCurrency: {
        DBFLT8 v = 0;
        dbconvert(proc_, type, data, length, SYBFLT8, reinterpret_cast<BYTE*>(&v), sizeof v);
        if (AdoTypeOf(type) == adCurrency) return Variant(vb::Currency{static_cast<int64_t>(std::llround(v * 10000))});
        if (AdoTypeOf(type) == adSingle) return Variant(static_cast<float>(v));
        return Variant(static_cast<double>(v));
      }
      case adDBTimeStamp: {
        DBDATETIME dt{};
        if (type == SYBDATETIME) std::memcpy(&dt, data, sizeof dt);
        else dbconvert(proc_, type, data, length, SYBDATETIME, reinterpret_cast<BYTE*>(&dt), sizeof dt);
        DBDATEREC rec{};
        dbdatecrack(proc_, &rec, &dt);
        return Variant(vb::DateFromParts({rec.year, rec.month, rec.day, rec.hour, rec.minute, rec.second}));
      }
      case adVarBinary: case adLongVarBinary:
        return Variant(vb::Array::OfBytes(std::vector<uint8_t>(data, data + length)));
      case adGUID: {
        char buf[64] = {};
        dbconvert(proc_, type, data, length, SYBCHAR, reinterpret_cast<BYTE*>(buf), sizeof buf - 1);
        return Variant(u"{" + vb::FromUtf8(buf) + u"}");
      }
      default:
        if (type == SYBCHAR || type == SYBVARCHAR || type == SYBTEXT || type == SYBNVARCHAR || type == SYBNTEXT)
          return Variant(vb::FromUtf8(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length))));
        char buf[256] = {};
        DBINT n = dbconvert(proc_, type, data, length, SYBCHAR, reinterpret_cast<BYTE*>(buf), sizeof buf - 1);
        return Variant(vb::FromUtf8(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0)));
    }
  }

  DBPROCESS* proc_;
};

class FreeTdsDriver : public SqlServerDriver {
 public:
  std::unique_ptr<SqlServerLink> Connect(const SqlServerLogin& login) override {
    InitOnce();
    Capture capture;
    LOGINREC* rec = dblogin();
    if (!rec) RaiseProvider(kEFail, u"Out of memory.", kSource);
    DBSETLUSER(rec, login.user.c_str());
    DBSETLPWD(rec, login.password.c_str());
    DBSETLAPP(rec, "Qe");
    DBSETLCHARSET(rec, "UTF-8");
    if (!login.database.empty()) DBSETLDBNAME(rec, login.database.c_str());
    std::string server = login.host;
    if (login.port > 0) server += ":" + std::to_string(login.port);
    else if (!login.instance.empty()) server += "\\" + login.instance;
    DBPROCESS* proc;
    {
      std::lock_guard lock(g_login_mutex);
      dbsetlogintime(login.login_timeout_seconds);
      proc = dbopen(rec, server.c_str());
    }
    dbloginfree(rec);
    if (!proc)
      RaiseProvider(kEFail,
                    u"[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied. (" +
                        vb::FromUtf8(server) + u": " +
                        vb::FromUtf8(capture.Text().empty() ? "no answer" : capture.Text()) + u")",
                    kSource);
    return std::make_unique<FreeTdsLink>(proc);
  }
};

}  // namespace

std::shared_ptr<SqlServerDriver> MakeFreeTdsDriver() { return std::make_shared<FreeTdsDriver>(); }

}  // namespace ado
