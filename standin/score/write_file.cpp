// Writing an output file so that it holds either its old content or all of the new, never a part.
#include <filesystem>
#include <fstream>
#include <random>

#include "standin/score/score_file.h"

namespace standin {

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error) {
    return WriteFileAtomically(
        path,
        [&](std::ostream& out) { out.write(content.data(), static_cast<std::streamsize>(content.size())); },
        error);
}

bool WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write,
                         std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target = fs::u8path(path);
    std::random_device random;
    fs::path temporary = target;
    temporary += ".tmp-" + std::to_string(random() & 0xFFFFFFu);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create a temporary file beside " + path;
            return false;
        }
        write(out);
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            error = "cannot write " + path;
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace standin
