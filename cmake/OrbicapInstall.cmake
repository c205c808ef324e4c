# What `cmake --install` puts under the prefix, and the Debian package CPack
# makes of it. The drivers go to lib/orbicap/, where the programs look for
# them beside their own bin/ folder (capture/DriverLocation.h).
set(ORBICAP_APP_ID org.example.orbicap)
set(desktop ${CMAKE_SOURCE_DIR}/desktop)

install(TARGETS orbicap orbicap-record RUNTIME DESTINATION bin)
install(TARGETS qhy5v_sim LIBRARY DESTINATION lib/orbicap)
if(TARGET qhy5v_indi)
  install(TARGETS qhy5v_indi LIBRARY DESTINATION lib/orbicap)
endif()
install(FILES ${desktop}/${ORBICAP_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${desktop}/${ORBICAP_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${desktop}/${ORBICAP_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop}/man/orbicap.1 ${desktop}/man/orbicap-record.1 DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbicap)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Capture program for small astronomy video cameras")
set(CPACK_PACKAGE_CONTACT "The Orbicap developers <orbicap@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # orbicap_VERSION_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orbicap.example.org/")
# Dependencies come from the libraries the programs and drivers link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
