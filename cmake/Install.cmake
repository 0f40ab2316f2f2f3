# cmake --install: the application with its help page, its menu entry and icon, and the tools.
# The application reads its help page beside the executable; installed into a folder the seller
# cannot write, it keeps its tables in the user's data folder instead.
include(GNUInstallDirs)

if(TARGET offrel)
    install(TARGETS offrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/app/aide.html DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/app/offrel.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/app/images/offrel.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()
foreach(tool offrel-site offrel-cds)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
