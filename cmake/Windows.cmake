# The Windows build (a cross build from Linux with mingw-w64-x86_64.cmake):
# - every .exe and .dll in one bin/ folder, since a program finds its DLLs only beside itself;
# - 64-bit file offsets (off_t is 32 bits there otherwise: PCM files of 2 GiB or more);
# - version resources (bs_version_resource);
# - the programs run under Wine through cmake/wine-run.sh, whose prefix is made at configure
#   time so that the first test discovery does not wait for it.
enable_language(RC)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_compile_definitions(_FILE_OFFSET_BITS=64)

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BS_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(BS_WINE NAMES wine64 wine)
  find_program(BS_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(BS_WINESERVER NAMES wineserver)
  if(BS_WINE AND BS_WINESERVER)
    set(BS_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
    execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} cmd /c exit
                    RESULT_VARIABLE wine_status OUTPUT_QUIET ERROR_QUIET)
    if(NOT wine_status EQUAL 0)
      message(WARNING "Wine did not run a program (status ${wine_status}): the tests will fail")
    endif()
  else()
    message(WARNING "No Wine found: the Windows programs build but cannot run here (bash cmake/install-deps.sh)")
  endif()
endif()

# bs_version_resource(TARGET DESCRIPTION): a version resource (file and product version,
# description, original file name) compiled into TARGET's .exe or .dll.
function(bs_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(BS_FILE_TYPE VFT_DLL)
    set(BS_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
  else()
    set(BS_FILE_TYPE VFT_APP)
    set(BS_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
  endif()
  set(BS_DESCRIPTION "${description}")
  set(BS_INTERNAL_NAME "${target}")
  string(REPLACE "." "," BS_VERSION_NUMBERS "${PROJECT_VERSION}")
  string(APPEND BS_VERSION_NUMBERS ",0")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in @ONLY)
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc
       INPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc.in)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()

# The `windows_zip` target.
include(${CMAKE_CURRENT_LIST_DIR}/windows-zip.cmake)
