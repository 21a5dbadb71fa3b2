# The ZIP a Windows user unpacks: the program, the button's icon beside it
# (the extension key points there) and a short README. Nothing else is
# installed, so test programs never reach the package.
install(TARGETS vorlinde RUNTIME DESTINATION .)
install(FILES ${VORLINDE_SHOP_ICON} DESTINATION .)

# Windows line ends, so that every editor there shows the README as written.
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt
               ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vorlinde)
set(CPACK_PACKAGE_FILE_NAME vorlinde-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
