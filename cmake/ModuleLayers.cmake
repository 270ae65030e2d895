# The module's layers as build targets, bottom to top (docs/architecture.md draws them):
#
#   support → host → framework → text → records → ui → engine → plugin     (contract: the binary contract header
#                                                                           and the Win32 subset it names)
#
# Each layer is an object library that links only the layers below it and sees only their headers: its include
# root (in the build tree) holds links to its own folder and to the folders below, nothing else, so an upward
# include does not compile. Every layer but the header-only ones builds with the warning policy below.
#
# Defines MIREL_MODULE_OBJECTS, the objects of every layer, for the module and the static library the unit
# tests link. scripts/source-folders.sh reads the layers' folders from the calls below.

set(MIREL_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

# The warning policy, per target: everything the module and the stand-in compile is warning-free with these.
set(MIREL_WARNINGS -Wconversion -Wsign-conversion -Wshadow -Wpedantic -Wold-style-cast -Werror)

# mirel_layer(NAME FOLDERS <own folder> [<folder below> ...] [HEADER_ONLY] [LINKS <layer> ...])
function(mirel_layer name)
  cmake_parse_arguments(LAYER "HEADER_ONLY" "" "FOLDERS;LINKS" ${ARGN})
  set(root ${MIREL_LAYER_ROOTS}/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS LAYER_FOLDERS)
    if(NOT EXISTS ${root}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  set(target mirel_layer_${name})
  if(LAYER_HEADER_ONLY)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${root})
    target_link_libraries(${target} INTERFACE ${LAYER_LINKS})
    return()
  endif()
  list(GET LAYER_FOLDERS 0 own)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${own}/*.cpp)
  add_library(${target} OBJECT ${sources})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${LAYER_LINKS})
  target_compile_options(${target} PRIVATE ${MIREL_WARNINGS} ${MIREL_COVERAGE_FLAGS})
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  set(MIREL_MODULE_OBJECTS ${MIREL_MODULE_OBJECTS} $<TARGET_OBJECTS:${target}> PARENT_SCOPE)
endfunction()

set(MIREL_MODULE_OBJECTS)
mirel_layer(support HEADER_ONLY FOLDERS support)
mirel_layer(contract HEADER_ONLY FOLDERS contract platform)
mirel_layer(host FOLDERS host support contract platform LINKS mirel_layer_support mirel_layer_contract)
mirel_layer(framework FOLDERS framework host support contract platform LINKS mirel_layer_host)
mirel_layer(text FOLDERS text framework host support contract platform LINKS mirel_layer_framework)
mirel_layer(records FOLDERS records text framework host support contract platform LINKS mirel_layer_text)
mirel_layer(ui FOLDERS ui records text framework host support contract platform LINKS mirel_layer_records)
mirel_layer(engine FOLDERS engine ui records text framework host support contract platform LINKS mirel_layer_ui)
mirel_layer(plugin FOLDERS plugin engine ui records text framework host support contract platform
            LINKS mirel_layer_engine)
