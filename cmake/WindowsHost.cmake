# FINALE.EXE: the stand-in host for the Windows module, cross-built with the module and run under Wine.
#
# It is built from the portable stand-in sources (document store, host functions, score files, the command
# line) and the Windows parts in standin/windows/ (main program, module loader, the dialog functions over real
# Win32, the scripted user). It exports the twenty FX_ functions under their undecorated names through a
# module-definition file; CMake uses a .def in an executable's sources only with ENABLE_EXPORTS.

set(MIREL_STANDIN_DIR ${CMAKE_SOURCE_DIR}/standin)
# The portable rooms of the stand-in and the Windows platform part. The POSIX platform part (standin/posix/:
# the POSIX main program, its own program-path lookup through /proc/self/exe, the Windows API subset) is not
# globbed at all.
set(MIREL_WINDOWS_HOST_ROOMS store host score dialog report commands windows)
list(TRANSFORM MIREL_WINDOWS_HOST_ROOMS APPEND "/*.cpp" OUTPUT_VARIABLE MIREL_WINDOWS_HOST_PATTERNS)
list(TRANSFORM MIREL_WINDOWS_HOST_PATTERNS PREPEND "${MIREL_STANDIN_DIR}/")
file(GLOB MIREL_WINDOWS_HOST_SOURCES CONFIGURE_DEPENDS ${MIREL_WINDOWS_HOST_PATTERNS})

# The header-only libraries the stand-in uses, taken from the build machine: only their own folders are put on
# the include path, never the machine's whole include folder. fmt is used header-only here (FMT_HEADER_ONLY):
# Debian packages its compiled library for the build machine only.
set(MIREL_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${MIREL_HEADER_ONLY_DIR})
foreach(header IN ITEMS CLI/CLI.hpp nlohmann/json.hpp fmt/format.h)
  string(MAKE_C_IDENTIFIER "MIREL_HEADER_${header}" cache_name)
  find_path(${cache_name} ${header} PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${cache_name})
    message(FATAL_ERROR "FINALE.EXE needs ${header} (Debian packages libcli11-dev, nlohmann-json3-dev, libfmt-dev)")
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  if(NOT EXISTS ${MIREL_HEADER_ONLY_DIR}/${folder})
    file(CREATE_LINK ${${cache_name}}/${folder} ${MIREL_HEADER_ONLY_DIR}/${folder} SYMBOLIC)
  endif()
endforeach()

# The dialog template text, embedded as in the POSIX stand-in.
file(READ ${CMAKE_SOURCE_DIR}/resources/category_dialog.rc MIREL_DIALOG_RC)
configure_file(${MIREL_STANDIN_DIR}/dialog/dialog_resource.h.in ${CMAKE_BINARY_DIR}/standin/generated/dialog_resource.h
               @ONLY)

add_executable(finale_host ${MIREL_WINDOWS_HOST_SOURCES} ${MIREL_STANDIN_DIR}/windows/finale.def)
# -O1: FINALE.EXE is a test host, and the JSON library's templates at -O3 are most of the Windows trees' build.
target_compile_options(finale_host PRIVATE ${MIREL_WARNINGS} -O1)
set_target_properties(finale_host PROPERTIES OUTPUT_NAME FINALE SUFFIX ".EXE" ENABLE_EXPORTS ON
                                             RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(finale_host PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/standin/generated)
target_include_directories(finale_host SYSTEM PRIVATE ${MIREL_HEADER_ONLY_DIR})
target_compile_definitions(finale_host PRIVATE UNICODE _UNICODE FMT_HEADER_ONLY
                                               MIREL_DEFAULT_MODULE_NAME="mirelinstrumentchange.fxt")
# --kill-at: the stand-in's declarations also mark the FX_ functions for export, which would add each one a
# second time under its decorated name (FX_LoadEData@20); only the plain names of the .def remain.
target_link_options(finale_host PRIVATE -static-libgcc -static-libstdc++ -static -Wl,--kill-at)
target_link_libraries(finale_host PRIVATE user32 kernel32 gdi32 shell32 version)
add_dependencies(finale_host mirelinstrumentchange)
# In batches of sources, as the POSIX stand-in.
mirel_compile_in_batches(finale_host)

# ---- Tests under Wine ---------------------------------------------------------------------------------------
# Always registered: on a machine without Wine, Xvfb or another program a test needs, the test finds that out
# when it runs and ctest lists it as skipped, with the reason. MIREL_WINE_TESTS=OFF leaves them out.
option(MIREL_WINE_TESTS "Run FINALE.EXE and the Windows module under Wine in ctest" ON)
if(MIREL_WINE_TESTS)
  enable_testing()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/windows ${CMAKE_BINARY_DIR}/tests/windows)
endif()
