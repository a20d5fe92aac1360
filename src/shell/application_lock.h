#pragma once
// The Application lock held for a scope.
#include "platform/com/object.h"
#include "platform/vb/error.h"

namespace qe {

// Holds the Application lock; gives it back however the holder leaves.
class ApplicationLock {
 public:
  explicit ApplicationLock(vb::Variant& application) : application_(application) {
    com::Call(application_, u"Lock");
  }
  ~ApplicationLock() {
    try {
      com::Call(application_, u"Unlock");
    } catch (const vb::Error&) {
    }
  }
  ApplicationLock(const ApplicationLock&) = delete;
  ApplicationLock& operator=(const ApplicationLock&) = delete;

 private:
  vb::Variant& application_;
};

}  // namespace qe
