// A text as it reads, for the tables and reports that show names and expression texts.
#include "standin/score/score_file.h"

namespace standin {

std::string PlainText(const std::string& tagged) {
    std::string plain;
    for (std::size_t i = 0; i < tagged.size(); ++i) {
        if (tagged[i] != '^') {
            plain += tagged[i];
        } else if (i + 1 < tagged.size() && tagged[i + 1] == '^') {
            plain += '^';
            ++i;
        } else {
            const std::size_t close = tagged.find(')', i);
            if (close == std::string::npos) {
                plain += tagged.substr(i);
                break;
            }
            i = close;
        }
    }
    return plain;
}

}  // namespace standin
