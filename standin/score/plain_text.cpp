// A text as it reads, for the tables and reports that show names and expression texts.
#include <algorithm>

#include "standin/score/score_file.h"

namespace standin {

std::string PlainText(const std::string& tagged) {
    // The text between tags is appended a run at a time, not a character at a time.
    std::string plain;
    const char* end = tagged.data() + tagged.size();
    const char* run = tagged.data();  // where the text not appended yet starts
    const char* at = run;
    while (at != end) {
        if (*at != '^') {
            ++at;
            continue;
        }
        if (at != run) plain.append(run, static_cast<std::size_t>(at - run));
        if (at + 1 != end && at[1] == '^') {  // a doubled caret is one: the second starts the next run
            run = at + 1;
            at += 2;
            continue;
        }
        const char* close = std::find(at, end, ')');
        if (close == end) {  // an open tag is kept as it stands
            run = at;
            break;
        }
        run = at = close + 1;
    }
    if (end != run) plain.append(run, static_cast<std::size_t>(end - run));
    return plain;
}

}  // namespace standin
