# The Windows backend's tests (included from CMakeLists.txt in the Windows build).

# Halvex.dll exports exactly the hx_ functions of host.h and has its import library.
add_test(NAME host_dll_exports
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:Halvex>
          -DIMPORT_LIBRARY=$<TARGET_LINKER_FILE:Halvex> -DHEADER=${PROJECT_SOURCE_DIR}/host/host.h
          -DMACRO=HX_API -P ${PROJECT_SOURCE_DIR}/tests/common/check_exports.cmake)

# Halvex.dll bound through its import library: its version resource, and no start without a window.
add_executable(host_dll_tests windows_dll_test.cpp test_packages.cpp)
target_link_libraries(host_dll_tests PRIVATE Halvex test_package_images test_programs GTest::gtest_main)
target_compile_definitions(host_dll_tests PRIVATE BS_PROJECT_VERSION="${PROJECT_VERSION}")
gtest_discover_tests(host_dll_tests DISCOVERY_TIMEOUT 60)

# The kernel mutexes and the multimedia timer against the contracts of platform.h, and a lost
# DirectSound buffer restored (on a scripted buffer).
add_executable(host_windows_platform_tests windows_platform_test.cpp directsound_lost_buffer_test.cpp)
target_link_libraries(host_windows_platform_tests PRIVATE halvex_host GTest::gtest_main)
gtest_discover_tests(host_windows_platform_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS threads)

find_program(BS_PULSEAUDIO pulseaudio)
if(NOT BS_PULSEAUDIO)
  message(WARNING "The DirectSound tests need PulseAudio (bash cmake/install-deps.sh): they are not run")
  return()
endif()

# On a real device: DirectSound under Wine with a null sink of its own (with_null_sink.sh starts
# and stops it), the cursor of the backend, then Halvex.dll end to end on the demo that the tools'
# tests build.  One at a time, since they measure time.
add_executable(host_directsound_cursor_test directsound_cursor_test.cpp)
target_link_libraries(host_directsound_cursor_test PRIVATE halvex_host GTest::gtest_main)
add_test(NAME host_directsound_cursor
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/with_null_sink.sh
          ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:host_directsound_cursor_test>)

add_executable(host_directsound_end_to_end_test directsound_end_to_end_test.cpp)
target_link_libraries(host_directsound_end_to_end_test PRIVATE Halvex GTest::gtest)
add_test(NAME host_directsound_end_to_end
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/with_null_sink.sh
          ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:host_directsound_end_to_end_test>
          Z:${PROJECT_BINARY_DIR}/tests/tools/demo Z:${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(host_directsound_cursor host_directsound_end_to_end PROPERTIES
  LABELS directsound RUN_SERIAL TRUE)
set_tests_properties(host_directsound_end_to_end PROPERTIES FIXTURES_REQUIRED demo_renders)
