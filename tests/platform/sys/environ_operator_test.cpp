// Environment values: only what the operator set for the system, by name in
// any letter case.
#include "platform/sys/environ.h"

#include <gtest/gtest.h>

#include "support/scoped_variable.h"

namespace {

using qe_test::ScopedVariable;

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
