# Installation where Debian expects things, and a .deb built by CPack whose dependencies
# are Debian's own Qt 5, libcurl and font packages.
include(GNUInstallDirs)

install(TARGETS quorvane quorvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/quorvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/res/image/title/applogo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME quorvane.svg)
# The program reads its catalogues from its resources; the files are installed too so that
# translators and packagers can see what ships.
if(QV_QM_FILES)
    install(FILES ${QV_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvane/translations)
endif()

set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Orvanta")
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@orvanta.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for audio/video-over-IP encoder and decoder nodes")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Finds the encoder, decoder and proxy nodes of the LAN by UDP broadcast, lists them with\n address conflicts marked, and configures and upgrades them. Includes quorvane-cli for\n scripted commissioning.")
# dpkg-shlibdeps names the exact library packages the binaries link; the SVG plugins and the
# Chinese font are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5svg5, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)

if(QV_BUILD_TESTS AND NOT QV_SANITIZE)
    add_test(NAME package_deb COMMAND ${CMAKE_SOURCE_DIR}/tests/package/check-deb.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(package_deb PROPERTIES TIMEOUT 300 LABELS package)
endif()
