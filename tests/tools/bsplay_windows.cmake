# bsplay.exe under Wine (included from CMakeLists.txt in the Windows build): its command line,
# and the demo played on DirectSound into a null sink of its own.
add_executable(bsplay_windows_tests test_bsplay_windows.cpp)
target_link_libraries(bsplay_windows_tests PRIVATE test_programs formats GTest::gtest)
add_dependencies(bsplay_windows_tests bsplay)
find_program(BS_PULSEAUDIO pulseaudio)
if(NOT BS_PULSEAUDIO)
  return() # tests/host says why
endif()
add_test(NAME bsplay_windows
  COMMAND sh ${PROJECT_SOURCE_DIR}/tests/host/with_null_sink.sh
          ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:bsplay_windows_tests>
          Z:${CMAKE_CURRENT_BINARY_DIR}/demo Z:${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(bsplay_windows PROPERTIES
  LABELS directsound RUN_SERIAL TRUE FIXTURES_REQUIRED demo_renders)
