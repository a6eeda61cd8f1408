# The resources each Windows program carries: the program icon (one .ico
# packed at build time from data/icons/*/z917-converter.png by
# tools/make_ico.py), the application manifest (common controls 6,
# per-monitor DPI awareness, asInvoker, Windows 7 to 11) and a version
# resource from PROJECT_VERSION. The .rc and the manifest come from
# data/windows/*.in; the code reaches the icon as Z917_IDI_PROGRAM from
# "program_resources.h".
#
# The icon is made rather than committed so that data/icons stays its only
# source: a redrawn icon reaches the programs without a second step.
include_guard(GLOBAL)

set(Z917_PRODUCT_NAME "Z917 Journal Converter")
set(Z917_PRODUCT_MAKER "группа Z917 Journal Converter")
set(Z917_WINDOWS_DATA ${CMAKE_CURRENT_LIST_DIR}/../data/windows)
cmake_path(NORMAL_PATH Z917_WINDOWS_DATA)

# The .ico all programs share, made once for the build.
function(z917_program_icon out_var)
  set(ico ${CMAKE_BINARY_DIR}/windows/z917-converter.ico)
  if(NOT TARGET z917_program_icon)
    set(pngs)
    foreach(size 32 48 64 256)
      list(APPEND pngs ${PROJECT_SOURCE_DIR}/data/icons/${size}x${size}/z917-converter.png)
    endforeach()
    add_custom_command(OUTPUT ${ico}
      COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/make_ico.py ${ico} ${pngs}
      DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_ico.py ${pngs}
      COMMENT "Packing the program icon")
    add_custom_target(z917_program_icon DEPENDS ${ico})
  endif()
  set(${out_var} ${ico} PARENT_SCOPE)
endfunction()

# z917_add_windows_resources(TARGET DESCRIPTION): gives the program TARGET
# the icon, the manifest and a version resource whose FileDescription is
# DESCRIPTION (Russian is fine: the .rc is read as UTF-8). Does nothing
# outside Windows builds.
function(z917_add_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  z917_program_icon(Z917_RC_ICON)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(output_name)
    set(Z917_RC_NAME ${output_name})
  else()
    set(Z917_RC_NAME ${target})
  endif()
  set(Z917_RC_DESCRIPTION "${description}")
  set(Z917_RC_PRODUCT "${Z917_PRODUCT_NAME}")
  set(Z917_RC_COMPANY "${Z917_PRODUCT_MAKER}")
  # The year the about window names: a fixed text keeps builds reproducible.
  set(Z917_RC_COPYRIGHT "© 2026 ${Z917_PRODUCT_MAKER}")
  set(Z917_RC_VERSION_DOTS
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
  string(REPLACE "." "," Z917_RC_VERSION_COMMAS "${Z917_RC_VERSION_DOTS}")

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(Z917_RC_MANIFEST ${dir}/${Z917_RC_NAME}.exe.manifest)
  configure_file(${Z917_WINDOWS_DATA}/program.manifest.in ${Z917_RC_MANIFEST} @ONLY)
  configure_file(${Z917_WINDOWS_DATA}/program.rc.in ${dir}/${Z917_RC_NAME}.rc @ONLY)

  target_sources(${target} PRIVATE ${dir}/${Z917_RC_NAME}.rc)
  target_include_directories(${target} PRIVATE ${Z917_WINDOWS_DATA})
  # windres reads the .rc as UTF-8; it does not see the files the .rc names,
  # so they are listed for the rebuild.
  set_source_files_properties(${dir}/${Z917_RC_NAME}.rc PROPERTIES
    COMPILE_OPTIONS "--codepage=65001"
    OBJECT_DEPENDS "${Z917_RC_ICON};${Z917_RC_MANIFEST};${Z917_WINDOWS_DATA}/program_resources.h")
  add_dependencies(${target} z917_program_icon)
endfunction()
