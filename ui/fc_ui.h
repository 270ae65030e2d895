#ifndef MIREL_UI_FC_UI_H
#define MIREL_UI_FC_UI_H

#include "framework/fc_base.h"
#include "platform/win32_subset.h"

class FCString;

// The user interface of one invocation: the host's parent window, owner of every message the module shows.
class FCUI : public __FCBase {
  public:
    explicit FCUI(HWND parentWindow) : parentWindow_(parentWindow) {}

    const char* ClassName() const override;

    // Shows `text` in a modal information box with the caption (or "Information" when the caption is null or
    // empty) and returns when the user has closed it. A null text shows nothing.
    void ShowMessage(const FCString* text, const FCString* caption);

    HWND GetParentWindow() const { return parentWindow_; }

  private:
    HWND parentWindow_;
};

// Tells the user that the run changed nothing, and why that may be.
void ShowNoChangesMessage(FCUI& ui);

#endif
