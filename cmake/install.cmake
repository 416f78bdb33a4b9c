# Installation and packaging: both commands with their manual pages, the library
# with the subsystem libraries it is built from, its header, and a CMake package
# so that another project can find_package(morvane CONFIG) and link
# morvane::morvane. `cpack -G DEB` turns the same install into a Debian package.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/morvane)

target_include_directories(morvane PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS morvane-convert morvane-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS morvane morvane_io morvane_parser morvane_writer morvane_model morvane_containers
        EXPORT morvaneTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/morvane
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/morvane-convert.1 ${PROJECT_SOURCE_DIR}/man/morvane-check.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The one-file page, which the wasm preset builds (build/wasm/web/morvane-convert.html):
# packages carry it when this names it, at the top of the Windows zip and as a
# documentation file elsewhere.
set(MORVANE_PAGE "" CACHE FILEPATH "The built one-file page, morvane-convert.html, for the packages")
if(MORVANE_PAGE)
  if(NOT EXISTS ${MORVANE_PAGE})
    message(FATAL_ERROR "MORVANE_PAGE names ${MORVANE_PAGE}, which does not exist: build the wasm preset first")
  endif()
  if(WIN32)
    install(FILES ${MORVANE_PAGE} DESTINATION .)
  else()
    install(FILES ${MORVANE_PAGE} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
endif()

# The licences: ours, and, with the page, the zip library's, which the page
# also carries inline. Debian's place for them is the package's copyright file.
set(licences ${PROJECT_SOURCE_DIR}/LICENSE)
if(MORVANE_PAGE)
  set(zip_licence ${PROJECT_SOURCE_DIR}/web/node_modules/fflate/LICENSE)
  if(NOT EXISTS ${zip_licence})
    message(FATAL_ERROR "${zip_licence}, the licence of the page's zip library, is missing: run npm ci in web/")
  endif()
  list(APPEND licences ${zip_licence})
endif()
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  if(MORVANE_PAGE)
    install(FILES ${zip_licence} DESTINATION . RENAME LICENSE-zip-library.txt)
  endif()
else()
  set(copyright ${PROJECT_BINARY_DIR}/copyright)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE text)
  file(WRITE ${copyright} "morvane-convert\n\n${text}")
  if(MORVANE_PAGE)
    file(READ ${zip_licence} text)
    file(APPEND ${copyright} "\nThe zip library inside morvane-convert.html (fflate):\n\n${text}")
  endif()
  install(FILES ${copyright} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

install(EXPORT morvaneTargets NAMESPACE morvane:: DESTINATION ${MORVANE_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/morvaneConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/morvaneConfig.cmake
                              INSTALL_DESTINATION ${MORVANE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/morvaneConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/morvaneConfig.cmake
              ${PROJECT_BINARY_DIR}/morvaneConfigVersion.cmake
        DESTINATION ${MORVANE_CMAKE_DIR})

set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VENDOR "the morvane-convert authors")
set(CPACK_PACKAGE_CONTACT "morvane-convert maintainers <maintainers@morvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Converts sprite-animation project files from the old to the new text format")
set(CPACK_PACKAGE_DESCRIPTION
    "morvane-convert converts a sprite-animation project file from the old \
block-structured text format to the new section-and-key format, keeping every \
value byte for byte. morvane-check says where an old-format file stops being \
well formed. The package also holds the static C++ library with its header and \
CMake package configuration.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
else()
  set(CPACK_GENERATOR DEB)
endif()
include(CPack)
