#include "ui/category_dialog.h"

#include <memory>
#include <utility>

#include "contract/mirel_contract.h"
#include "host/host_api.h"
#include "records/category_def.h"
#include "support/bytes.h"
#include "text/fc_string.h"

namespace {

// Creates a control, hands it to the window's control list, which owns it, and returns it.
template <typename Control>
Control* MakeControl(FCUserWindow& window, int16_t controlID, int32_t commandKind = kCommandOrdinary) {
    auto control = std::make_unique<Control>(controlID);
    control->SetCommandKind(commandKind);
    return window.AddControl(std::move(control));
}

}  // namespace

FCCategoryDialog::FCCategoryDialog(FCCategoryDefs* categories, FCUI* ui, PluginSettings& settings)
    : FCResourceWindow(kCategoryDialogResourceID), categories_(categories), ui_(ui), settings_(settings) {
    okButton_ = MakeControl<FCCtrlButton>(*this, kCategoryOkButtonID, kCommandOk);
    cancelButton_ = MakeControl<FCCtrlButton>(*this, kCategoryCancelButtonID, kCommandCancel);
    categoryLabel_ = MakeControl<FCCtrlStatic>(*this, kCategoryLabelID);
    categoryPopup_ = MakeControl<FCCtrlPopup>(*this, kCategoryPopupID);
    prefixLabel_ = MakeControl<FCCtrlStatic>(*this, kPrefixLabelID);
    prefixEdit_ = MakeControl<FCCtrlEdit>(*this, kPrefixEditID);
    suffixLabel_ = MakeControl<FCCtrlStatic>(*this, kSuffixLabelID);
    suffixEdit_ = MakeControl<FCCtrlEdit>(*this, kSuffixEditID);
}

const char* FCCategoryDialog::ClassName() const {
    return "FCCategoryDialog";
}

void FCCategoryDialog::OnInit() {
    FCResourceWindow::OnInit();
    SendDlgItemMessageW(GetWindowHandle(), kCategoryPopupID, CB_RESETCONTENT, 0, 0);
    const int32_t count = categories_ != nullptr ? categories_->Count() : 0;
    FCString name;
    for (int32_t i = 0; i < count; ++i) {
        const FCCategoryDef* category = categories_->GetCategoryAt(i);
        if (category == nullptr) continue;
        category->GetName(name);
        // A later category of the same name wins.
        if (name.Equals(&settings_.categoryName)) selectedIndex_ = i;
        // The popup takes 8-bit names: the low byte of each unit.
        SendDlgItemMessageA(GetWindowHandle(), kCategoryPopupID, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name.ToNarrow()));
    }
    host::FX_SetDlgItemVal(GetWindowHandle(), kCategoryPopupID, 0, selectedIndex_ + 1);
    prefixEdit_->SetText(&settings_.prefixText);
    suffixEdit_->SetText(&settings_.suffixText);
}

void FCCategoryDialog::OnOk() {
    // A second OK after the dialog has ended would read the items of a window that is gone.
    if (IsClosed()) return;
    const int32_t entry = host::FX_GetDlgItemVal(GetWindowHandle(), kCategoryPopupID, 0);
    const FCCategoryDef* category =
        entry > 0 && categories_ != nullptr ? categories_->GetCategoryAt(entry - 1) : nullptr;
    if (category == nullptr) {
        // No category selected (a document without categories): nothing to store; end as if cancelled.
        OnCancel();
        return;
    }
    FCString prefix;
    FCString suffix;
    FCString name;
    category->GetName(name);
    prefixEdit_->GetText(&prefix);
    suffixEdit_->GetText(&suffix);
    chosenCategoryID_ = category->GetCategoryID();
    settings_.categoryName.Assign(&name);
    settings_.prefixText.Assign(&prefix);
    settings_.suffixText.Assign(&suffix);
    Close();
}

int16_t ShowCategoryDialog(FCUI& ui, PluginSettings& settings) {
    FCCategoryDefs categories;
    categories.LoadAll();
    auto dialog = std::make_unique<FCCategoryDialog>(&categories, &ui, settings);

    uint8_t windowInfo[MIREL_WINDOW_INFO_SIZE] = {};
    HWND parent = nullptr;
    if (host::FX_GetCurrentWindowInfo(windowInfo) != 0) {
        parent = MirelWindowFromValue(
            bytes::ReadU32(windowInfo, sizeof windowInfo, MIREL_WINDOW_INFO_HANDLE_OFFSET));
    }

    dialog->RunModal(parent);
    const int16_t chosen = dialog->GetChosenCategoryID();
    dialog.reset();
    return chosen;
}
