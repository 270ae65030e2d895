# Run by CPack after it has made the zip (CPACK_POST_BUILD_SCRIPTS): builds the installer with makensis and
# writes a SHA-256 checksum file beside the zip and beside the installer ("<hash>  <name>", as sha256sum -c
# reads it; on Windows `certutil -hashfile <name> SHA256` prints the same hash).

# CPack names its packages in a staging folder and copies them to CPACK_PACKAGE_DIRECTORY afterwards: the
# checksum file is written where the package ends up.
function(write_checksum file)
  file(SHA256 ${file} hash)
  get_filename_component(name ${file} NAME)
  file(WRITE ${CPACK_PACKAGE_DIRECTORY}/${name}.sha256 "${hash}  ${name}\n")
  message(STATUS "Checksum: ${CPACK_PACKAGE_DIRECTORY}/${name}.sha256")
endfunction()

if(NOT CPACK_MIREL_MAKENSIS)
  message(FATAL_ERROR "makensis not found: install the Debian package nsis (scripts/install-deps.sh test)")
endif()
file(REMOVE ${CPACK_MIREL_INSTALLER})
execute_process(COMMAND ${CPACK_MIREL_MAKENSIS} -V2 -WX ${CPACK_MIREL_INSTALLER_SCRIPT} RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${CPACK_MIREL_INSTALLER})
  message(FATAL_ERROR "makensis failed (${status}) on ${CPACK_MIREL_INSTALLER_SCRIPT}")
endif()
message(STATUS "Installer: ${CPACK_MIREL_INSTALLER}")

foreach(file IN LISTS CPACK_PACKAGE_FILES ITEMS ${CPACK_MIREL_INSTALLER})
  write_checksum(${file})
endforeach()
