# Manual pages made from each program's own --help text (scripts/manpage.py),
# so that the page and --help never say different things. Built with
# -DCORVANE_MANPAGES=ON (scripts/package.sh turns it on) and installed with
# the programs.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(corvane_manpage target summary)
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1.gz)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "QT_QPA_PLATFORM=offscreen \"$1\" --help | \"$2\" \"$3\" \"$4\" 1 \"$5\" \"$6\" | gzip -9n > \"$7\""
            manpage $<TARGET_FILE:${target}> ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/manpage.py
            ${target} ${summary} ${PROJECT_VERSION} ${page}
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/scripts/manpage.py
    COMMENT "Manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}-manpage ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
