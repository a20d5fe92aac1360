// The host names a server answers: what a Host field names, and the names
// `qe serve` answers when it is not told.
#include "host/host_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(HostNames, AHostIsServedOnlyByANameItWasGiven) {
  const std::vector<std::string> names = {"localhost", "127.0.0.1", "::1", "qe.school.example"};
  struct Case {
    const char* host;
    bool served;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"localhost:8080", true},
           {"LocalHost", true},
           {"localhost.:8080", true},            // the fully qualified spelling
           {"127.0.0.1:1", true},
           {"[::1]:8080", true},
           {"[0:0::1]", true},                    // the same address, spelled longer
           {"qe.school.example", true},
           {"rebind.example:8080", false},        // a name of someone else's that leads here
           {"localhost.rebind.example", false},
           {"127.0.0.2", false},
           {"", false},
           {":8080", false},
       })
    EXPECT_EQ(host::ServesHost(c.host, names), c.served) << c.host;
}

TEST(HostNames, TheDefaultsAreLocalhostTheListenAddressAndTheMachinesOwn) {
  std::vector<std::string> names = host::DefaultHostNames("10.1.2.3");
  for (const char* name : {"localhost", "127.0.0.1", "::1", "10.1.2.3"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  names = host::DefaultHostNames("0.0.0.0");
  EXPECT_EQ(std::find(names.begin(), names.end(), "0.0.0.0"), names.end());
}

}  // namespace
