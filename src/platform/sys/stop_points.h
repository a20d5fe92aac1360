#pragma once
// For tests that kill a run at a chosen step: when the environment variable
// QE_STOP_AT names `step` ("step", or "step#n" for its n-th time), the
// process stops itself there (SIGSTOP), to be killed by whoever waits for it.
namespace sys {

void StopPoint(const char* step);

}  // namespace sys
