#pragma once
// The component's public classes and the registration entry points.
#include <cstdint>

#include "platform/com/live_objects.h"
#include "platform/com/registry.h"

namespace qe {

struct PublicClass {
  const char16_t* prog_id;
  const char16_t* class_id;
  com::Factory factory;
};

// Every public class of the component, QE.QeCls first.
const std::vector<PublicClass>& PublicClasses();

}  // namespace qe

// The self-registration entry points of libqe.so. Results are HRESULTs:
// 0 (S_OK), 1 (S_FALSE), negative on failure.
extern "C" {
int32_t DllRegisterServer();
int32_t DllUnregisterServer();
// Gives the factory of the class with the given class id:
// *factory receives a com::Factory* owned by the library.
int32_t DllGetClassObject(const char16_t* class_id, const char16_t* interface_id, void** factory);
int32_t DllCanUnloadNow();
}
