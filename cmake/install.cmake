# What `cmake --install` and the Debian package lay out: the program and its window program,
# the sample drivers (as samples: the dispatch system's own driver folder is its business), the
# driver header, the documents, the desktop entry and icon, and the systemd user unit.
set(ZEP_INSTALL_DRIVERDIR ${ZEP_INSTALL_PROGRAMLIBDIR}/drivers)
set(ZEP_INSTALL_FULL_DOCDIR ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/zepimport)

install(TARGETS zepimport RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# zepimport finds it there from its own folder (window/window_program.h).
if(TARGET zepimport-window)
    install(TARGETS zepimport-window RUNTIME DESTINATION ${ZEP_INSTALL_PROGRAMLIBDIR})
endif()
install(TARGETS vl_m1 vl_kolvar LIBRARY DESTINATION ${ZEP_INSTALL_DRIVERDIR})
install(FILES sdk/vl_driver.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zepimport)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zepimport)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zepimport
        FILES_MATCHING PATTERN "*.md")
install(FILES resources/zepimport.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES resources/zepimport.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

configure_file(resources/zepimport.service.in ${CMAKE_BINARY_DIR}/zepimport.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zepimport.service DESTINATION lib/systemd/user)
