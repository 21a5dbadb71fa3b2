# The ZIP a Windows user unpacks: the program, the button's icon beside it
# (the extension key points there), the read-only inspector that checks an
# install, a short README and its German guide. Nothing else is installed, so test programs
# never reach the package.
install(TARGETS vorlinde vorlinde-inspect vorlinde-agent RUNTIME DESTINATION .)
install(FILES ${VORLINDE_SHOP_ICON} DESTINATION .)

# The package's product code, which the README names: derived from the
# version alone, as cmake/build_msi.py derives it (a name-based UUID in the
# same namespace).
string(UUID VORLINDE_PRODUCT_CODE NAMESPACE 4A194C1F-45BE-4AB3-ACD9-10F7925824DC
       NAME "product ${PROJECT_VERSION}" TYPE SHA1 UPPER)

# Windows line ends, so that every editor there shows the texts as written;
# the German guide is UTF-8 with a byte-order mark, which every Notepad reads.
foreach(text README.txt LIESMICH.txt)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${text}
                 ${PROJECT_BINARY_DIR}/packaging/${text} @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${text} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vorlinde)
set(CPACK_PACKAGE_FILE_NAME vorlinde-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

# CPack's ZIP carries the build's file times; seal_package.py signs the
# programs when a certificate is given, writes the ZIP again in a fixed form
# and SHA256SUMS beside it.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/SealPackage.cmake)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CPACK_VORLINDE_PYTHON ${Python3_EXECUTABLE})
set(CPACK_VORLINDE_SOURCE_DIR ${PROJECT_SOURCE_DIR})
# Then the Windows Installer package from the sealed ZIP (cmake/BuildMsi.cmake).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/BuildMsi.cmake)
list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/BuildMsi.cmake)
set(CPACK_VORLINDE_APP_ICON ${VORLINDE_APP_ICON})
set(CPACK_VORLINDE_PACKAGE_ACTIONS ${VORLINDE_PACKAGE_ACTIONS})
include(CPack)
