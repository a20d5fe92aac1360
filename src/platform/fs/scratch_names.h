#pragma once
// The names of scratch files and folders. Every temporary name any writer of
// ours gives begins with the marker, then the number and the start time of
// the process that gives it: scratch whose process is gone is left over from
// one that was killed, and may go. The start time tells a live owner from an
// unrelated process that got the same number after the numbers wrapped.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fs {

inline constexpr char kScratchMarker[] = ".qe-tmp-";

// The marker, this process's number, ".", its start time and "-"
// (".qe-tmp-4242.987654-"); without ".START" when it cannot be read.
std::string ScratchPrefix();

// Who made a scratch name.
struct ScratchOwner {
  int pid = 0;
  std::optional<uint64_t> started;  // absent in names made before they carried it
};

// The owner named by a scratch name; nullopt when the name is no scratch name.
std::optional<ScratchOwner> ScratchOwnerOf(std::string_view name);

// True while the owner may still be at work: a process of its number runs
// and, when the name gives its start time, that process started then. A
// process whose start time cannot be read counts as the owner.
bool IsRunning(const ScratchOwner& owner);

}  // namespace fs
