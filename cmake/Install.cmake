# cmake --install: the application and the stand-in site in their own folder, lib/offrel, where
# each finds beside its executable what it reads there (the help page, the site's catalogue), with
# their commands in bin linking to them; the table inspector in bin. Installed into a folder the
# seller cannot write, the application keeps its tables in the user's data folder instead.
# The menu entry, the icons and the metainfo are installed by desktop/.
include(GNUInstallDirs)

set(OFFREL_PROGRAM_DIR lib/offrel)

# A command in bin: a relative symbolic link to the program in its folder, whatever the prefix.
function(offrel_install_command name)
    set(link ${PROJECT_BINARY_DIR}/commands/${name})
    file(RELATIVE_PATH target ${CMAKE_INSTALL_FULL_BINDIR}
         ${CMAKE_INSTALL_PREFIX}/${OFFREL_PROGRAM_DIR}/${name})
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/commands)
    file(CREATE_LINK ${target} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

if(TARGET offrel)
    install(TARGETS offrel RUNTIME DESTINATION ${OFFREL_PROGRAM_DIR})
    install(FILES ${PROJECT_SOURCE_DIR}/app/aide.html DESTINATION ${OFFREL_PROGRAM_DIR})
    offrel_install_command(offrel)
endif()
if(TARGET offrel-site)
    install(TARGETS offrel-site RUNTIME DESTINATION ${OFFREL_PROGRAM_DIR})
    install(FILES ${PROJECT_SOURCE_DIR}/site/catalogue/Options.csv
                  ${PROJECT_SOURCE_DIR}/site/catalogue/Categories.csv
            DESTINATION ${OFFREL_PROGRAM_DIR}/site-catalogue)
    offrel_install_command(offrel-site)
endif()
if(TARGET offrel-cds)
    install(TARGETS offrel-cds RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
