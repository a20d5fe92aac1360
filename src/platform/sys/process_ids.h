#pragma once
// Process numbers, for names of files that tell which process made them.
namespace sys {

// This process's number.
int CurrentProcessId();

// True when a process of that number runs (this one included); false for 0
// and below.
bool IsProcessRunning(int pid);

}  // namespace sys
