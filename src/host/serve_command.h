#pragma once
// `qe serve [--site DIR] [--listen HOST:PORT] [--threads N]`: the site over HTTP.
#include <cstddef>
#include <cstdint>

namespace host {

int RunServe(int argc, char** argv);

// The connections that `descriptors` open files allow, at most `wanted`:
// some descriptors stay for the pages that run (their databases and files,
// a body being read), and each connection may hold two, its socket and one
// file (a body, a file being sent, an answer's spool).
size_t ConnectionsForDescriptors(uint64_t descriptors, size_t wanted);

}  // namespace host
