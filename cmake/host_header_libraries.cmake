# Header-only libraries for a cross build, taken from the host's Debian
# packages. Their package configs would put the host's /usr/include on the
# cross compiler's path, where its glibc headers shadow the target's C library;
# instead each library's own folder is copied into the build tree and an
# imported target of the usual name points at that copy alone.
set(TESSERLINK_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)

# tesserlink_host_header_library(TARGET FOLDER PROBE): FOLDER under the host's
# include directory, PROBE a header in it that proves it is there.
function(tesserlink_host_header_library target folder probe)
  cmake_parse_arguments(PARSE_ARGV 3 arg "OPTIONAL" "" "DEFINITIONS")
  find_path(dir_${folder} NAMES ${folder}/${probe} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT dir_${folder} AND arg_OPTIONAL)
    return()
  elseif(NOT dir_${folder})
    message(FATAL_ERROR "${folder}/${probe} not found in the host's include folders")
  endif()
  file(COPY ${dir_${folder}}/${folder} DESTINATION ${TESSERLINK_HOST_HEADERS})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${TESSERLINK_HOST_HEADERS})
  if(arg_DEFINITIONS)
    target_compile_definitions(${target} INTERFACE ${arg_DEFINITIONS})
  endif()
endfunction()
