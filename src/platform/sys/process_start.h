#pragma once
// When a process started: a number is given to a new process once the old
// one has ended and the numbers have wrapped, so the number alone does not
// say which process it is.
#include <cstdint>
#include <optional>

namespace sys {

// The moment the process `pid` started, in clock ticks since the machine
// booted, as the kernel keeps it (it never changes while the process
// lives); nullopt when it cannot be read (no such process, or one this
// user may not look at).
std::optional<uint64_t> ProcessStartTime(int pid);

}  // namespace sys
