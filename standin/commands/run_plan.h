// What the command line of `run` asks for, checked against the score file before anything runs: a run that
// starts has a sound score, a selection inside it, answers the dialog can take and outputs it can write.
#ifndef MIREL_STANDIN_RUN_PLAN_H
#define MIREL_STANDIN_RUN_PLAN_H

#include <cstdint>
#include <optional>
#include <string>

#include "standin/commands/run_command.h"

namespace standin {

struct RunPlan {
    Score score;
    uint32_t hostVersion = 0;
    ScoreSelection selection;
    DialogAnswers answers;
    std::optional<std::string> outPath;  // the result score
};

// The plan of `options`; throws CommandError (bad input) for the first thing that is wrong.
RunPlan PlanRun(const RunCommandOptions& options);

}  // namespace standin

#endif
