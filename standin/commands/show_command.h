// The `show` command of the stand-in hosts: a score file as a readable table, nothing run.
#ifndef MIREL_STANDIN_SHOW_COMMAND_H
#define MIREL_STANDIN_SHOW_COMMAND_H

#include <iosfwd>
#include <string>

#include "standin/score/score_file.h"

namespace standin {

// `show`: the score as a readable table: staves in score order with their style assignments, multi-staff
// instruments and groups, categories, the expressions present.
std::string DescribeScore(const Score& score, const std::string& title);
int ShowCommand(const std::string& scorePath, std::ostream& out, std::ostream& err);

}  // namespace standin

#endif
