# Reads the plug-in's PE tables from the file with objdump (no loader
# involved): ordinal base 30001, ten export entries of which only 30001,
# 30008, 30009 and 30010 lead to code, no names, and imports from KERNEL32,
# USER32 and msvcrt only.
#
#   cmake -DOBJDUMP=... -DDLL=... -P check_pe_tables.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE tables RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump -p ${DLL} failed: ${status}")
endif()

set(failures 0)
macro(expect what actual expected)
  if("${actual}" STREQUAL "${expected}")
    message("ok   ${what}")
  else()
    message("FAIL ${what}: expected '${expected}', got '${actual}'")
    math(EXPR failures "${failures} + 1")
  endif()
endmacro()

string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" _ "${tables}")
expect("export ordinal base 30001" "${CMAKE_MATCH_1}" 30001)
string(REGEX MATCH "Export Address Table[ \t]+([0-9a-f]+)" _ "${tables}")
expect("ten export entries" "${CMAKE_MATCH_1}" 0000000a)
string(REGEX MATCH "\\[Name Pointer/Ordinal\\] Table[ \t]+([0-9a-f]+)" _ "${tables}")
expect("no exported names" "${CMAKE_MATCH_1}" 00000000)

string(REGEX MATCHALL "\\+base\\[([0-9]+)\\]" entries "${tables}")
string(REPLACE "+base[" "" entries "${entries}")
string(REPLACE "]" "" entries "${entries}")
expect("only 30001, 30008, 30009 and 30010 lead to code" "${entries}"
       "30001;30008;30009;30010")

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${tables}")
string(REPLACE "DLL Name: " "" imports "${imports}")
string(TOUPPER "${imports}" imports)
list(SORT imports)
expect("imports from KERNEL32, USER32 and msvcrt only" "${imports}"
       "KERNEL32.DLL;MSVCRT.DLL;USER32.DLL")

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} failed")
endif()
message("all passed")
