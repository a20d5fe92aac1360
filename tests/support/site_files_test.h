#pragma once
// A test on a temporary site that looks at what is left on its disk.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "support/temp_site.h"

namespace qe_test {

class SiteFilesTest : public testing::Test {
 protected:
  // Names relative to drive C:'s folder, "/"-separated ("site/a.txt").
  bool Exists(std::string_view relative) const { return std::filesystem::exists(site_.Host(relative)); }
  std::string Content(std::string_view relative) const {
    std::ifstream in(site_.Host(relative), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempSite site_;
};

}  // namespace qe_test
