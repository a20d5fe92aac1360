#pragma once
// The load test's hostile scenarios: half-sent bodies that stop, and a flood
// of outsiders at the session limit; plus the measured size of a session.

#include <sys/types.h>

#include <string>

namespace load_test {

// The resident memory of a process in KiB, from /proc.
long ResidentKiB(pid_t pid);

// `connections` each send 250 KB of a 300 KB body to the start page and
// stop; meanwhile the start page is asked for as usual. Prints the server's
// memory at its highest and the slowest answer; true when the server stayed
// under 300 MB and answered within 1 s.
bool HalfBodies(int connections);

// A logged-in visitor, then `requests` requests from outsiders (new sessions
// that store a value, come back, or keep nothing) at --max-sessions 1000;
// true when the visitor's session is still there.
bool SessionFlood(long requests);

// The memory each session takes in the store, with one small value and with
// the values of a logged-in user.
void SessionSize();

// The floods of load_floods.cpp (all, or the one named): true when each
// held its budget and the start page kept answering another client.
bool Floods(const std::string& only);
// The server's memory for one form at the limits (2 MiB, 10,000 fields).
void FormAtTheLimit();

}  // namespace load_test
