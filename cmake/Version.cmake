# The reverb's version, read from the header that the plug-in itself compiles, so that the
# project, the module resources, moduleinfo.json and the release packages cannot disagree
# with what hosts are told. Included before project(), which takes TESSIVANE_VERSION.
set(version_header "${CMAKE_CURRENT_LIST_DIR}/../Reverb/ReverbVersion.h")
file(READ "${version_header}" version_source)
foreach(part MAJOR MINOR PATCH)
  if(NOT version_source MATCHES "#define TESSIVANE_VERSION_${part} +([0-9]+)")
    message(FATAL_ERROR "${version_header} does not define TESSIVANE_VERSION_${part}")
  endif()
  set(TESSIVANE_VERSION_${part} ${CMAKE_MATCH_1})
endforeach()
set(TESSIVANE_VERSION "${TESSIVANE_VERSION_MAJOR}.${TESSIVANE_VERSION_MINOR}.${TESSIVANE_VERSION_PATCH}")

# The header spells the version twice, as numbers and as text; a release must not ship with
# the two apart.
string(REPLACE "." "\\." version_pattern "${TESSIVANE_VERSION}")
if(NOT version_source MATCHES "#define TESSIVANE_VERSION_TEXT +\"${version_pattern}\"")
  message(FATAL_ERROR "TESSIVANE_VERSION_TEXT in ${version_header} is not \"${TESSIVANE_VERSION}\"")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${version_header}")

# "cmake -P cmake/Version.cmake" prints the version, for scripts.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${TESSIVANE_VERSION}")
endif()
