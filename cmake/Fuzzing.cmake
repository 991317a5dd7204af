# bs_add_fuzzer(NAME SOURCES src... LIBRARIES lib... CORPUS dir [SECONDS n])
#
# Builds a libFuzzer target (clang only, BS_FUZZ=ON) and registers two tests:
#   fuzz_replay_<NAME>  runs every file of the checked-in seed corpus once;
#   fuzz_<NAME>         fuzzes for a few seconds starting from that corpus.
# New inputs go to a scratch corpus in the build tree, so the checked-in seeds
# never change behind the developer's back.
function(bs_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS;SECONDS" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT BS_FUZZ)
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BS_FUZZ needs clang (configure with the 'asan' preset)")
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 10)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBRARIES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${scratch})
  add_test(NAME fuzz_replay_${name} COMMAND ${name} -runs=0 ${F_CORPUS})
  add_test(NAME fuzz_${name}
           COMMAND ${name} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=10
                   -print_final_stats=1 ${scratch} ${F_CORPUS})
  set_tests_properties(fuzz_replay_${name} fuzz_${name} PROPERTIES LABELS fuzz)
endfunction()
