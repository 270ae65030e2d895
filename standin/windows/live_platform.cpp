#include "standin/windows/live_platform.h"

#include "standin/host/host.h"
#include "standin/windows/host_window.h"

namespace standin::windows {

namespace {

class LivePlatform : public RunPlatform {
  public:
    LivePlatform(const DialogAnswers& answers, bool interactive)
        : answers_(answers), interactive_(interactive) {}

    void Prepare() override {
        window_ = std::make_unique<HostWindow>();
        Host().SetMainWindow(window_->Value());
        ScriptedUser& user = ScriptedUser::Current();
        if (interactive_) {
            user.SetScript(std::nullopt);
            ShowWindow(window_->Handle(), SW_SHOWNORMAL);
        } else {
            DialogScript script;
            script.answers = answers_;
            user.SetScript(script);
            user.WatchMessageBoxes();
        }
    }

    HWND ParentWindow() override {
        return window_ != nullptr ? window_->Handle() : RunPlatform::ParentWindow();
    }

    void BeforeInvoke(int) override {
        dialogsBefore_ = ScriptedUser::Current().Dialogs().size();
        boxesBefore_ = ScriptedUser::Current().MessageBoxes().size();
    }

    void AfterInvoke(int, std::vector<DialogSighting>& dialogs,
                     std::vector<MessageSighting>& boxes) override {
        const ScriptedUser& user = ScriptedUser::Current();
        for (std::size_t i = dialogsBefore_; i < user.Dialogs().size(); ++i) {
            dialogs.push_back(SightingOf(user.Dialogs()[i]));
        }
        for (std::size_t i = boxesBefore_; i < user.MessageBoxes().size(); ++i) {
            boxes.push_back(MessageSighting{user.MessageBoxes()[i].caption, user.MessageBoxes()[i].text});
        }
    }

  private:
    DialogAnswers answers_;
    bool interactive_;
    std::unique_ptr<HostWindow> window_;
    std::size_t dialogsBefore_ = 0;
    std::size_t boxesBefore_ = 0;
};

}  // namespace

// The outcome by what the dialog received, as the application would tell it: the close box, else the last
// button command; a dialog the host took down was given up.
DialogSighting SightingOf(const LiveDialog& dialog) {
    DialogSighting sighting;
    sighting.opened = static_cast<const DialogView&>(dialog.opened);
    sighting.closing = static_cast<const DialogView&>(dialog.closing);
    sighting.notes = dialog.notes;
    if (dialog.givenUp || !dialog.endedByModule) {
        sighting.outcome = DialogOutcome::GivenUp;
    } else if (dialog.sawClose) {
        sighting.outcome = DialogOutcome::CloseBox;
    } else if (dialog.lastButton == IDOK) {
        sighting.outcome = DialogOutcome::Ok;
    } else if (dialog.lastButton == IDCANCEL) {
        sighting.outcome = DialogOutcome::Cancel;
    } else {
        sighting.outcome = DialogOutcome::Ended;
    }
    return sighting;
}

std::unique_ptr<RunPlatform> MakeLivePlatform(const DialogAnswers& answers, bool interactive) {
    return std::make_unique<LivePlatform>(answers, interactive);
}

}  // namespace standin::windows
