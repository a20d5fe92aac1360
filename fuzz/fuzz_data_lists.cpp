// The data procedures' lists and the maintenance form's posted values through
// the Access branches: no input backs up, restores or clears anything outside
// the site, and none deletes the site root, its data folder or the main
// database.
//
// Input: one mode byte (backup, restore, clear, or the form posted with the
// type 1, 2 or 3), then the list or the posted backup name as UTF-16 units.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "maintenance/kesra_data.h"
#include "platform/com/registry.h"
#include "platform/asp/context.h"
#include "platform/fs/paths.h"
#include "temp_folder.h"
#include "utf16_input.h"

namespace {

namespace stdfs = std::filesystem;

void Check(bool condition, const char* what, const vb::String& input) {
  if (condition) return;
  fprintf(stderr, "%s: %s\n", what, vb::ToUtf8(input).c_str());
  abort();
}

std::set<std::string> Entries(const stdfs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : stdfs::recursive_directory_iterator(folder)) names.insert(e.path().string());
  return names;
}

// Drive C: holding the site (its main database, a saved backup, scratch
// folders) and a folder beside the site that nothing may touch.
struct Drive {
  TempFolder temp{"qe-fuzz-data-"};
  stdfs::path folder = temp.Path();
  Drive() {
    stdfs::create_directories(folder / "site" / "data");
    stdfs::create_directories(folder / "outside" / "data");
    std::ofstream(folder / "outside" / "keep.txt") << "keep";
    std::ofstream(folder / "outside" / "data" / "qe.asp") << "not the site's";
    fs::MapDrive(u'C', folder);
    {
      vb::Variant catalog(com::CreateObject(u"ADOX.Catalog"));
      vb::Variant conn = com::Call(catalog, u"Create",
                                   vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\qe.asp"));
      com::Call(conn, u"Execute", vb::String(u"Create Table [Note] ([ID] Long)"));
    }
    stdfs::create_directories(folder / "saved");
    stdfs::copy_file(folder / "site" / "data" / "qe.asp", folder / "saved" / "qe.asp");
  }
  void Reset() {
    for (const char* scratch : {"data_backup", "AutoBackup", "Temp", "temp"}) stdfs::remove_all(folder / "site" / scratch);
    stdfs::create_directories(folder / "site" / "data_backup" / "good");
    stdfs::copy_file(folder / "saved" / "qe.asp", folder / "site" / "data_backup" / "good" / "qe.asp");
    stdfs::create_directories(folder / "site" / "AutoBackup" / "old");
    stdfs::create_directories(folder / "site" / "Temp");
  }
};

Drive& drive() {
  static Drive d;
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Drive& d = drive();
  d.Reset();
  const std::set<std::string> outside = Entries(d.folder / "outside");
  vb::String text = Utf16Units(data + 1, size - 1);
  int mode = data[0] % 6;

  asp::RequestSpec wanted;
  wanted.url = u"/datemanager/data_manager.asp";
  if (mode >= 3) {
    wanted.method = u"POST";
    wanted.headers = {{u"Host", u"school.cn"}, {u"Referer", u"http://school.cn/x.asp"}};
    wanted.form = {{u"save", u"save"}, {u"DataBackupPath", text}};
  }
  asp::Context context(std::move(wanted));
  vb::Variant request = context.Request(), response = context.Response(), server = context.Server();
  vb::Variant application = context.Application();
  try {
    switch (mode) {
      case 0: qe::KesraDataBackup(response, request, server, u"Access", text); break;
      case 1: qe::KesraDataRestore(response, request, server, u"Access", text); break;
      case 2: qe::KesraDataClear(response, request, server, text); break;
      default:
        qe::KesraShowFormData(response, request, server, application, static_cast<int16_t>(mode - 2), u"Access", u"");
    }
  } catch (const vb::Error&) {
    // A run-time error reaches the page; what matters is what is left on disk.
  }
  Check(stdfs::is_regular_file(d.folder / "site" / "data" / "qe.asp"), "the main database is gone", text);
  Check(Entries(d.folder / "outside") == outside, "outside the site changed", text);
  std::set<std::string> top;
  for (const auto& e : stdfs::directory_iterator(d.folder)) top.insert(e.path().filename().string());
  // The drive's own: the lock that lets one maintenance run at a time.
  top.erase(".qe-maintenance.lock");
  Check(top == std::set<std::string>{"site", "outside", "saved"}, "something was written beside the site", text);
  return 0;
}
