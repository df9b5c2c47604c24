# The Windows program: the Win32 window system, the entry point, and the zip and the installer
# that ship.
#
# Also run as a script (cmake -P) by the `package` target to stage the zip's files at build
# time, so that files added to sample/ later are picked up without configuring again.
if(CMAKE_SCRIPT_MODE_FILE)
  file(REMOVE_RECURSE ${STAGE})
  file(MAKE_DIRECTORY ${STAGE})
  # The program and the command-line tools for bank authors, beside it.
  string(REPLACE "|" ";" exes "${EXE}|${TOOLS}")
  foreach(exe IN LISTS exes)
    if(exe STREQUAL "")
      continue()
    endif()
    file(COPY ${exe} DESTINATION ${STAGE})
    # Debug information stays in the build; what ships is stripped of it.
    if(STRIP)
      get_filename_component(exe_name ${exe} NAME)
      execute_process(COMMAND ${STRIP} ${STAGE}/${exe_name} COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
  if(EXISTS ${SAMPLE}/Base)
    file(COPY ${SAMPLE}/Base DESTINATION ${STAGE})
  endif()
  if(EXISTS ${SAMPLE}/readme.txt)
    file(COPY ${SAMPLE}/readme.txt DESTINATION ${STAGE})
  endif()
  # Beside exameo.exe it tells the program to keep its options, progress and results in its
  # own folder, wherever the zip is unpacked.
  if(EXISTS ${SAMPLE}/exameo.ini)
    file(COPY ${SAMPLE}/exameo.ini DESTINATION ${STAGE})
  endif()
  return()
endif()

# The window system on Win32 and the window procedures, without the entry point: the program
# and the Win32 tests link it. Object files rather than an archive, so that they come first at
# link time and the core's calls of the window system bind to them. Every win32/ folder of src/
# (the platform's, and the application's own Win32 part beside its portable folder) adds to it;
# the file layer (files_*.cpp) is in the bank's library, the entry point in the program only.
file(GLOB EXAMEO_WS_WIN32_SOURCES CONFIGURE_DEPENDS ${EXAMEO_SRC}/*/win32/*.cpp)
list(FILTER EXAMEO_WS_WIN32_SOURCES EXCLUDE REGEX "/platform/win32/files_[^/]*$")
set(EXAMEO_WINMAIN ${EXAMEO_WS_WIN32_SOURCES})
list(FILTER EXAMEO_WINMAIN INCLUDE REGEX "/winmain\\.cpp$")
list(FILTER EXAMEO_WS_WIN32_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")
list(LENGTH EXAMEO_WINMAIN winmain_count)
if(NOT winmain_count EQUAL 1)
  message(FATAL_ERROR "expected one winmain.cpp in a win32/ folder of src/, found: ${EXAMEO_WINMAIN}")
endif()
add_library(exameo_ws_win32 OBJECT ${EXAMEO_WS_WIN32_SOURCES})
exameo_unity(exameo_ws_win32)
target_link_libraries(exameo_ws_win32 PUBLIC exameo_core user32 gdi32 comctl32 comdlg32 shell32
                      oleacc oleaut32 ole32 gdiplus)

# The icon, the version and the manifest, compiled by windres; the Win32 tests link them too,
# so that the classes they register find the icon in their own module as the program does, and
# they run DPI-aware as the program does.
enable_language(RC)
add_library(exameo_resources OBJECT ${CMAKE_SOURCE_DIR}/res/exameo.rc)
target_include_directories(exameo_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/exameo.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/exameo.ico;${CMAKE_SOURCE_DIR}/res/exameo.manifest")

# Linked statically, so that no MinGW runtime DLL has to travel beside the program.
add_executable(exameo WIN32 ${EXAMEO_WINMAIN})
target_link_libraries(exameo PRIVATE exameo_ws_win32 exameo_core exameo_resources)
target_link_options(exameo PRIVATE -static -static-libgcc -static-libstdc++)

# exameo-<version>.zip: exameo.exe, the tools exameo-check.exe, exameo-import.exe,
# exameo-export.exe and exameo-review.exe, exameo.ini, the sample database Base\ and the readme,
# in one folder. The tools are defined later (tools/); their files are known when the build is
# generated.
set(EXAMEO_PACKAGE_NAME exameo-${PROJECT_VERSION})
set(EXAMEO_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package/${EXAMEO_PACKAGE_NAME})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
add_custom_target(package
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${EXAMEO_PACKAGE_STAGE} -DEXE=$<TARGET_FILE:exameo>
          "-DTOOLS=$<TARGET_FILE:exameo-check>|$<TARGET_FILE:exameo-import>|$<TARGET_FILE:exameo-export>|$<TARGET_FILE:exameo-review>"
          -DSTRIP=${CMAKE_STRIP}
          -DSAMPLE=${CMAKE_SOURCE_DIR}/sample -P ${CMAKE_CURRENT_LIST_FILE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/${EXAMEO_PACKAGE_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${EXAMEO_PACKAGE_NAME}.zip
          --format=zip ${EXAMEO_PACKAGE_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
  DEPENDS exameo
  COMMENT "Packing ${EXAMEO_PACKAGE_NAME}.zip"
  VERBATIM)
add_dependencies(package exameo-check exameo-import exameo-export exameo-review)

# exameo-<version>-setup.exe beside the zip, from the same staged folder, when NSIS is there
# (Debian's nsis); without it the zip alone, and the build says so.
find_program(EXAMEO_MAKENSIS makensis)
set(EXAMEO_SETUP ${CMAKE_BINARY_DIR}/${EXAMEO_PACKAGE_NAME}-setup.exe)
if(EXAMEO_MAKENSIS)
  add_custom_command(TARGET package POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -f ${EXAMEO_SETUP}
    COMMAND ${EXAMEO_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
            -DSTAGE=${EXAMEO_PACKAGE_STAGE} -DRES=${CMAKE_SOURCE_DIR}/res
            -DOUTFILE=${EXAMEO_SETUP} ${CMAKE_SOURCE_DIR}/res/exameo-setup.nsi
    COMMENT "Building ${EXAMEO_PACKAGE_NAME}-setup.exe"
    VERBATIM)
else()
  add_custom_command(TARGET package POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo
            "makensis was not found: only ${EXAMEO_PACKAGE_NAME}.zip was made, no installer"
    VERBATIM)
endif()
