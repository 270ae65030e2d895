#include "ui/fc_ui.h"

#include "text/fc_string.h"

const char* FCUI::ClassName() const {
    return "FCUI";
}

void FCUI::ShowMessage(const FCString* text, const FCString* caption) {
    if (text == nullptr) return;
    FCString shownCaption;
    if (caption != nullptr) shownCaption.Assign(caption);
    if (shownCaption.Length() == 0) shownCaption.AssignNarrow("Information");
    // The UTF-16 form whatever the host's version: the message box is the system's, not the host's.
    const char16_t* shownText = text->WideBuffer() != nullptr ? text->WideBuffer() : u"";
    MirelMessageBox(parentWindow_, shownText, shownCaption.WideBuffer(), MB_ICONINFORMATION);
}

void ShowNoChangesMessage(FCUI& ui) {
    FCString text(
        "No changes were made to the document.\n"
        "To visually update instrument changes, please select a region that covers instrument changes made "
        "with "
        "Finale's Change Instrument utility.");
    FCString caption("No Changes");
    ui.ShowMessage(&text, &caption);
}
