#include "maintenance/configured_structure.h"

#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {

vb::String StoredText(const vb::Variant& text) {
  if (text.IsNull()) vb::Raise(vb::kInvalidUseOfNull);
  return vb::Trim(vb::CStr(text));
}

int32_t StoredLong(const vb::Variant& text) { return vb::CLng(vb::Variant(StoredText(text))); }

int16_t StoredInteger(const vb::Variant& text) { return vb::CInt(vb::Variant(StoredText(text))); }

bool StoredBoolean(const vb::Variant& text) { return vb::CBool(vb::Variant(StoredText(text))); }

std::vector<vb::String> StoredListItems(const vb::String& list) {
  std::vector<vb::String> items = vb::SplitParts(list, u",");
  if (!items.empty()) items.pop_back();
  return items;
}

}  // namespace qe
