# HelpMe.chm beside the program. The pages in docs/help are written in UTF-8;
# the help viewer of Chinese Windows reads its contents, index and titles in
# code page 936, so every text file goes through iconv (and its charset
# declaration is changed to match) before chmcmd (Free Pascal) compiles it.
find_program(CHMCMD_EXECUTABLE chmcmd)
find_program(ICONV_EXECUTABLE iconv)
find_program(CHMLS_EXECUTABLE chmls)
set(HELP_FILE ${CMAKE_BINARY_DIR}/HelpMe.chm)
if(CHMCMD_EXECUTABLE AND ICONV_EXECUTABLE)
  file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/help/*)
  add_custom_command(OUTPUT ${HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/docs/help -DWORK=${CMAKE_BINARY_DIR}/help
            -DOUTPUT=${HELP_FILE} -DCHMCMD=${CHMCMD_EXECUTABLE} -DICONV=${ICONV_EXECUTABLE}
            -P ${CMAKE_SOURCE_DIR}/cmake/compile-help.cmake
    DEPENDS ${HELP_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/compile-help.cmake
    COMMENT "Compiling HelpMe.chm"
    VERBATIM)
  add_custom_target(helpfile ALL DEPENDS ${HELP_FILE})
  # Whoever builds the program gets its help file too.
  add_dependencies(WindowsVantorra helpfile)
  if(BUILD_TESTING AND CHMLS_EXECUTABLE)
    # What went into the file: every topic, the contents and index in code page 936, the title.
    add_test(NAME help_file COMMAND bash ${CMAKE_SOURCE_DIR}/docs/help/check-chm ${HELP_FILE} ${CMAKE_SOURCE_DIR}/docs/help)
  endif()
else()
  message(WARNING "chmcmd or iconv not found (Debian package fp-utils): HelpMe.chm is not built")
endif()
