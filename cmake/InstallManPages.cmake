# Man pages for the programs, made at build time from their pages of the guide (docs/), so the
# guide stays the one place their text is kept. Compressed, as Debian installs them.
find_program(BS_GZIP gzip)
set(bs_man_pages
  "bscomp|bscomp.md|compile sample descriptors, macro scripts and music scripts into packages"
  "bsrender|bsrender.md|render packages through the engine to a WAV file"
  "bsplay|bsplay.md|play packages on the sound device from a terminal"
  "bsinspect|bsinspect.md|summarise, check and disassemble packages"
  "Veskar|veskar.md|audition packages in a window")
set(bs_man_outputs "")
foreach(entry IN LISTS bs_man_pages)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 program)
  list(GET entry 1 page)
  list(GET entry 2 summary)
  if(NOT TARGET ${program} OR NOT BS_GZIP)
    continue()
  endif()
  set(man ${PROJECT_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${man}.gz
    COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/${page} -DOUTPUT=${man}
            -DNAME=${program} "-DSUMMARY=${summary}" -DVERSION=${PROJECT_VERSION}
            -P ${PROJECT_SOURCE_DIR}/packaging/markdown-to-man.cmake
    COMMAND ${BS_GZIP} -9nf ${man}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page} ${PROJECT_SOURCE_DIR}/packaging/markdown-to-man.cmake
    COMMENT "Man page ${program}(1)"
    VERBATIM)
  list(APPEND bs_man_outputs ${man}.gz)
endforeach()
if(bs_man_outputs)
  add_custom_target(man_pages ALL DEPENDS ${bs_man_outputs})
  install(FILES ${bs_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
