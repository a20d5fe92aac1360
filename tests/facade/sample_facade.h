#pragma once
#include "platform/com/members.h"

namespace qe_test {

class SampleFacade : public com::Object {
 public:
  vb::String TypeName() const override { return u"SampleFacade"; }
  vb::Variant Invoke(vb::StringView name, com::CallType type, com::ArgList& args) override;
  static const std::vector<com::MemberInfo>& MemberList();

#include "sample_facade_members.inc"

  int calls = 0;
};

}  // namespace qe_test
