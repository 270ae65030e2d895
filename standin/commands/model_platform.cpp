// The headless window model as the platform of `run` on POSIX: what the dialogs and message boxes of the
// window model showed, told as the run tells them.
#include <istream>
#include <ostream>

#include "standin/commands/run_command.h"
#include "standin/dialog/ui_model.h"
#include "standin/score/document_builder.h"

namespace standin {

namespace {

DialogView ViewOf(const UiWindow& window) {
    DialogView view;
    view.caption = Utf16ToUtf8(window.caption);
    if (const UiItem* list = window.FindItem(kDialogCategoryID)) {
        for (const std::u16string& entry : list->entries) view.entries.push_back(Utf16ToUtf8(entry));
        if (list->selection >= 0 && static_cast<std::size_t>(list->selection) < list->entries.size()) {
            view.selectedEntry = list->selection + 1;
        }
    }
    if (const UiItem* prefix = window.FindItem(kDialogPrefixID)) view.prefix = Utf16ToUtf8(prefix->text);
    if (const UiItem* suffix = window.FindItem(kDialogSuffixID)) view.suffix = Utf16ToUtf8(suffix->text);
    return view;
}

// How a run of the dialog ended: the close box, else the last button command the dialog received.
DialogOutcome OutcomeOf(const DialogRun& run) {
    if (!run.ended) return DialogOutcome::GivenUp;
    DialogOutcome outcome = DialogOutcome::Ended;
    for (const DialogMessage& m : run.messages) {
        if (m.message == WM_CLOSE) return DialogOutcome::CloseBox;
        if (m.message == WM_COMMAND && (m.wParam >> 16) == BN_CLICKED) {
            if ((m.wParam & 0xFFFF) == static_cast<uintptr_t>(kDialogOkID)) outcome = DialogOutcome::Ok;
            if ((m.wParam & 0xFFFF) == static_cast<uintptr_t>(kDialogCancelID))
                outcome = DialogOutcome::Cancel;
        }
    }
    return outcome;
}

class ModelPlatform : public RunPlatform {
  public:
    ModelPlatform(const DialogAnswers& answers, bool interactive, std::istream& in, std::ostream& out)
        : answers_(answers), interactive_(interactive), in_(in), out_(out) {}

    void Prepare() override {
        Ui().Reset();
        if (interactive_) Ui().SetUser(std::make_shared<TerminalDialogUser>(in_, out_));
    }

    void BeforeInvoke(int) override {
        if (!interactive_) Ui().SetUser(std::make_shared<ScriptedDialogUser>(answers_));
        runsBefore_ = Ui().dialogRuns.size();
        boxesBefore_ = Ui().messageBoxes.size();
    }

    void AfterInvoke(int, std::vector<DialogSighting>& dialogs,
                     std::vector<MessageSighting>& boxes) override {
        for (std::size_t i = runsBefore_; i < Ui().dialogRuns.size(); ++i) {
            const DialogRun& run = Ui().dialogRuns[i];
            DialogSighting sighting;
            sighting.opened = ViewOf(run.shown);
            sighting.closing = ViewOf(run.final);
            sighting.outcome = OutcomeOf(run);
            sighting.notes = run.notes;
            dialogs.push_back(sighting);
        }
        for (std::size_t i = boxesBefore_; i < Ui().messageBoxes.size(); ++i) {
            const MessageBoxRecord& box = Ui().messageBoxes[i];
            boxes.push_back(MessageSighting{Utf16ToUtf8(box.caption), Utf16ToUtf8(box.text)});
        }
        // What has been told is not kept a second time in the window model: over many invocations, the
        // dialogs' windows would pile up there.
        if (Ui().currentRun == nullptr) {
            Ui().dialogRuns.erase(Ui().dialogRuns.begin() + static_cast<std::ptrdiff_t>(runsBefore_),
                                  Ui().dialogRuns.end());
            Ui().messageBoxes.erase(Ui().messageBoxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore_),
                                    Ui().messageBoxes.end());
        }
    }

  private:
    DialogAnswers answers_;
    bool interactive_;
    std::istream& in_;
    std::ostream& out_;
    std::size_t runsBefore_ = 0;
    std::size_t boxesBefore_ = 0;
};

}  // namespace

std::unique_ptr<RunPlatform> MakeModelPlatform(const DialogAnswers& answers, bool interactive,
                                               std::istream& in, std::ostream& out) {
    return std::make_unique<ModelPlatform>(answers, interactive, in, out);
}

}  // namespace standin
