#pragma once
// The names of scratch files and folders. Every temporary name any writer of
// ours gives begins with the marker, then the number and the start time of
// the process that gives it: scratch whose process is gone is left over from
// one that was killed, and may go. The start time tells a live owner from an
// unrelated process that got the same number after the numbers wrapped.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fs {

inline constexpr char kScratchMarker[] = ".qe-tmp-";

// The marker, this process's number, ".", its start time and "-"
// (".qe-tmp-4242.987654-"); without ".START" when it cannot be read.
std::string ScratchPrefix();

// A scratch name no other call picks: the prefix, `what` and 16 random
// hexadecimal digits (".qe-tmp-4242.987654-zip-0123456789abcdef").
std::string ScratchName(std::string_view what);

// Where to make scratch that takes its name in the host folder `folder` by
// a rename or a link: the root of the mapped drive that holds `folder`,
// which every mount clears of dead scratch, when it lies on the same file
// system and may be written; else `folder` itself, where only a mount that
// looks there finds what a kill leaves.
std::filesystem::path ScratchFolderFor(const std::filesystem::path& folder);

// Who made a scratch name.
struct ScratchOwner {
  int pid = 0;
  std::optional<uint64_t> started;  // absent in names made before they carried it
};

// The owner named by a scratch name; nullopt when the name is no scratch name.
std::optional<ScratchOwner> ScratchOwnerOf(std::string_view name);

// True while the owner of the scratch file or folder `made` may still be at
// work: a process of its number runs and, when the name gives its start
// time, that process started then. A name without one is judged as
// MayBeAtWork judges it. A process whose start time cannot be read counts
// as the owner.
bool IsRunning(const ScratchOwner& owner, const std::filesystem::path& made);

// For names that carry a process number but not its start time: true while
// a process of number `pid` runs that may have made `made`, which it
// cannot have when it started after `made` last changed.
bool MayBeAtWork(int pid, const std::filesystem::path& made);

// The scratch in the host folder `folder` whose owner is no longer at work:
// what killed runs left there.
std::vector<std::filesystem::path> AbandonedScratchIn(const std::filesystem::path& folder);

}  // namespace fs
