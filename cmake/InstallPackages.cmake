# CPack: the Debian package of the Linux deliverables and the source tarball.
#   cpack -G DEB -C Release      (in the build folder; the package preset runs both)
#   cpack --config CPackSourceConfig.cmake
# The package is built from a tree configured with CMAKE_INSTALL_PREFIX=/usr (the package
# preset), so the programs need no search path for the libraries.
set(CPACK_PACKAGE_NAME brimsel)
set(CPACK_PACKAGE_VENDOR "The Brimsel developers")
# Who answers for the package: the Maintainer field, which Debian requires.  Whoever builds a
# package for others sets their own address (cmake -DBS_PACKAGE_CONTACT="Name <address>");
# the default is in a domain reserved for examples, so it reaches no one by mistake.
set(BS_PACKAGE_CONTACT "The Brimsel developers <brimsel@example.org>" CACHE STRING
    "Maintainer of the Debian package: \"Name <address>\"")
set(CPACK_PACKAGE_CONTACT "${BS_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio toolchain for game music and sound effects")
set(CPACK_PACKAGE_DESCRIPTION
  "Compiles plain-text sample descriptors, macro scripts and music scripts into
compact packages (bscomp) and plays them through a small engine that renders
16 sampled channels at 48000 Hz (libBrimsel), from a game through the host
library (libHalvex, SDL2), in a terminal (bsplay), to WAV files (bsrender) or
in an auditioning window (Veskar, Qt 6). bsinspect lists and checks packages.
Includes the C headers, CMake package and pkg-config files for games.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies (SDL2, Qt 6, the C++ runtime) come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries are in the package itself: ldconfig runs through dpkg's trigger.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_STRIP_FILES ON)

# Debian's changelog, compressed without a time stamp.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
if(BS_GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${BS_GZIP} -9nc ${PROJECT_BINARY_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    COMMENT "Debian changelog")
  add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${BS_INSTALL_DOCDIR})
endif()

# The source tarball: the tree as checked out, without build folders or version control.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME brimsel-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/build/" "^${PROJECT_SOURCE_DIR}/[.]git/"
    "^${PROJECT_SOURCE_DIR}/[.]cache/" "~$")
include(CPack)
