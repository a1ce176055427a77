# Installs the build into a scratch prefix and checks what the desktop needs: the program,
# its menu entry, the data-file type and the icons; and that it speaks English installed. Run by ctest with -DBUILD_DIR and
# -DPREFIX.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path bin/vzr-t8100 share/applications/vzr-t8100.desktop
             share/mime/packages/vzr-t8100.xml
             share/icons/hicolor/16x16/apps/vzr-t8100.png
             share/icons/hicolor/32x32/apps/vzr-t8100.png
             share/icons/hicolor/48x48/apps/vzr-t8100.png
             share/icons/hicolor/128x128/apps/vzr-t8100.png)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# the menu entry opens a data file with the program and claims the data-file type
file(READ "${PREFIX}/share/applications/vzr-t8100.desktop" entry)
foreach(line "Exec=vzr-t8100 %f" "MimeType=application/x-vzr-t8100;" "Icon=vzr-t8100"
             "Type=Application")
  string(FIND "${entry}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "desktop entry lacks: ${line}")
  endif()
endforeach()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}"
                          "${PREFIX}/share/applications/vzr-t8100.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop entry not valid: ${out}")
  endif()
endif()

# the shared MIME database takes the type: *.vzt becomes application/x-vzr-t8100
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${PREFIX}/share/mime"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/share/mime/application/x-vzr-t8100.xml")
    message(FATAL_ERROR "MIME type not taken: ${out}")
  endif()
  file(READ "${PREFIX}/share/mime/globs2" globs)
  string(FIND "${globs}" "application/x-vzr-t8100:*.vzt" at)
  if(at LESS 0)
    message(FATAL_ERROR "*.vzt not bound to the type")
  endif()
endif()

# the installed program speaks the language of the locale: its texts are built into it
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=en_US.UTF-8
                        "${PREFIX}/bin/vzr-t8100" --help
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${out}" "Usage: vzr-t8100 [options]" at)
if(NOT result EQUAL 0 OR at LESS 0)
  message(FATAL_ERROR "the installed program does not speak English: ${out}${err}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
