# Run by CPack after SealPackage.cmake (CPACK_POST_BUILD_SCRIPTS): the Windows
# Installer package, made from the sealed ZIP, goes straight into the output
# folder and into SHA256SUMS there.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND ${CPACK_VORLINDE_PYTHON} ${CPACK_VORLINDE_SOURCE_DIR}/cmake/build_msi.py
            ${package} ${CPACK_PACKAGE_DIRECTORY} ${CPACK_VORLINDE_SOURCE_DIR}
            ${CPACK_VORLINDE_APP_ICON} ${CPACK_PACKAGE_VERSION}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    # Nothing that looks like a release stays: CPack would still copy this
    # ZIP to the output folder, and one of an earlier run may stand there.
    get_filename_component(name ${package} NAME)
    file(REMOVE ${package} ${CPACK_PACKAGE_DIRECTORY}/${name})
    message(FATAL_ERROR "Building the Windows Installer package from ${package} failed")
  endif()
endforeach()
