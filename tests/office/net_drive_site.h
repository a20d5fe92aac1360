#pragma once
// A temporary site with the drives of two users, li and bob, and requests of
// either into it; snapshots of every file outside a drive, to show what an
// operation left alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "office/office_site.h"
#include "platform/asp/context.h"
#include "platform/fs/paths.h"
#include "support/printable.h"
#include "support/temp_site.h"

namespace netdrive_test {

using office_test::Page;
using office_test::User;
using qe_test::Printable;
using vb::String;
using vb::Variant;

inline User Li(String quota = u"100") { return User(u"7|li_login|li|Office|b|20240101|x", u"1|1|1|1|" + quota); }
inline User Bob() { return User(u"8|bob_login|bob|Office|b|20240101|x", u"1|1|1|1|100"); }

class NetDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.MakeFolder("site/Data_UploadFiles/NetDriver/li");
    site_.WriteFile("site/Data_UploadFiles/NetDriver/bob/secret.txt", "bob's");
    site_.WriteFile("site/data/qe.asp", "database");
  }

  // A request of `user` (nobody when null) to the address with the form.
  std::unique_ptr<Page> NewPage(const User* user, String url = u"/qe/netdrivers.asp", asp::NameValueList form = {}) {
    asp::RequestSpec wanted;
    wanted.url = std::move(url);
    wanted.form = std::move(form);
    wanted.sessions = sessions_;
    if (user) wanted.session = office_test::SessionOf(*user);
    return std::make_unique<Page>(std::move(wanted));
  }
  // The next request in the session of `before`.
  std::unique_ptr<Page> NextPage(const Page& before, String url = u"/qe/netdrivers.asp",
                                 asp::NameValueList form = {}) {
    asp::RequestSpec wanted;
    wanted.url = std::move(url);
    wanted.form = std::move(form);
    wanted.sessions = sessions_;
    wanted.session_token = const_cast<Page&>(before).context.SessionObject().State().Token();
    return std::make_unique<Page>(std::move(wanted));
  }

  // Host paths inside li's drive.
  std::filesystem::path Path(const std::string& relative = {}) const {
    return site_.Host("site/Data_UploadFiles/NetDriver/li") / relative;
  }
  void Write(const std::string& relative, const std::string& content = "x") const {
    std::filesystem::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << content;
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(Path(relative)); }

  // Every entry of the whole drive C: outside li's drive, with its content.
  std::map<std::string, std::string> Outside() const {
    std::map<std::string, std::string> entries;
    std::filesystem::path drive = Path();
    for (auto it = std::filesystem::recursive_directory_iterator(site_.Drive());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
      if (it->path() == drive) {
        it.disable_recursion_pending();
        continue;
      }
      entries[it->path().string()] = it->is_regular_file() ? Read(it->path()) : "<folder>";
    }
    return entries;
  }
  // The names in li's drive, "a/b" each, "/" after folders, sorted.
  std::string Tree() const {
    std::map<std::string, int> names;
    for (auto it = std::filesystem::recursive_directory_iterator(Path());
         it != std::filesystem::recursive_directory_iterator(); ++it)
      names[std::filesystem::relative(it->path(), Path()).string() + (it->is_directory() ? "/" : "")];
    std::string out;
    for (auto& [name, ignored] : names) out += name + " ";
    return out;
  }

  qe_test::TempSite site_;
  std::shared_ptr<asp::SessionStore> sessions_ = std::make_shared<asp::MemorySessionStore>();
};

}  // namespace netdrive_test
