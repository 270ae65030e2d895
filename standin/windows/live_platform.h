#ifndef MIREL_STANDIN_WINDOWS_LIVE_PLATFORM_H
#define MIREL_STANDIN_WINDOWS_LIVE_PLATFORM_H

#include <memory>

#include "standin/commands/run_command.h"
#include "standin/dialog/dialog_user.h"
#include "standin/windows/scripted_user.h"

namespace standin::windows {

// The `run` command's platform on Windows: real windows. The host's main window is a real top-level window,
// the module's dialog is the real dialog built from its resource, and the user is the scripted user working
// its controls with `answers` (or, with `interactive`, a person at the display). Message boxes are real: the
// scripted user notes and answers them; a person answers them himself.
std::unique_ptr<RunPlatform> MakeLivePlatform(const DialogAnswers& answers, bool interactive);

// A dialog as the `run` command tells it, from what the user saw of it.
DialogSighting SightingOf(const LiveDialog& dialog);

}  // namespace standin::windows

#endif
