# Run by CPack twice. Before the ZIP is made (CPACK_PRE_BUILD_SCRIPTS), an
# earlier run's Windows Installer package leaves the output folder, so that
# no later step's failure can leave it there. After SealPackage.cmake
# (CPACK_POST_BUILD_SCRIPTS), the package is made from the sealed ZIP and
# goes straight into the output folder and into SHA256SUMS there; when that
# fails, build_msi.py has deleted the ZIP too, so CPack copies nothing, and
# the output folder holds neither package and no SHA256SUMS.
if(NOT DEFINED CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND ${CPACK_VORLINDE_PYTHON} ${CPACK_VORLINDE_SOURCE_DIR}/cmake/build_msi.py
            --discard ${CPACK_PACKAGE_DIRECTORY} ${CPACK_PACKAGE_VERSION})
  return()
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND ${CPACK_VORLINDE_PYTHON} ${CPACK_VORLINDE_SOURCE_DIR}/cmake/build_msi.py
            ${package} ${CPACK_PACKAGE_DIRECTORY} ${CPACK_VORLINDE_SOURCE_DIR}
            ${CPACK_VORLINDE_APP_ICON} ${CPACK_VORLINDE_PACKAGE_ACTIONS} ${CPACK_PACKAGE_VERSION}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Building the Windows Installer package failed (the reason is given "
                        "above); ${CPACK_PACKAGE_DIRECTORY} holds no package and no SHA256SUMS.")
  endif()
endforeach()
