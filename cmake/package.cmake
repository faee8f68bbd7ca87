# Installing, and the Debian package. `cmake --install` puts tallix in bin/
# (its window and FTP modules and the office helper in lib/tallix/),
# the page and appendix templates (everything in share/) in share/tallix/
# and the README with its pictures in share/doc/tallix/. `cpack` in the
# build folder makes tallix_VERSION_ARCH.deb, its dependencies found by
# dpkg-shlibdeps plus what the program loads at run time.
install(TARGETS tallix RUNTIME DESTINATION bin)
# The window, loaded by tallix only when it opens one (see src/app/window_module.h).
install(TARGETS tallix_window_module LIBRARY DESTINATION lib/tallix)
# The FTP backend, loaded only when publishing is on (see src/platform/transfer/ftp_transfer.h).
install(TARGETS tallix_ftp_module LIBRARY DESTINATION lib/tallix)
install(DIRECTORY share/ DESTINATION share/tallix)
# The appendix: the helper that drives the office, and the sample template
# the build converts from its readable source (both only when they are made).
if(TARGET tallix_office)
  install(TARGETS tallix_office RUNTIME DESTINATION lib/tallix)
endif()
if(TARGET appendix_template)
  install(FILES ${PROJECT_BINARY_DIR}/share/GridAppendix.xls DESTINATION share/tallix)
endif()
install(FILES README.md DESTINATION share/doc/tallix)
install(DIRECTORY docs/ DESTINATION share/doc/tallix/docs FILES_MATCHING PATTERN "*.png")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallix)
set(CPACK_PACKAGE_VENDOR "Tallix")
set(CPACK_PACKAGE_CONTACT "Tallix developers <tallix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "live results display for duplicate bridge sessions scored with table terminals")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: Qt's platform
# plugins (the window) and the faces standing in for the grid's fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, fonts-dejavu-core")
# The appendix prints through an office and a printer; without them the
# display runs and only the appendix fails.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc")
include(CPack)
