#include <gtest/gtest.h>

#include "shell/qecls.h"

TEST(Smoke, Version) { EXPECT_EQ(qe::QeCls().CommGetVersion(), u"04.01.01"); }
