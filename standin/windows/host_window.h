#ifndef MIREL_STANDIN_WINDOWS_HOST_WINDOW_H
#define MIREL_STANDIN_WINDOWS_HOST_WINDOW_H

#include <windows.h>

#include <cstdint>

#include "platform/win32_subset.h"

namespace standin::windows {

// The application's main window: a plain top-level window, kept hidden, that FX_GetCurrentWindow and
// FX_GetCurrentWindowInfo give to the module as the parent of its dialog and message box.
class HostWindow {
  public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return handle_; }
    // The handle as the 32-bit value the host's records carry.
    uint32_t Value() const { return MirelWindowValue(handle_); }

  private:
    HWND handle_ = nullptr;
};

}  // namespace standin::windows

#endif
