# make package: build/z917-converter_VERSION_amd64.deb, by CPack's DEB
# generator, of what cmake --install puts under /usr, with the manual
# pages, the copyright file and the changelog a Debian package carries. Linux only:
# the Windows build has its own package (windows_package.cmake).
include_guard(GLOBAL)
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(Z917_DEBIAN_DATA ${PROJECT_SOURCE_DIR}/data/debian)
set(Z917_MAINTAINER "Z917 Journal Converter team <team@z917-converter.example.org>")
# When this version was released: the changelog's date and, unless the
# caller sets SOURCE_DATE_EPOCH, the time of every file in the package, so
# that the same sources give the same .deb. Move it with the version.
set(Z917_RELEASE_EPOCH 1796774400)

# z917_add_debian_files(): makes and installs the manual pages, the
# changelog and the copyright file, with dates of the package's time,
# which it leaves in Z917_PACKAGE_EPOCH.
function(z917_add_debian_files)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(Z917_PACKAGE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  else()
    set(Z917_PACKAGE_EPOCH ${Z917_RELEASE_EPOCH})
  endif()
  # string(TIMESTAMP) reads the time from SOURCE_DATE_EPOCH only.
  set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${Z917_PACKAGE_EPOCH})
  string(TIMESTAMP Z917_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  string(TIMESTAMP Z917_MAN_DATE "%Y-%m-%d" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

  # The manual pages of the programs the build has.
  set(pages z917conv)
  if(TARGET z917-converter)
    list(APPEND pages z917-converter)
  endif()

  # Each file gzipped as Debian wants it: -n keeps the name and time out, so
  # that the same text gives the same bytes.
  set(dir ${CMAKE_BINARY_DIR}/debian)
  configure_file(${Z917_DEBIAN_DATA}/changelog.in ${dir}/doc/changelog @ONLY)
  configure_file(${Z917_DEBIAN_DATA}/copyright.in ${dir}/doc/copyright @ONLY)
  set(gzip_files doc/changelog)
  set(man_pages)
  foreach(page ${pages})
    configure_file(${PROJECT_SOURCE_DIR}/data/man/${page}.1 ${dir}/man/${page}.1 @ONLY)
    list(APPEND gzip_files man/${page}.1)
    list(APPEND man_pages ${dir}/man/${page}.1.gz)
  endforeach()
  set(gzipped)
  foreach(file ${gzip_files})
    add_custom_command(OUTPUT ${dir}/${file}.gz
      COMMAND gzip -9n -c ${file} > ${file}.gz
      DEPENDS ${dir}/${file}
      WORKING_DIRECTORY ${dir}
      COMMENT "Compressing ${file}")
    list(APPEND gzipped ${dir}/${file}.gz)
  endforeach()
  add_custom_target(z917_debian_files ALL DEPENDS ${gzipped})

  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The package's name, where CMAKE_INSTALL_DOCDIR would take the project's.
  install(FILES ${dir}/doc/changelog.gz ${dir}/doc/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/z917-converter)
  set(Z917_PACKAGE_EPOCH ${Z917_PACKAGE_EPOCH} PARENT_SCOPE)
endfunction()
z917_add_debian_files()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME z917-converter)
set(CPACK_PACKAGE_VENDOR "Z917 Journal Converter team")
set(CPACK_PACKAGE_CONTACT "${Z917_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of Z917 cash-register journals to Excel and XML")
# No line may start with a dot: Debian reads that as a control statement.
set(CPACK_PACKAGE_DESCRIPTION [=[
Turns the electronic journal of a Z917 fiscal cash register (a .bin file
copied off the register) into an Excel workbook (.xlsx, or .xls for Excel
97-2003) or an XML document, one row or element per journal entry.
.
The package holds z917conv, for the command line and scripts, and
z917-converter, a window with a desktop entry.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# A release build's debugging information has no place in /usr/bin.
set(CPACK_STRIP_FILES ON)
# The folders CPack makes, whatever the umask of whoever packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Read by cpack itself: the package's times unless the caller chose them.
set(Z917_CPACK_OPTIONS ${CMAKE_BINARY_DIR}/debian/cpack_options.cmake)
file(WRITE ${Z917_CPACK_OPTIONS}
  "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n"
  "  set(ENV{SOURCE_DATE_EPOCH} ${Z917_PACKAGE_EPOCH})\n"
  "endif()\n")
set(CPACK_PROJECT_CONFIG_FILE ${Z917_CPACK_OPTIONS})
include(CPack)
