# What `cmake --install` puts under the prefix: the layers with their public
# headers, a CMake package and a pkg-config file; the programs with their man
# page, desktop entry and icon.
include(CMakePackageConfigHelpers)

set(korvel_layers korvel_mb korvel_fp korvel_complex korvel_input korvel_roots korvel_special korvel_radix)
# A shared layer finds the layers below it beside it: a program that calls
# only findRoots need not name the reader it rests on.
if(BUILD_SHARED_LIBS)
  set_target_properties(${korvel_layers} PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()
install(TARGETS ${korvel_layers} korvel_library EXPORT KorvelTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/korvel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

set(korvel_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Korvel)
install(EXPORT KorvelTargets NAMESPACE Korvel:: DESTINATION ${korvel_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorvelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KorvelConfig.cmake INSTALL_DESTINATION ${korvel_cmake_dir})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorvelConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorvelConfig.cmake ${PROJECT_BINARY_DIR}/KorvelConfigVersion.cmake
        DESTINATION ${korvel_cmake_dir})

# The .pc file finds its prefix from where it lies, so the installed tree may move.
file(RELATIVE_PATH KORVEL_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KORVEL_PC_PREFIX "${KORVEL_PC_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/korvel.pc.in ${PROJECT_BINARY_DIR}/korvel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korvel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The programs find shared layers beside them, wherever the tree is unpacked.
set(korvel_programs korvel-cli)
if(TARGET korvel)
  list(APPEND korvel_programs korvel)
endif()
if(BUILD_SHARED_LIBS)
  set_target_properties(${korvel_programs} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()
install(TARGETS ${korvel_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET korvel)
  install(FILES ${PROJECT_SOURCE_DIR}/app/qt/korvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/app/qt/korvel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# korvel_gzip(SOURCE NAME): NAME.gz in the build folder, SOURCE compressed as
# Debian installs documentation (gzip -9n: no name or time stamp inside, so
# the same source gives the same bytes).
find_program(GZIP gzip REQUIRED)
function(korvel_gzip source name)
  set(copy ${PROJECT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  add_custom_target(korvel_gzip_${name} ALL DEPENDS ${copy}.gz)
endfunction()

# The man pages: korvel-cli's made from its --help and --version, the window's written by hand.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  # Made in a folder of its own: korvel_gzip copies it beside the build's other files.
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  set(man_page ${PROJECT_BINARY_DIR}/man/korvel-cli.1)
  add_custom_command(OUTPUT ${man_page}
    COMMAND ${HELP2MAN} --no-info --section=1 --source=Korvel
            "--name=find every root of a polynomial to the precision you choose"
            --output=${man_page} $<TARGET_FILE:korvel-cli>
    DEPENDS korvel-cli
    COMMENT "Writing the man page of korvel-cli")
  korvel_gzip(${man_page} korvel-cli.1)
  install(FILES ${PROJECT_BINARY_DIR}/korvel-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: korvel-cli gets no man page (scripts/setup.sh installs it)")
endif()
if(TARGET korvel)
  korvel_gzip(${PROJECT_SOURCE_DIR}/app/qt/korvel.1 korvel.1)
  install(FILES ${PROJECT_BINARY_DIR}/korvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# What Debian asks of every package's documentation folder: the copyright and
# the changelog, whose newest entry must be this version.
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^korvel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog begins with \"${changelog_top}\": "
                      "give version ${PROJECT_VERSION} an entry there")
endif()
korvel_gzip(${PROJECT_SOURCE_DIR}/cmake/debian/changelog changelog)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
