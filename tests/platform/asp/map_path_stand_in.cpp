// The path model is built on its own branch; until it is merged here, this
// weak stand-in lets the tests link. The real fs::MapPath replaces it.
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

__attribute__((weak)) String MapPath(StringView, StringView, StringView) {
  vb::Raise(vb::kPathNotFound, u"the path model is not linked in");
}

}  // namespace fs
