# The release of the 32-bit module, made by `cmake --build --preset win32 --target package`:
#   mirel-instrument-change-<version>-win32.zip         the module, the user guide (README.html with the
#                                                       dialog's picture) and the notices for what is linked in
#   mirel-instrument-change-<version>-win32-setup.exe   the installer (NSIS), which finds Finale's Plug-ins
#                                                       folders, installs the module there and registers an
#                                                       uninstaller
# and beside each a .sha256 file in the form `sha256sum -c` reads. CPack makes the zip; a script run after it
# (cmake/ReleaseExtras.cmake) builds the installer with makensis and writes the checksums.
# The version is the project's (CMakeLists.txt), as in the module's version resource.

# The version, the names and the installer script come from cmake/Installer.cmake.

# The user guide, with the version filled in.
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.html.in ${MIREL_RELEASE_DIR}/README.html @ONLY)
# Notepad before Windows 10 shows a text file well only with CR LF line ends.
file(READ ${CMAKE_SOURCE_DIR}/packaging/THIRD-PARTY-NOTICES.txt notices)
string(REPLACE "\n" "\r\n" notices "${notices}")
file(WRITE ${MIREL_RELEASE_DIR}/THIRD-PARTY-NOTICES.txt "${notices}")

install(FILES $<TARGET_FILE:mirelinstrumentchange> ${MIREL_RELEASE_DIR}/README.html
              ${MIREL_RELEASE_DIR}/THIRD-PARTY-NOTICES.txt ${CMAKE_SOURCE_DIR}/docs/dialog.png
        DESTINATION .)

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
set(CPACK_MIREL_INSTALLER ${MIREL_INSTALLER})
include(CPack)
