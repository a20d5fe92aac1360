#pragma once
// `qe register [LIBRARY]` / `qe unregister [LIBRARY]`: load the component's
// library and call its registration entry point, as regsvr32 does.
namespace host {

int RunRegister(int argc, char** argv, bool unregister);

}  // namespace host
