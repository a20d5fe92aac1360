#include "host/page_context.h"

namespace host {

struct PageContext::Impl {};

PageContext::PageContext(const PageOptions&) : impl_(std::make_unique<Impl>()) {}
PageContext::~PageContext() = default;

vb::Variant* PageContext::Intrinsic(vb::StringView) { return nullptr; }

std::string PageContext::ResponseText() const { return {}; }

}  // namespace host
