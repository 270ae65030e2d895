// The score-file reader on any bytes, run under AddressSanitizer: it gives a score or the error that makes
// the run command stop with status 2 (ScoreFileError), and nothing else: no other exception, no crash, no
// hang, no memory without bound (deep nesting, huge numbers, long strings, invalid UTF-8). A score it accepts
// is built into a document and read back, and reads back as the same score file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "standin/host/host.h"
#include "standin/score/score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    standin::Score score;
    try {
        score = standin::ReadScoreText(content, "fuzz.json");
    } catch (const standin::ScoreFileError&) {
        return 0;  // refused with a message: the run command exits with status 2
    }
    // Any other exception escapes here and stops the fuzzer, as it would stop the program.

    standin::Host().Reset();
    standin::BuildDocument(score, score.hostVersion);
    const standin::Score back = standin::ReadDocument(score.hostVersion, score);
    if (standin::ScoreToJson(back) != standin::ScoreToJson(score)) std::abort();
    return 0;
}
