// The stand-in's host and window model are one per process and outlive a test: each test starts from a fresh
// pair and leaves one behind, so that no test sees another's document, call log or windows.
#ifndef MIREL_TESTS_STANDIN_FIXTURE_H
#define MIREL_TESTS_STANDIN_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"

namespace testsupport {

// The host version a test runs as unless it says otherwise.
constexpr uint32_t kHostVersion = 0x12050000;

// The font tags before a staff or style name in the tests' documents.
inline const std::string kNameTags = "^fontTxt(Times New Roman,4096)^size(12)^nfx(0)";

// The message box of a run that changed nothing: its caption and its two sentences, one line each, as the
// module words them (a line feed between them).
inline const std::string kNoChangesCaption = "No Changes";
inline const std::string kNoChangesLines[2] = {
    "No changes were made to the document.",
    "To visually update instrument changes, please select a region that covers instrument changes made with "
    "Finale's Change Instrument utility."};
inline const std::string kNoChangesText = kNoChangesLines[0] + "\n" + kNoChangesLines[1];

inline void ResetStandin() {
    standin::Host().Reset();
    standin::Ui().Reset();
}

// What a scripted user does in the dialog: pick a category by name, type the texts, and end it; whatever is
// left out stays as the dialog shows it.
inline standin::DialogAnswers Answers(standin::DialogEnding ending, std::optional<std::string> category = {},
                                      std::optional<std::string> prefix = {},
                                      std::optional<std::string> suffix = {}) {
    return {std::move(category), std::nullopt, std::move(prefix), std::move(suffix), ending};
}

class StandinTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetStandin(); }
    void TearDown() override { ResetStandin(); }
};

}  // namespace testsupport

#endif
