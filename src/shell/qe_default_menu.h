#pragma once
// The menu that a new main database starts with: 13 groups of pages.
#include <vector>

#include "platform/vb/variant.h"

namespace qe {

struct DefaultMenuItem {
  vb::String name;
  vb::String url;  // relative to the site's page folders; some carry a query
};

struct DefaultMenuGroup {
  vb::String name;
  std::vector<DefaultMenuItem> items;
};

// The groups in menu order (group i is group number i + 1), each with its
// items in order.
const std::vector<DefaultMenuGroup>& DefaultMenu();

}  // namespace qe
