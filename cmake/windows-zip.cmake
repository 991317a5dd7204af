# The `windows_zip` target (part of the Windows build): a zip of the Windows deliverables in the
# build folder, Brimsel-<version>-windows-x64.zip, laid out as
#   bin/      the programs and the two DLLs (a program finds its DLLs beside it)
#   lib/      the import libraries libBrimsel.dll.a and libHalvex.dll.a
#   include/  engine/engine.h and host/host.h, as programs include them
#   docs/     the user guide, with windows.md; README.md at the top
# Included from Windows.cmake; the target is made once every folder has been read, so that it
# takes whichever deliverables this tree builds. The test windows_zip_contents checks the zip.
function(bs_windows_zip)
  set(name Brimsel-${PROJECT_VERSION}-windows-x64)
  set(zip ${CMAKE_BINARY_DIR}/${name}.zip)
  set(stage ${CMAKE_BINARY_DIR}/windows-zip/${name})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/windows-zip)
  set(copies "")
  set(deliverables "")
  set(expected README.md docs/windows.md include/engine/engine.h include/host/host.h)
  foreach(program bscomp bsrender bsinspect bsplay Veskar Brimsel Halvex)
    if(TARGET ${program})
      list(APPEND deliverables ${program})
      list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/bin/)
      list(APPEND expected bin/$<TARGET_FILE_NAME:${program}>)
    endif()
  endforeach()
  foreach(library Brimsel Halvex)
    if(TARGET ${library})
      list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:${library}> ${stage}/lib/)
      list(APPEND expected lib/$<TARGET_LINKER_FILE_NAME:${library}>)
    endif()
  endforeach()
  file(GLOB_RECURSE docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/bin ${stage}/lib ${stage}/include/engine
            ${stage}/include/host
    ${copies}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/engine/engine.h ${stage}/include/engine/
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/host/host.h ${stage}/include/host/
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${stage}/
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs ${stage}/docs
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/windows-zip
    DEPENDS ${deliverables} ${docs} ${PROJECT_SOURCE_DIR}/README.md
            ${PROJECT_SOURCE_DIR}/engine/engine.h ${PROJECT_SOURCE_DIR}/host/host.h
    COMMENT "Zipping the Windows deliverables into ${name}.zip"
    VERBATIM)
  add_custom_target(windows_zip ALL DEPENDS ${zip})
  if(BS_TESTS)
    add_test(NAME windows_zip_contents
      COMMAND ${CMAKE_COMMAND} -DZIP=${zip} -DPREFIX=${name}/ "-DEXPECTED=${expected}"
              -P ${PROJECT_SOURCE_DIR}/cmake/windows-zip-check.cmake)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL bs_windows_zip)
