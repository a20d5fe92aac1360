#pragma once
// The platform's creatable classes ("Adodb.Connection", "Scripting.Dictionary",
// "VBScript.RegExp", ...): each area registers its own, all of them before the
// first CreateObject.
namespace platform {

void RegisterPlatformClasses();

}  // namespace platform
