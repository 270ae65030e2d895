#ifndef MIREL_UI_CATEGORY_DIALOG_H
#define MIREL_UI_CATEGORY_DIALOG_H

#include <cstdint>

#include "ui/controls.h"
#include "ui/plugin_settings.h"
#include "ui/user_window.h"

class FCCategoryDefs;
class FCUI;

// The dialog resource the category dialog is built from.
constexpr int16_t kCategoryDialogResourceID = 20128;

// Item ids of dialog 20128.
constexpr int16_t kCategoryOkButtonID = 1;
constexpr int16_t kCategoryCancelButtonID = 2;
constexpr int16_t kPrefixLabelID = 101;
constexpr int16_t kPrefixEditID = 102;
constexpr int16_t kSuffixLabelID = 103;
constexpr int16_t kSuffixEditID = 104;
constexpr int16_t kCategoryLabelID = 105;
constexpr int16_t kCategoryPopupID = 106;

// The dialog in which the user picks the expression category and the texts around the instrument name. It
// shows the settings it is handed and, on OK, stores the choices back into them.
class FCCategoryDialog : public FCResourceWindow {
  public:
    // `categories` fills the popup, `ui` is the invocation's and `settings` are shown and stored; the dialog
    // owns none of them.
    FCCategoryDialog(FCCategoryDefs* categories, FCUI* ui, PluginSettings& settings);

    const char* ClassName() const override;

    // Fills the popup with the category names, preselects the one named by the settings and shows the
    // prefix and suffix.
    void OnInit() override;
    // Stores the selected category, the prefix and the suffix; a popup without a selection ends the dialog as
    // if it had been cancelled.
    void OnOk() override;

    // The categoryID that OK stored; 0 until then.
    int16_t GetChosenCategoryID() const { return chosenCategoryID_; }
    // The 0-based popup entry selected when the dialog opens.
    int32_t GetSelectedIndex() const { return selectedIndex_; }
    FCUI* GetUI() const { return ui_; }

    FCCtrlButton* OkButton() const { return okButton_; }
    FCCtrlButton* CancelButton() const { return cancelButton_; }
    FCCtrlPopup* CategoryPopup() const { return categoryPopup_; }
    FCCtrlEdit* PrefixEdit() const { return prefixEdit_; }
    FCCtrlEdit* SuffixEdit() const { return suffixEdit_; }

  private:
    // The controls are owned by the window's control list.
    FCCtrlButton* okButton_ = nullptr;
    FCCtrlButton* cancelButton_ = nullptr;
    FCCtrlStatic* categoryLabel_ = nullptr;
    FCCtrlPopup* categoryPopup_ = nullptr;
    FCCtrlStatic* prefixLabel_ = nullptr;
    FCCtrlEdit* prefixEdit_ = nullptr;
    FCCtrlStatic* suffixLabel_ = nullptr;
    FCCtrlEdit* suffixEdit_ = nullptr;
    FCCategoryDefs* categories_;  // not owned
    int16_t chosenCategoryID_ = 0;
    int32_t selectedIndex_ = 0;
    FCUI* ui_;                  // not owned; kept for the dialog's owner, not used
    PluginSettings& settings_;  // not owned
};

// Runs the category dialog over every expression category of the document. Returns the chosen category's
// categoryID after OK (`settings` then hold the choices), 0 after Cancel or close.
int16_t ShowCategoryDialog(FCUI& ui, PluginSettings& settings);

#endif
