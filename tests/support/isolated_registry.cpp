// Each test process keeps its own registry file, so that installing and
// registering classes never touches the user's (the qe programs the tests
// start inherit it).
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class IsolatedRegistry {
 public:
  IsolatedRegistry()
      : path_(std::filesystem::temp_directory_path() / ("qe-test-registry-" + std::to_string(::getpid()))) {
    ::setenv("QE_REGISTRY", path_.c_str(), 1);
  }
  ~IsolatedRegistry() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

const IsolatedRegistry isolated_registry;

}  // namespace
