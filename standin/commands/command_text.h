// Pieces of text that the commands' outputs share, so that `run` and `show` spell a text and a selection the
// same way.
#ifndef MIREL_STANDIN_COMMAND_TEXT_H
#define MIREL_STANDIN_COMMAND_TEXT_H

#include <string>

#include "standin/score/score_file.h"

namespace standin {

// The text in double quotes.
std::string Quote(const std::string& text);
// A selection as "slots 1-8, m. 1-120", with its positions when it does not cover whole measures.
std::string RegionText(const ScoreSelection& s);

}  // namespace standin

#endif
