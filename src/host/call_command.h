#pragma once
// `qe call [options] MEMBER [ARG]...`: one member of QeCls through late binding.
namespace host {

int RunCall(int argc, char** argv);

}  // namespace host
