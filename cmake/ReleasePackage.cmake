# The release of the 32-bit module, made by `cmake --build --preset win32 --target package`:
#   mirel-instrument-change-<version>-win32.zip         the module, the user guide (README.html with the
#                                                       dialog's picture) and the notices for what is linked in
#   mirel-instrument-change-<version>-win32-setup.exe   the installer (NSIS), which finds Finale's Plug-ins
#                                                       folders, installs the module there and registers an
#                                                       uninstaller
# and beside each a .sha256 file in the form `sha256sum -c` reads. CPack makes the zip; a script run after it
# (cmake/ReleaseExtras.cmake) builds the installer with makensis and writes the checksums.
# The version is the project's (CMakeLists.txt), as in the module's version resource.

set(MIREL_RELEASE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(MIREL_RELEASE_NAME mirel-instrument-change-${MIREL_RELEASE_VERSION}-win32)
set(MIREL_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)

# The user guide, with the version filled in.
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.html.in ${MIREL_RELEASE_DIR}/README.html @ONLY)
# Notepad before Windows 10 shows a text file well only with CR LF line ends.
file(READ ${CMAKE_SOURCE_DIR}/packaging/THIRD-PARTY-NOTICES.txt notices)
string(REPLACE "\n" "\r\n" notices "${notices}")
file(WRITE ${MIREL_RELEASE_DIR}/THIRD-PARTY-NOTICES.txt "${notices}")

install(FILES $<TARGET_FILE:mirelinstrumentchange> ${MIREL_RELEASE_DIR}/README.html
              ${MIREL_RELEASE_DIR}/THIRD-PARTY-NOTICES.txt ${CMAKE_SOURCE_DIR}/docs/dialog.png
        DESTINATION .)

# The installer script, configured with the version and the module to pack.
find_program(MIREL_MAKENSIS makensis)
if(NOT MIREL_MAKENSIS)
  message(WARNING "makensis not found: the package target cannot build the installer (Debian package nsis)")
endif()
configure_file(${CMAKE_SOURCE_DIR}/packaging/installer.nsi.in ${MIREL_RELEASE_DIR}/installer.nsi @ONLY)

set(CPACK_PACKAGE_NAME mirel-instrument-change)
set(CPACK_PACKAGE_VERSION ${MIREL_RELEASE_VERSION})
set(CPACK_PACKAGE_VENDOR "Mirel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mirel Instrument Change plug-in for Finale")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${MIREL_RELEASE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/ReleaseExtras.cmake)
# Read by cmake/ReleaseExtras.cmake (CPack hands every CPACK_ variable to its scripts).
set(CPACK_MIREL_MAKENSIS ${MIREL_MAKENSIS})
set(CPACK_MIREL_INSTALLER_SCRIPT ${MIREL_RELEASE_DIR}/installer.nsi)
set(CPACK_MIREL_INSTALLER ${CMAKE_BINARY_DIR}/${MIREL_RELEASE_NAME}-setup.exe)
include(CPack)
