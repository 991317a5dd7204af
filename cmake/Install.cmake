# Installing and packaging: `cmake --install` (the Unix layout of GNUInstallDirs), the CMake
# package Brimsel (BrimselConfig.cmake, imported targets Brimsel::Brimsel, Brimsel::Halvex and
# Brimsel::bscomp, and brimsel_add_audio), the pkg-config files brimsel.pc and halvex.pc, man
# pages made from the guide, and CPack's Debian package and source tarball.
#
# Included at the end of the top-level CMakeLists.txt, once every target exists. Windows has its
# own zip (cmake/windows-*.cmake), so only the names a game uses from a source checkout are
# given there.

# A game that adds this tree with add_subdirectory or FetchContent uses the names of the package.
add_library(Brimsel::Brimsel ALIAS Brimsel)
if(TARGET Halvex)
  add_library(Brimsel::Halvex ALIAS Halvex)
endif()
if(TARGET bscomp)
  add_executable(Brimsel::bscomp ALIAS bscomp)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/BrimselAudio.cmake)

if(WIN32)
  return()
endif()

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BS_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/brimsel)
set(BS_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brimsel)
set(BS_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/brimsel)

# The libraries' ABI follows the project's major version (a game built against 0.x runs on any
# later 0.x).
set(bs_libraries Brimsel)
if(TARGET Halvex)
  list(APPEND bs_libraries Halvex)
endif()
set_target_properties(${bs_libraries} PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

# The headers include each other as "engine/engine.h" and "formats/...": the folder they are
# installed under is the one on the include path. The build tree keeps the source folder.
set_property(TARGET formats PROPERTY INTERFACE_INCLUDE_DIRECTORIES
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:${BS_INSTALL_INCLUDEDIR}>)
install(FILES engine/engine.h DESTINATION ${BS_INSTALL_INCLUDEDIR}/engine)
if(TARGET Halvex)
  install(FILES host/host.h DESTINATION ${BS_INSTALL_INCLUDEDIR}/host)
endif()
install(FILES formats/packages.h formats/opcodes.h formats/wav.h
        DESTINATION ${BS_INSTALL_INCLUDEDIR}/formats)

# Programs find the libraries beside them wherever the tree is installed; a system prefix needs
# no search path.
list(FIND CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES ${CMAKE_INSTALL_FULL_LIBDIR} bs_system_libdir)
if(bs_system_libdir EQUAL -1 AND NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  file(RELATIVE_PATH bs_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set(CMAKE_INSTALL_RPATH "$ORIGIN/${bs_bin_to_lib}")
endif()

set(bs_programs "")
foreach(program bscomp bsrender bsplay bsinspect Veskar)
  if(TARGET ${program})
    list(APPEND bs_programs ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "${CMAKE_INSTALL_RPATH}")
  endif()
endforeach()
set_target_properties(${bs_libraries} PROPERTIES INSTALL_RPATH "${CMAKE_INSTALL_RPATH}")

# The package's targets: the two libraries (with the shared declarations' include folder) and
# bscomp, which brimsel_add_audio runs. The other programs are installed only.
set(bs_exported formats ${bs_libraries})
if(TARGET bscomp)
  list(APPEND bs_exported bscomp)
endif()
install(TARGETS ${bs_exported} EXPORT BrimselTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
list(REMOVE_ITEM bs_programs bscomp)
install(TARGETS ${bs_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT BrimselTargets NAMESPACE Brimsel:: DESTINATION ${BS_INSTALL_CMAKEDIR})
# The same targets straight from this build tree, for find_package with Brimsel_DIR pointing here.
export(EXPORT BrimselTargets NAMESPACE Brimsel:: FILE ${PROJECT_BINARY_DIR}/BrimselTargets.cmake)

configure_package_config_file(cmake/BrimselConfig.cmake.in ${PROJECT_BINARY_DIR}/BrimselConfig.cmake
  INSTALL_DESTINATION ${BS_INSTALL_CMAKEDIR})
# Games built against 0.x accept any later 0.x, never 1.0 (the libraries' SONAME changes with it).
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrimselConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
configure_file(cmake/BrimselAudio.cmake ${PROJECT_BINARY_DIR}/BrimselAudio.cmake COPYONLY)
install(FILES ${PROJECT_BINARY_DIR}/BrimselConfig.cmake ${PROJECT_BINARY_DIR}/BrimselConfigVersion.cmake
              cmake/BrimselAudio.cmake
        DESTINATION ${BS_INSTALL_CMAKEDIR})

# pkg-config: the prefix is found from the .pc file's own folder, so the tree can move.
file(RELATIVE_PATH bs_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" bs_pc_to_prefix "${bs_pc_to_prefix}")
foreach(library brimsel halvex)
  if(library STREQUAL "halvex" AND NOT TARGET Halvex)
    continue()
  endif()
  configure_file(packaging/${library}.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${library}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${library}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The guide, and the Debian copyright file and changelog (compressed, as Debian wants).
file(GLOB bs_guide ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES README.md DESTINATION ${BS_INSTALL_DOCDIR})
# Beside the README as in the source tree, so that its links lead somewhere.
install(FILES ${bs_guide} DESTINATION ${BS_INSTALL_DOCDIR}/docs)
install(FILES packaging/copyright DESTINATION ${BS_INSTALL_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/InstallManPages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/InstallPackages.cmake)

# Everything that is installed, without the tests and benchmarks (the package preset builds it).
add_custom_target(deliverables)
add_dependencies(deliverables ${bs_exported} ${bs_programs})
foreach(generated man_pages debian_changelog)
  if(TARGET ${generated})
    add_dependencies(deliverables ${generated})
  endif()
endforeach()
