#ifndef MIREL_UI_CONTROLS_H
#define MIREL_UI_CONTROLS_H

#include <cstdint>

#include "framework/fc_base.h"
#include "platform/win32_subset.h"

class FCString;
class FCUserWindow;

// What a command from a control does in the dialog procedure.
constexpr int32_t kCommandOrdinary = 0;  // handed to the window's OnCommand
constexpr int32_t kCommandOk = 1;        // OnOk
constexpr int32_t kCommandClose = 2;     // OnClose
constexpr int32_t kCommandCancel = 3;    // OnCancel

// One item of a dialog, addressed by its item id inside the window that owns it. The control keeps no state
// of the item itself: every read and write goes to the host's dialog functions or to the window system.
class FCControl : public __FCBase {
  public:
    explicit FCControl(int16_t controlID);

    const char* ClassName() const override;

    // ---- Virtual operations, in slot order ----
    // The kind of control as the dialog procedure distinguishes them; 0 for every class here.
    virtual int32_t GetControlKind() const;
    // Invalidates the item's whole area, without erasing.
    virtual void Redraw();
    virtual void Enable(bool enable);
    virtual bool IsEnabled();
    virtual void Show(bool show);
    // Replaces the item's text; a null text empties it.
    virtual void SetText(const FCString* text);
    // Replaces `text` with the item's text.
    virtual void GetText(FCString* text);
    // Grows (or shrinks) the item's outer size by (dx, dy), leaving its position and z-order alone.
    virtual void Resize(int32_t dx, int32_t dy);

    int16_t GetControlID() const { return controlID_; }
    FCUserWindow* GetWindow() const { return window_; }
    void SetWindow(FCUserWindow* window) { window_ = window; }
    int32_t GetCommandKind() const { return commandKind_; }
    void SetCommandKind(int32_t kind) { commandKind_ = kind; }
    // The handle of the owning window, 0 without a window (or before the dialog runs).
    HWND GetWindowHandle() const;

  private:
    int16_t controlID_;
    FCUserWindow* window_ = nullptr;  // not owned
    int32_t commandKind_ = kCommandOrdinary;
};

class FCCtrlStatic : public FCControl {
  public:
    using FCControl::FCControl;
    const char* ClassName() const override;
};

class FCCtrlEdit : public FCControl {
  public:
    using FCControl::FCControl;
    const char* ClassName() const override;
};

// A drop-down list; its selection is value kind 0 of the host's item functions.
class FCCtrlPopup : public FCControl {
  public:
    using FCControl::FCControl;
    const char* ClassName() const override;
};

class FCCtrlCheckbox : public FCControl {
  public:
    using FCControl::FCControl;
    const char* ClassName() const override;

    // The check state (value kind 1).
    virtual void SetCheck(int32_t value);
    virtual int32_t GetCheck();
};

class FCCtrlButton : public FCCtrlCheckbox {
  public:
    using FCCtrlCheckbox::FCCtrlCheckbox;
    const char* ClassName() const override;
};

#endif
