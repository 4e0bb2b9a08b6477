# What the packages hold and how CPack makes them, for both systems.
# Windows (make windows): varrowmere-<version>-windows-x86.zip and -x64.zip, to be unpacked
# into the data folder C:/Varrowmere/: the program, the data files and INSTALL.txt.
# Linux (make package, a build configured with VARROWMERE_DATA_DIR=/usr/share/varrowmere/ and
# the prefix /usr): a .deb with the player and the referee in /usr/bin and the data files in
# /usr/share/varrowmere. The Makefile copies them to dist/.
# Only the component "player" is packaged: Box2D's own install rules stay out. Packaging
# builds nothing but what it installs (the Makefile builds those targets first).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  install(TARGETS varrowmere RUNTIME DESTINATION . COMPONENT player)
  install(DIRECTORY data/ DESTINATION . COMPONENT player)
  install(FILES packaging/INSTALL.txt DESTINATION . COMPONENT player)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VARROWMERE_PACKAGE_SYSTEM windows-x64)
  else()
    set(VARROWMERE_PACKAGE_SYSTEM windows-x86)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  install(TARGETS varrowmere RUNTIME DESTINATION bin COMPONENT player)
  if(TARGET varrowmere-match)
    install(TARGETS varrowmere-match RUNTIME DESTINATION bin COMPONENT player)
  endif()
  install(DIRECTORY data/ DESTINATION share/varrowmere COMPONENT player)
  set(VARROWMERE_PACKAGE_SYSTEM linux-amd64)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Varrowmere maintainers")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libbox2d2 (>= 2.4.1), libstdc++6, libgcc-s1, libc6")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()

set(CPACK_PACKAGE_NAME varrowmere)
set(CPACK_PACKAGE_VENDOR Varrowmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A computer-curling player for a curling game server")
set(CPACK_PACKAGE_FILE_NAME varrowmere-${PROJECT_VERSION}-${VARROWMERE_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};varrowmere;player;/")
include(CPack)
