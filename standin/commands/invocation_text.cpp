// What `run` tells of an invocation: the dialog as it opened and how it ended, the message boxes, the entry
// point's answer and the changes.
#include <sstream>

#include "standin/commands/command_text.h"
#include "standin/commands/run_command.h"

namespace standin {

namespace {

std::string EntryText(const DialogView& view, int entry) {
    if (entry < 1 || static_cast<std::size_t>(entry) > view.entries.size()) return "none";
    return std::to_string(entry) + " " + Quote(view.entries[static_cast<std::size_t>(entry) - 1]);
}

// How the dialog ended, and with which choices when it was confirmed.
std::string DescribeEnding(const DialogSighting& dialog) {
    const DialogView& c = dialog.closing;
    const std::string chosen = "category " + EntryText(c, c.selectedEntry) + ", prefix " + Quote(c.prefix) +
                               ", suffix " + Quote(c.suffix);
    switch (dialog.outcome) {
        case DialogOutcome::Ok:
            return "Ended with OK: " + chosen + ".";
        case DialogOutcome::Cancel:
            return "Ended with Cancel.";
        case DialogOutcome::CloseBox:
            return "Closed with the close box.";
        case DialogOutcome::Ended:
            return "Ended by the module without a button: " + chosen + ".";
        case DialogOutcome::GivenUp:
            break;
    }
    return "The dialog was left open and the host gave it up.";
}

void WriteDialog(std::ostream& out, const DialogSighting& dialog) {
    const DialogView& v = dialog.opened;
    out << "Dialog " << Quote(v.caption) << " as it opened:\n";
    out << "  Category:\n" << EntryLines(v.entries, v.selectedEntry, "    ");
    out << "  Prefix: " << Quote(v.prefix) << "\n";
    out << "  Suffix: " << Quote(v.suffix) << "\n";
    for (const std::string& note : dialog.notes) out << "The user could not act as told: " << note << ".\n";
    out << DescribeEnding(dialog) << "\n";
}

}  // namespace

std::string FormatInvocation(const Invocation& invocation, int repeat) {
    std::ostringstream out;
    out << "--- Run " << invocation.run << " of " << repeat << " ---\n";
    if (invocation.dialogs.empty()) out << "No dialog was shown.\n";
    for (const DialogSighting& dialog : invocation.dialogs) WriteDialog(out, dialog);
    if (invocation.messageBoxes.empty()) out << "No message box.\n";
    for (const MessageSighting& box : invocation.messageBoxes) {
        out << "Message box " << Quote(box.caption) << ":\n";
        std::istringstream lines(box.text);
        for (std::string line; std::getline(lines, line);) out << "  " << line << "\n";
    }
    out << "FinaleExtensionInvoke answered " << invocation.result
        << (invocation.result != 0 ? ": the document was changed.\n" : ": no change reported.\n");
    // The summary, a line for each change, is appended to the text as it is, not passed through the stream.
    std::string text = out.str();
    text += FormatChangeSummary(invocation.changes);
    return text;
}

std::string DescribeAnswers(const RunResult& result) {
    for (auto it = result.invocations.rbegin(); it != result.invocations.rend(); ++it) {
        if (!it->dialogs.empty()) return "dialog: " + DescribeEnding(it->dialogs.back());
    }
    return "no dialog was shown";
}

}  // namespace standin
