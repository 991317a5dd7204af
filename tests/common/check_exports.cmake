# Checks that a Windows DLL exports exactly the functions its header marks with an API macro,
# and that its import library was made:
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DLIBRARY=Brimsel.dll -DIMPORT_LIBRARY=libBrimsel.dll.a
#         -DHEADER=engine/engine.h -DMACRO=BS_API -P check_exports.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var OBJDUMP LIBRARY IMPORT_LIBRARY HEADER MACRO)
  if(NOT ${var})
    message(FATAL_ERROR "check_exports.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT EXISTS "${IMPORT_LIBRARY}")
  message(FATAL_ERROR "No import library ${IMPORT_LIBRARY}")
endif()

# Declared: lines that begin "MACRO <type> name(" in the header, one per function.
file(READ "${HEADER}" header)
string(REGEX MATCHALL "\n${MACRO} [^;(]*[ *]([A-Za-z_][A-Za-z0-9_]*)[ \t]*\\(" declarations "${header}")
set(declared "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE ".*[ *]([A-Za-z_][A-Za-z0-9_]*)[ \t]*\\($" "\\1" name "${declaration}")
  list(APPEND declared ${name})
endforeach()
list(SORT declared)

# Exported: the name pointer table of "objdump -p", lines such as "	[   4] bs_init".
execute_process(COMMAND "${OBJDUMP}" -p "${LIBRARY}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed (${rc})")
endif()
# (Brackets would upset CMake's lists, so the names are cut out of the lines first.)
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" lines "${table}")
string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" exported "${lines}")
list(SORT exported)

if(NOT declared)
  message(FATAL_ERROR "No ${MACRO} functions found in ${HEADER}")
endif()
if(NOT exported STREQUAL declared)
  list(JOIN declared " " declaredText)
  list(JOIN exported " " exportedText)
  message(FATAL_ERROR "${LIBRARY} exports what ${HEADER} does not declare, or misses some:\n"
                      "declared: ${declaredText}\nexported: ${exportedText}")
endif()
list(LENGTH exported count)
message(STATUS "${LIBRARY} exports exactly the ${count} ${MACRO} functions of ${HEADER}")
