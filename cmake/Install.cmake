# What `cmake --install` and the package put where, in the layout of the GNU coding standards:
# the programs, the docs and the demo under share/navrelay, the desktop entry, its icon in the
# hicolor theme, the AppStream metainfo, the man pages and bash completion for navrelay-run.
include(GNUInstallDirs)
set(navrelay_data_dir ${CMAKE_INSTALL_DATADIR}/navrelay)

install(TARGETS navrelay navrelay-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS navrelay-view LIBRARY DESTINATION ${navrelay_module_dir})
# HelpPages finds the docs at ../share/navrelay/docs from the program, wherever the prefix is.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${navrelay_data_dir}/docs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/demo DESTINATION ${navrelay_data_dir}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/data/navrelay.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/org.navrelay.NavRelay.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/navrelay-run.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME navrelay-run)

# The icon files are drawn by the program's own icon code, so they never drift from the window's icon.
add_executable(navrelay-icon-export src/about/export/main.cpp)
target_link_libraries(navrelay-icon-export PRIVATE navrelay_about)
set(icon_theme ${CMAKE_BINARY_DIR}/icons/hicolor)
set(icon_files ${icon_theme}/scalable/apps/navrelay.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND icon_files ${icon_theme}/${size}x${size}/apps/navrelay.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
                   COMMAND navrelay-icon-export ${icon_theme}
                   DEPENDS navrelay-icon-export
                   COMMENT "Drawing the icon files of the hicolor theme")
add_custom_target(navrelay_icons ALL DEPENDS ${icon_files})
install(DIRECTORY ${icon_theme} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Man pages are installed compressed, as Debian's policy asks.
set(man_pages)
foreach(page navrelay navrelay-run)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND sh -c "gzip -9 -n -c '${CMAKE_SOURCE_DIR}/man/${page}.1' > '${compressed}'"
                       DEPENDS ${CMAKE_SOURCE_DIR}/man/${page}.1
                       VERBATIM)
    list(APPEND man_pages ${compressed})
endforeach()
add_custom_target(navrelay_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
