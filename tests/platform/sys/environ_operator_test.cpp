// Environment values: only what the operator set for the system, by name in
// any letter case.
#include "platform/sys/environ.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace {

// Sets a host variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old, had_ = true;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (had_) ::setenv(name_, old_.c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(EnvironOperatorValues, AnswersTheOperatorsValuesByNameInAnyCase) {
  ScopedVariable computer("QE_COMPUTERNAME", "教务处服务器");
  EXPECT_EQ(sys::Environ(u"computername"), u"教务处服务器");
  EXPECT_EQ(sys::Environ(u"ComputerName"), u"教务处服务器");
  ScopedVariable mixed("QE_UserName", "qe-web");
  EXPECT_EQ(sys::Environ(u"USERNAME"), u"qe-web");
}

TEST(EnvironOperatorValues, NeverAnswersFromTheInheritedEnvironment) {
  ScopedVariable login("USERNAME", "root");
  ScopedVariable host("COMPUTERNAME", "build-box");
  ScopedVariable none("QE_USERNAME", nullptr);
  ScopedVariable none2("QE_COMPUTERNAME", nullptr);
  ScopedVariable lower("qe_username", "lower-case prefix");
  EXPECT_EQ(sys::Environ(u"username"), u"");
  EXPECT_EQ(sys::Environ(u"computername"), u"");
  EXPECT_EQ(sys::Environ(u"HOME"), u"");
  EXPECT_EQ(sys::Environ(u""), u"");
  // The prefix alone names nothing.
  ScopedVariable bare("QE_", "x");
  EXPECT_EQ(sys::Environ(u""), u"");
}

}  // namespace
