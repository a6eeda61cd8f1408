# The package a Windows user downloads: a .zip of the programs and a
# README.txt, and an NSIS installer of the same files
# (data/windows/installer.nsi). The window program goes in when the build
# has one.
#
# README.txt is UTF-8 with a byte-order mark and CRLF line ends: Notepad
# shows that right on every Windows from 7 on and whatever the system's
# ANSI code page, where CP1251 would be garbled on a non-Cyrillic system and
# UTF-8 without the mark on Notepad before Windows 10 1903.
include_guard(GLOBAL)

set(Z917_README_WINDOW_TEXT [=[
z917-converter.exe — программа с окном: кнопки «Bin --> Xls» и
«Bin --> Xml» спрашивают журнал и имя результата и конвертируют.
]=])

# z917_add_package(TARGET NAME PROGRAMS target... [WINDOW target]
#                  [ALL]): TARGET builds ${CMAKE_BINARY_DIR}/NAME.zip and
# NAME-setup.exe from the PROGRAMS (z917conv, z917gen and z917dump are
# what the installer expects) and, when given, the window program, which
# goes in as z917-converter.exe. Fails the build when makensis is missing.
function(z917_add_package target name)
  cmake_parse_arguments(P "ALL" "WINDOW" "PROGRAMS" ${ARGN})
  find_program(Z917_MAKENSIS makensis)
  if(NOT Z917_MAKENSIS)
    set(Z917_MAKENSIS makensis)
  endif()
  cmake_path(GET name FILENAME base)
  cmake_path(GET name PARENT_PATH parent)
  set(work ${CMAKE_BINARY_DIR}/package-work/${name})
  set(stage ${work}/${base})
  set(zip ${CMAKE_BINARY_DIR}/${name}.zip)
  set(setup ${CMAKE_BINARY_DIR}/${name}-setup.exe)
  z917_program_icon(icon)

  set(Z917_README_WINDOW "")
  set(window_define)
  set(copies)
  set(depends ${P_PROGRAMS})
  set(staged)
  foreach(program ${P_PROGRAMS})
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/)
    list(APPEND staged ${stage}/$<TARGET_FILE_NAME:${program}>)
  endforeach()
  if(P_WINDOW)
    # CRLF here too: configure_file's NEWLINE_STYLE converts only the
    # template's own line ends.
    string(REPLACE "\n" "\r\n" Z917_README_WINDOW "\n${Z917_README_WINDOW_TEXT}")
    set(window_define -DWINDOW=z917-converter.exe)
    list(APPEND copies
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${P_WINDOW}> ${stage}/z917-converter.exe)
    list(APPEND staged ${stage}/z917-converter.exe)
    list(APPEND depends ${P_WINDOW})
  endif()
  set(readme ${work}/README.txt)
  configure_file(${Z917_WINDOWS_DATA}/README.txt.in ${readme} @ONLY NEWLINE_STYLE CRLF)

  # Each file is written under a temporary name and renamed when complete,
  # so a failed step never leaves a package that looks finished.
  add_custom_command(OUTPUT ${zip} ${setup}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage} ${CMAKE_BINARY_DIR}/${parent}
    ${copies}
    # Without the debugging information: a tenth of the size.
    COMMAND ${CMAKE_STRIP} ${staged}
    COMMAND ${CMAKE_COMMAND} -E copy ${readme} ${stage}/README.txt
    COMMAND ${CMAKE_COMMAND} -E chdir ${work}
            ${CMAKE_COMMAND} -E tar cf ${zip}.part --format=zip ${base}
    COMMAND ${CMAKE_COMMAND} -E rename ${zip}.part ${zip}
    COMMAND ${Z917_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DICON=${icon}
            -DOUTFILE=${setup}.part ${window_define} ${Z917_WINDOWS_DATA}/installer.nsi
    COMMAND ${CMAKE_COMMAND} -E rename ${setup}.part ${setup}
    DEPENDS ${depends} ${readme} ${icon} ${Z917_WINDOWS_DATA}/installer.nsi
    COMMENT "Packing ${name}.zip and ${name}-setup.exe"
    VERBATIM)
  if(P_ALL)
    add_custom_target(${target} ALL DEPENDS ${zip} ${setup})
  else()
    add_custom_target(${target} DEPENDS ${zip} ${setup})
  endif()
  add_dependencies(${target} z917_program_icon)
endfunction()

# make windows-package: z917-converter-VERSION-win64.zip and -setup.exe in
# the build folder.
function(z917_add_windows_package)
  if(NOT WIN32)
    return()
  endif()
  set(window)
  if(TARGET z917-converter)
    set(window WINDOW z917-converter)
  endif()
  z917_add_package(windows-package z917-converter-${PROJECT_VERSION}-win64
    PROGRAMS z917conv z917gen z917dump ${window})
endfunction()
