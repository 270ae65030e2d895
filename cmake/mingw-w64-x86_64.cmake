# The 64-bit Windows test build (preset win64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MIREL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
