// Registration: `qe register` calls the library's entry point, which writes
// the component's classes into the registry file; CreateObject then finds
// them there and loads the library; `qe unregister` removes them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "support/stopped_child.h"

namespace {

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("qe_registry_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    file_ = dir_ / "registry";
    com::SetRegistryFile(file_);
    com::UnregisterClass(u"QE.QeCls");  // only the registry file may answer
  }
  void TearDown() override {
    com::SetRegistryFile({});
    std::filesystem::remove_all(dir_);
  }
  int Qe(const std::string& args) {
    std::string command = "QE_REGISTRY='" + file_.string() + "' '" QE_PROGRAM_PATH "' " + args + " > /dev/null";
    return std::system(command.c_str());
  }
  std::string RegistryText() {
    std::ifstream in(file_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_, file_;
};

TEST_F(Registration, RegisterWritesTheClassesAndUnregisterRemovesThem) {
  EXPECT_THROW(com::CreateObject(u"QE.QeCls"), vb::Error);

  ASSERT_EQ(Qe("register '" QE_LIBRARY_PATH "'"), 0);
  std::string text = RegistryText();
  EXPECT_NE(text.find("QE.QeCls\t{"), std::string::npos);
  EXPECT_NE(text.find(std::filesystem::path(QE_LIBRARY_PATH).filename().string()), std::string::npos);

  auto facade = com::CreateObject(u"qe.qecls");
  ASSERT_TRUE(facade);
  EXPECT_EQ(com::Call(vb::Variant(facade), u"CommGetVersion"), vb::Variant(u"04.01.01"));

  // Registering twice keeps one record per class.
  ASSERT_EQ(Qe("register '" QE_LIBRARY_PATH "'"), 0);
  text = RegistryText();
  EXPECT_EQ(text.find("QE.QeCls\t"), text.rfind("QE.QeCls\t"));

  ASSERT_EQ(Qe("unregister '" QE_LIBRARY_PATH "'"), 0);
  EXPECT_EQ(RegistryText().find("QE.QeCls"), std::string::npos);
  try {
    com::CreateObject(u"QE.QeCls");
    FAIL() << "created after unregister";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), vb::kCannotCreateObject);
  }
}

TEST_F(Registration, ALibraryWithoutTheEntryPointFails) {
  EXPECT_NE(Qe("register /nonexistent/libqe.so"), 0);
  EXPECT_FALSE(std::filesystem::exists(file_));
}

// A registration killed before its rename leaves its temporary file; the
// next one takes it away, and an earlier version's temporary too once its
// process is gone.
TEST_F(Registration, WhatAKilledRegistrationLeftGoesWithTheNext) {
  const pid_t killed = qe_test::KilledAtStep("registry-written", [&] {
    ::setenv("QE_REGISTRY", file_.c_str(), 1);
    ::execl(QE_PROGRAM_PATH, QE_PROGRAM_PATH, "register", QE_LIBRARY_PATH, static_cast<char*>(nullptr));
  });
  ASSERT_NE(killed, 0);
  std::ofstream(dir_ / ("registry.tmp" + std::to_string(killed))) << "QE.QeCls\t{0}\n";
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);
  ASSERT_EQ(Qe("register '" QE_LIBRARY_PATH "'"), 0);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"registry"});
}

TEST_F(Registration, OtherRecordsSurviveUnregistering) {
  com::WriteRegistry({{u"Other.Thing", u"{00000000-0000-0000-0000-000000000001}", "/x/other.so"}}, {});
  ASSERT_EQ(Qe("register '" QE_LIBRARY_PATH "'"), 0);
  ASSERT_EQ(Qe("unregister '" QE_LIBRARY_PATH "'"), 0);
  auto records = com::ReadRegistry();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].prog_id, u"Other.Thing");
}

}  // namespace
