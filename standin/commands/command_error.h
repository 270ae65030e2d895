// How the commands fail. A step that cannot go on throws CommandError: what is wrong and the exit status the
// command ends with. Each command catches it at its edge (CommandEdge), where it is told on the error stream;
// no step of a command answers an error in another way.
#ifndef MIREL_STANDIN_COMMAND_ERROR_H
#define MIREL_STANDIN_COMMAND_ERROR_H

#include <cstdint>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "standin/commands/exit_status.h"
#include "standin/host/module_loader.h"
#include "standin/score/score_file.h"

namespace standin {

class CommandError : public std::runtime_error {
  public:
    explicit CommandError(const std::string& what, int status = kExitBadInput)
        : std::runtime_error(what), status_(status) {}

    int Status() const { return status_; }

  private:
    int status_;
};

// Runs `body`, which answers the command's exit status. A CommandError it throws is told as
// "mirel-standin COMMAND: WHAT" and its status answered; `badInputNote`, when given, is told after bad input.
template <typename Body>
int CommandEdge(const char* command, std::ostream& err, const char* badInputNote, Body body) {
    try {
        return body();
    } catch (const CommandError& e) {
        err << "mirel-standin " << command << ": " << e.what() << "\n";
        if (badInputNote != nullptr && e.Status() == kExitBadInput) err << badInputNote << "\n";
        return e.Status();
    }
}

// `step`, whose refusal is told after the name of the option it checks ("--select: ...").
template <typename Step>
auto ForOption(const char* option, Step step) -> decltype(step()) {
    try {
        return step();
    } catch (const CommandError& e) {
        throw CommandError(std::string(option) + ": " + e.what(), e.Status());
    }
}

// The score file a command reads; a fault in it is bad input.
inline Score ReadCommandScore(const std::string& path) {
    try {
        return ReadScoreFile(path);
    } catch (const ScoreFileError& e) {
        throw CommandError(e.what());
    }
}

// The host version of a --host-version option ("0x12050000"); a malformed one is bad input.
inline uint32_t HostVersionOption(const std::string& text) {
    uint32_t version = 0;
    if (!ParseHostVersion(text, version)) {
        throw CommandError("--host-version: malformed host version \"" + text +
                           "\": expected \"0x\" and one to eight hexadecimal digits, as in 0x12050000");
    }
    return version;
}

// The module at `path`, loaded; one that does not load fails the command.
inline std::unique_ptr<LoadedModule> LoadCommandModule(const std::string& path) {
    std::string error;
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(path, error);
    if (!module) throw CommandError(error, kExitFailure);
    return module;
}

}  // namespace standin

#endif
