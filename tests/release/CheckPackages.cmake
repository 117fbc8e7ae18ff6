# Checks the release packages as a user receives them (cmake -P, run by ctest):
#   ZIP      the zip: exactly the listed files, in the layout VST3 hosts require, each equal to
#            the file the build made (PLUGINS: the build's plug-ins, DOCS: its documents)
#   SETUP    the installer: a 64-bit Windows program, which 32-bit Windows refuses to start
foreach(var ZIP SETUP PLUGINS DOCS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckPackages.cmake needs -D${var}=...")
  endif()
endforeach()

set(failures 0)
macro(fail text)
  message(SEND_ERROR "${text}")
  math(EXPR failures "${failures} + 1")
endmacro()

# A VST3 bundle on Windows is a folder <name>.vst3 whose Contents/x86_64-win holds the 64-bit
# binary under the bundle's own name; Contents/Resources holds what hosts read without loading.
set(bundle_binary TessivaneReverb.vst3/Contents/x86_64-win/TessivaneReverb.vst3)
set(bundle_moduleinfo TessivaneReverb.vst3/Contents/Resources/moduleinfo.json)
set(expected
  ${bundle_binary}            ${PLUGINS}/${bundle_binary}
  ${bundle_moduleinfo}        ${PLUGINS}/${bundle_moduleinfo}
  TessivaneReverb.dll         ${PLUGINS}/TessivaneReverb.dll
  README.txt                  ${DOCS}/README.txt
  LICENSE.txt                 ${DOCS}/LICENSE.txt
  THIRD-PARTY-NOTICES.txt     ${DOCS}/THIRD-PARTY-NOTICES.txt
)

# The machine a PE image is for: its COFF header's first field, after "PE\0\0".
function(pe_machine file result)
  file(READ ${file} offset HEX OFFSET 60 LIMIT 4)
  string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" offset "${offset}")
  math(EXPR offset "${offset}")
  file(READ ${file} header HEX OFFSET ${offset} LIMIT 6)
  set(${result} ${header} PARENT_SCOPE)
endfunction()
set(pe_x86_64 "504500006486")  # "PE\0\0", then machine 0x8664 little-endian

# ---- The zip -----------------------------------------------------------------------------------
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list ${ZIP}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
list(FILTER listing EXCLUDE REGEX "/$")  # folder entries, if a packer adds them
set(pairs ${expected})
set(wanted "")
while(pairs)
  list(POP_FRONT pairs name built)
  list(APPEND wanted ${name})
endwhile()
list(SORT listing)
list(SORT wanted)
if(NOT listing STREQUAL wanted)
  fail("${ZIP} holds\n  ${listing}\nrather than\n  ${wanted}")
endif()

set(unpacked ${CMAKE_CURRENT_BINARY_DIR}/zip-contents)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()
while(expected)
  list(POP_FRONT expected name built)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${unpacked}/${name} ${built} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("${name} in the zip differs from ${built}")
  endif()
endwhile()
pe_machine(${unpacked}/${bundle_binary} machine)
if(NOT machine STREQUAL pe_x86_64)
  fail("the bundle's binary is not a 64-bit Windows module")
endif()
file(REMOVE_RECURSE ${unpacked})

# ---- The installer -----------------------------------------------------------------------------
pe_machine(${SETUP} machine)
if(NOT machine STREQUAL pe_x86_64)
  fail("${SETUP} is not a 64-bit Windows program")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} package check(s) failed")
endif()
