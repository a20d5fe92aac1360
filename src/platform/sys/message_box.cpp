#include "platform/sys/message_box.h"

#include <mutex>

#include "platform/sys/shell_execute.h"

namespace sys {
namespace {

struct Hook {
  std::mutex mutex;
  MsgBoxHook hook;
};

Hook& Installed() {
  static Hook hook;
  return hook;
}

}  // namespace

int32_t DefaultButtonOf(int32_t buttons) {
  static constexpr int32_t kButtons[][3] = {
      {vbOK, vbOK, vbOK},             // vbOKOnly
      {vbOK, vbCancel, vbCancel},     // vbOKCancel
      {3, 4, 5},                      // vbAbortRetryIgnore
      {vbYes, vbNo, vbCancel},        // vbYesNoCancel
      {vbYes, vbNo, vbNo},            // vbYesNo
      {4, vbCancel, vbCancel},        // vbRetryCancel
  };
  int32_t set = buttons & 7;
  if (set > 5) set = 0;
  int32_t which = (buttons >> 8) & 3;
  return kButtons[set][which > 2 ? 0 : which];
}

int32_t MsgBox(vb::StringView prompt, int32_t buttons, vb::StringView title) {
  MsgBoxHook hook;
  {
    std::lock_guard lock(Installed().mutex);
    hook = Installed().hook;
  }
  if (hook) return hook(MsgBoxQuestion{vb::String(prompt), buttons, vb::String(title)});
  LogEvent(title, prompt);
  return DefaultButtonOf(buttons);
}

MsgBoxHook SetMsgBoxHook(MsgBoxHook hook) {
  std::lock_guard lock(Installed().mutex);
  std::swap(Installed().hook, hook);
  return hook;
}

}  // namespace sys
