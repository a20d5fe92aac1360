#include "platform/fs/scratch_names.h"

#include "platform/sys/process_ids.h"
#include "platform/sys/process_start.h"

namespace fs {
namespace {

// The digits at the front of `text`, taken off it; nullopt when there are
// none or more than `most`.
std::optional<uint64_t> TakeNumber(std::string_view& text, size_t most) {
  size_t digits = 0;
  uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
    if (++digits > most) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

}  // namespace

std::string ScratchPrefix() {
  // Read again in a child forked from this process: it is another process.
  static thread_local int pid = 0;
  static thread_local std::string prefix;
  if (pid != sys::CurrentProcessId()) {
    pid = sys::CurrentProcessId();
    const std::optional<uint64_t> started = sys::ProcessStartTime(pid);
    prefix = kScratchMarker + std::to_string(pid) + (started ? "." + std::to_string(*started) : "") + "-";
  }
  return prefix;
}

std::optional<ScratchOwner> ScratchOwnerOf(std::string_view name) {
  if (!name.starts_with(kScratchMarker)) return std::nullopt;
  name.remove_prefix(sizeof kScratchMarker - 1);
  ScratchOwner owner;
  std::optional<uint64_t> pid = TakeNumber(name, 9);
  if (!pid || *pid == 0) return std::nullopt;
  owner.pid = static_cast<int>(*pid);
  if (name.starts_with('.')) {
    name.remove_prefix(1);
    owner.started = TakeNumber(name, 19);
    if (!owner.started) return std::nullopt;
  }
  if (!name.starts_with('-')) return std::nullopt;
  return owner;
}

bool IsRunning(const ScratchOwner& owner) {
  if (!sys::IsProcessRunning(owner.pid)) return false;
  if (!owner.started) return true;
  const std::optional<uint64_t> started = sys::ProcessStartTime(owner.pid);
  return !started || *started == *owner.started;
}

}  // namespace fs
