# Run by CPack once a package is made (CPACK_POST_BUILD_SCRIPTS), before it
# is copied to the output folder; SHA256SUMS goes there directly. When
# sealing fails, seal_package.py has deleted the package, so CPack copies
# nothing, and the output folder holds no package and no SHA256SUMS.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND ${CPACK_VORLINDE_PYTHON} ${CPACK_VORLINDE_SOURCE_DIR}/cmake/seal_package.py
            ${package} ${CPACK_PACKAGE_DIRECTORY} ${CPACK_VORLINDE_SOURCE_DIR}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Packaging failed (the reason is given above); "
                        "${CPACK_PACKAGE_DIRECTORY} holds no package and no SHA256SUMS.")
  endif()
endforeach()
