# The installer (NSIS) of the Windows module, from one script (packaging/installer.nsi.in):
#   32-bit: mirel-instrument-change-<version>-win32-setup.exe, the product's installer, built with the release
#           package (cmake/ReleasePackage.cmake, `--target package`);
#   64-bit: mirel-instrument-change-<version>-win64-test-setup.exe, a test build of the same script (NSIS target
#           amd64-unicode) around the 64-bit test module, built with the module, so that the installer is tested
#           under 64-bit Wine on machines that cannot start 32-bit programs.
# Defines MIREL_RELEASE_VERSION, MIREL_RELEASE_DIR, MIREL_RELEASE_NAME, MIREL_INSTALLER, MIREL_MAKENSIS.

set(MIREL_RELEASE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(MIREL_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MIREL_RELEASE_NAME mirel-instrument-change-${MIREL_RELEASE_VERSION}-win32)
  set(MIREL_NSIS_TARGET x86-unicode)
else()
  set(MIREL_RELEASE_NAME mirel-instrument-change-${MIREL_RELEASE_VERSION}-win64-test)
  set(MIREL_NSIS_TARGET amd64-unicode)
endif()
set(MIREL_INSTALLER ${CMAKE_BINARY_DIR}/${MIREL_RELEASE_NAME}-setup.exe)

find_program(MIREL_MAKENSIS makensis)
if(NOT MIREL_MAKENSIS)
  message(WARNING "makensis not found: the installer cannot be built (Debian package nsis)")
endif()
# The installer script, configured with the version, the NSIS target and the module to pack.
configure_file(${CMAKE_SOURCE_DIR}/packaging/installer.nsi.in ${MIREL_RELEASE_DIR}/installer.nsi @ONLY)

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4 AND MIREL_MAKENSIS)
  add_custom_command(OUTPUT ${MIREL_INSTALLER}
                     COMMAND ${MIREL_MAKENSIS} -V2 -WX ${MIREL_RELEASE_DIR}/installer.nsi
                     DEPENDS mirelinstrumentchange ${MIREL_RELEASE_DIR}/installer.nsi
                     COMMENT "Building the installer's test build ${MIREL_RELEASE_NAME}-setup.exe" VERBATIM)
  add_custom_target(test_installer ALL DEPENDS ${MIREL_INSTALLER})
endif()
