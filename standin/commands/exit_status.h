#ifndef MIREL_STANDIN_EXIT_STATUS_H
#define MIREL_STANDIN_EXIT_STATUS_H

namespace standin {

// Exit statuses of the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;   // the module does not load, an output cannot be written
constexpr int kExitBadInput = 2;  // the score file or an option is wrong; nothing is written

}  // namespace standin

#endif
