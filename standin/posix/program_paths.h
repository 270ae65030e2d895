#ifndef MIREL_STANDIN_PROGRAM_PATHS_H
#define MIREL_STANDIN_PROGRAM_PATHS_H

#include <string>

namespace standin {

// The module built beside the program: the program's own folder + "mirelinstrumentchange.fxt".
std::string DefaultModulePath(const char* argv0);

// The plug-ins folder beside the program, where the application keeps its plug-ins: "Plug-ins".
std::string DefaultPluginsFolder(const char* argv0);

}  // namespace standin

#endif
