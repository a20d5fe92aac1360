#pragma once
// MsgBox on a server, where nobody sees it: a question goes to a hook that
// the host or a test installs; with none it is logged (as a message is, see
// LogEvent) and answered with its default button.
#include <cstdint>
#include <functional>

#include "platform/vb/string.h"

namespace sys {

// The run-time's numbers for the buttons, icons and default button of a box,
// added together into its style.
enum MsgBoxStyle : int32_t {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbYesNoCancel = 3,
  vbYesNo = 4,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
  vbDefaultButton1 = 0,
  vbDefaultButton2 = 256,
  vbDefaultButton3 = 512,
};

// The button that answered.
enum MsgBoxResult : int32_t { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

struct MsgBoxQuestion {
  vb::String prompt;
  int32_t buttons = vbOKOnly;
  vb::String title;
};

// Gives the answer to one question.
using MsgBoxHook = std::function<int32_t(const MsgBoxQuestion&)>;

// Asks the question: the hook's answer, or the default button's.
int32_t MsgBox(vb::StringView prompt, int32_t buttons, vb::StringView title);

// The button that a box of this style answers with when nobody is there.
int32_t DefaultButtonOf(int32_t buttons);

// Installs the hook for the whole process (an empty one removes it) and
// gives the one it replaces.
MsgBoxHook SetMsgBoxHook(MsgBoxHook hook);

}  // namespace sys
