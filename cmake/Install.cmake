# Every install rule of the project, in one place, laid out as a Debian package and `make install` want it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(quorvane_programs)
foreach(program IN ITEMS quorvane-cli quorvane)
    if(TARGET ${program})
        list(APPEND quorvane_programs ${program})
    endif()
endforeach()
if(quorvane_programs)
    install(TARGETS ${quorvane_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# quorvane-cli runs pack and font through it, from ../libexec/quorvane beside its own folder.
if(TARGET quorvane-cli-full)
    install(TARGETS quorvane-cli-full RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvane)
endif()

# The CMake module is the same on every architecture, so it stays in lib/cmake (not the multiarch
# libdir), where both find_package(Quorvane) and include() with CMAKE_MODULE_PATH look.
set(quorvane_cmake_dir lib/cmake/Quorvane)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/QuorvaneConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES cmake/Quorvane.cmake cmake/QuorvaneConfig.cmake "${PROJECT_BINARY_DIR}/QuorvaneConfigVersion.cmake"
    DESTINATION ${quorvane_cmake_dir})

# The desktop: menu entry, icon, AppStream metainfo, manual pages and shell completion.
set(quorvane_app_id org.quorvane.Quorvane)
configure_file(packaging/${quorvane_app_id}.metainfo.xml.in "${PROJECT_BINARY_DIR}/${quorvane_app_id}.metainfo.xml" @ONLY)
if(TARGET quorvane)
    install(FILES packaging/${quorvane_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES packaging/${quorvane_app_id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES "${PROJECT_BINARY_DIR}/${quorvane_app_id}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
# The licences: GPL-3.0-or-later for the programs (they link libimagequant), MIT-0 for the decoder header.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)
install(FILES packaging/quorvane-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME quorvane-cli)

# Manual pages, compressed where man looks for them (gzip -n: no name or time stamp, so builds repeat).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(quorvane_man_pages)
set(QUORVANE_LIBEXEC_FULL "${CMAKE_INSTALL_FULL_LIBEXECDIR}/quorvane")
foreach(page IN ITEMS quorvane quorvane-cli)
    configure_file(packaging/${page}.1.in "${PROJECT_BINARY_DIR}/man/${page}.1" @ONLY)
    add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/man/${page}.1.gz"
        COMMAND "${GZIP_PROGRAM}" -9nf -k "${PROJECT_BINARY_DIR}/man/${page}.1"
        DEPENDS "${PROJECT_BINARY_DIR}/man/${page}.1"
        COMMENT "Compressing the manual page ${page}(1)")
    list(APPEND quorvane_man_pages "${PROJECT_BINARY_DIR}/man/${page}.1.gz")
endforeach()
add_custom_target(quorvane_man_pages ALL DEPENDS ${quorvane_man_pages})
install(FILES ${quorvane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
