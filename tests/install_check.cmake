# Installs the build into a fresh prefix and checks that the program and its
# manual page land where users and `man` look for them.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -DBINDIR=bin -DMANDIR=share/man -P install_check.cmake
foreach(required BUILD_DIR PREFIX BINDIR MANDIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "install_check.cmake needs -D${required}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

# An absolute install directory stays where it is, whatever the prefix.
foreach(kind BINDIR MANDIR)
  if(IS_ABSOLUTE "${${kind}}")
    set(${kind}_PATH "${${kind}}")
  else()
    set(${kind}_PATH "${PREFIX}/${${kind}}")
  endif()
endforeach()
set(program "${BINDIR_PATH}/tesserlink")
set(manual "${MANDIR_PATH}/man1/tesserlink.1")
if(NOT EXISTS "${program}" OR IS_DIRECTORY "${program}")
  message(FATAL_ERROR "not installed: ${program}\n${output}")
endif()
if(NOT EXISTS "${manual}")
  message(FATAL_ERROR "not installed: ${manual}\n${output}")
endif()
# The installed program runs on its own: with no input it prompts, finds no
# control card name and ends with status 2.
execute_process(
  COMMAND "${program}"
  INPUT_FILE /dev/null
  RESULT_VARIABLE status
  OUTPUT_VARIABLE console
  ERROR_QUIET)
if(NOT status EQUAL 2 OR NOT console STREQUAL "Enter control card file name:\n")
  message(FATAL_ERROR "the installed program does not run: status ${status}, output '${console}'")
endif()
file(READ "${manual}" page LIMIT 200)
if(NOT page MATCHES "^\\.TH TESSERLINK 1")
  message(FATAL_ERROR "${manual} is not the tesserlink manual page")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed ${program} and ${manual}")
