#ifndef MIREL_UI_USER_WINDOW_H
#define MIREL_UI_USER_WINDOW_H

#include <cstdint>
#include <memory>
#include <utility>

#include "contract/mirel_contract.h"
#include "framework/collection.h"
#include "ui/controls.h"

// The message numbers the dialog procedure tells apart beyond those of the Windows subset header.
constexpr uint32_t kMessageHostWindowState = 0x036D;
// Selection changes of tab and tree controls, which count as commands of the control.
constexpr int32_t kNotifyTabSelChange = -551;
constexpr int32_t kNotifyTreeSelChangedW = -451;
constexpr int32_t kNotifyTreeSelChangedA = -402;

// A dialog window run by the host: the collection of its controls (which it owns) and the state of one run.
// The host calls the dialog procedure (UserWindowDialogProc) with this object as the user pointer, and the
// procedure turns each window message into one of the virtual calls below.
class FCUserWindow : public __FCCollection {
  public:
    // Ends the dialog if it is still showing, then destroys every control.
    ~FCUserWindow() override;

    const char* ClassName() const override;

    // ---- Virtual operations, in slot order ----
    // Ends the dialog (once): FX_EndDialog while the window is showing; forgets the handle and procedure.
    virtual void Close();
    // The dialog-initialisation work: the window's outer size becomes its fixed tracking size.
    virtual void OnInit();
    virtual void OnClose();
    virtual void OnOk();
    virtual void OnCancel();
    // A command from an ordinary control, or from an id no control has (`control` null). True: handled.
    virtual bool OnCommand(FCControl* control);
    virtual void OnSpin(FCControl* control, int32_t delta);
    virtual void OnTimer(uintptr_t timerID);
    virtual void OnActivate(bool active);
    virtual void OnSize(int32_t newWidth, int32_t newHeight, int32_t oldWidth, int32_t oldHeight);
    virtual bool OnNotify(uintptr_t itemID, const NMHDR* header);

    // Appends a control, which the window owns from now on, and answers it (null is left out).
    template <typename Control>
    Control* AddControl(std::unique_ptr<Control> control) {
        Control* added = control.get();
        if (added != nullptr) AdoptControl(std::move(control));
        return added;
    }
    // The first control with that item id, or null.
    FCControl* FindControl(int16_t controlID) const;

    // Brings this window's enabled state in line with the host's top-level window (modeless windows only).
    void FollowHostEnabledState();

    int16_t GetResultCode() const { return resultCode_; }
    void SetResultCode(int16_t code) { resultCode_ = code; }
    HWND GetWindowHandle() const { return windowHandle_; }
    void SetWindowHandle(HWND handle) { windowHandle_ = handle; }
    int32_t GetMaxWidth() const { return maxWidth_; }
    int32_t GetMinWidth() const { return minWidth_; }
    int32_t GetMaxHeight() const { return maxHeight_; }
    int32_t GetMinHeight() const { return minHeight_; }
    int32_t GetClientWidth() const { return clientWidth_; }
    int32_t GetClientHeight() const { return clientHeight_; }
    void SetClientSize(int32_t width, int32_t height) {
        clientWidth_ = width;
        clientHeight_ = height;
    }
    bool IsInitPending() const { return initPending_; }
    void SetInitPending(bool pending) { initPending_ = pending; }
    bool IsModal() const { return modal_; }
    void SetModal(bool modal) { modal_ = modal; }
    bool IsClosed() const { return closed_; }
    int16_t GetResourceID() const { return resourceID_; }
    FXDialogProc GetDialogProc() const { return dialogProc_; }
    void SetDialogProc(FXDialogProc proc) { dialogProc_ = proc; }

    // What a handler raised inside the dialog procedure. An exception cannot travel through the host's
    // frames, so the procedure notes it here and ends the dialog; the code that ran the dialog raises it
    // again once FX_Dialog has returned. The framework's only exception is running out of memory; anything
    // else comes back as std::runtime_error.
    enum class HandlerFailure { None, OutOfMemory, Other };
    void NoteHandlerFailure(HandlerFailure failure) { handlerFailure_ = failure; }
    HandlerFailure GetHandlerFailure() const { return handlerFailure_; }
    // Raises the noted failure, once; does nothing when there is none.
    void RethrowHandlerFailure();

  protected:
    explicit FCUserWindow(int16_t resourceID);

  private:
    // Sets the control's window and appends it to the collection.
    void AdoptControl(std::unique_ptr<FCControl> control);

    int16_t resultCode_ = 0;
    HWND windowHandle_ = nullptr;
    int32_t maxWidth_ = 0;
    int32_t minWidth_ = 0;
    int32_t maxHeight_ = 0;
    int32_t minHeight_ = 0;
    int32_t clientWidth_ = 0;
    int32_t clientHeight_ = 0;
    bool initPending_ = false;
    bool modal_ = false;
    bool closed_ = false;
    const int16_t resourceID_;
    FXDialogProc dialogProc_ = nullptr;
    HandlerFailure handlerFailure_ = HandlerFailure::None;
};

// A window whose dialog the host builds from the module's dialog resource `resourceID`.
class FCResourceWindow : public FCUserWindow {
  public:
    explicit FCResourceWindow(int16_t resourceID);

    const char* ClassName() const override;

    // Runs the dialog modally inside the host with `parent` as owner and returns when it has ended: modal
    // flag and result code 0 for the run, the active window made active again afterwards. An exception raised
    // by a handler during the run is raised again here, after the dialog has ended.
    void RunModal(HWND parent);
};

// The dialog procedure handed to FX_Dialog; `user` is the FCUserWindow the dialog belongs to.
intptr_t FX_CALL UserWindowDialogProc(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      void* user);

#endif
