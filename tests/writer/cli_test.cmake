# Both tools' output through the one writer: device names refused before
# any work, a Polish output name, output lost on standard output is exit 2,
# and a full disk (a file-size limit) leaves no file behind.
#   cmake -DCHECK=<tastiro-check> -DMERGE=<tastiro-merge> -DKEYS=<keys.h>
#         -DDATA=<tests/checker/data> -DWORK=<scratch folder> [-DRUNNER=<wine wrapper>] -P cli_test.cmake

set(TOOL ${CHECK})
include(${CMAKE_CURRENT_LIST_DIR}/../support/cli_expect.cmake)
set(check_run ${run})
set(merge_run ${MERGE})
if(RUNNER)
  set(merge_run ${RUNNER} ${MERGE})
endif()

function(expect_no_files name)
  foreach(path ${ARGN})
    if(EXISTS ${WORK}/${path})
      message(FATAL_ERROR "${name}: ${path} was written")
    endif()
  endforeach()
  file(GLOB left ${WORK}/*.tmp)
  if(left)
    message(FATAL_ERROR "${name}: temporary files left: ${left}")
  endif()
endfunction()

file(WRITE ${WORK}/t.txt "{{Imię}} {{Kwota}}[ENTER]\n")
file(WRITE ${WORK}/d.csv "Imię;Kwota\nJan;1,50\n")
file(WRITE ${WORK}/m.txt "Zamówienie[ENTER]\n")
file(READ ${DATA}/cp1250.txt cp1250)  # a macro saved as Windows-1250

# Device names: refused before the inputs are even read (the data named
# here does not exist), in any letter case, with an extension too.
set(run ${merge_run})
foreach(device NUL con Aux.txt lpt1.csv COM9 prn.log.txt)
  expect_run("-o ${device}" 2 --keys ${KEYS} -o ${device} t.txt none.csv)
  expect_in("-o ${device}" "${err}" "Windows keeps for a device")
endforeach()
expect_run("--learn -o aux.txt" 2 --learn --keys ${KEYS} -o aux.txt t.txt d.csv)
expect_in("--learn -o aux.txt" "${err}" "Windows keeps for a device")
set(run ${check_run})
expect_run("--log nul.log" 2 --keys ${KEYS} --log nul.log m.txt)
expect_in("--log nul.log" "${err}" "Windows keeps for a device")
expect_no_files("devices" Aux.txt lpt1.csv prn.log.txt nul.log)

# A Polish output name is that name, never a look-alike without its
# letters (under Wine's ANSI code page 1252 "ż" would become "z").  Wine
# reads the names of its command line in the locale's character set.
set(ENV{LC_ALL} C.UTF-8)
set(run ${check_run})
file(WRITE "${WORK}/zamówienie ż.txt" "${cp1250}")
expect_run("Polish --convert" 0 --convert "zamówienie ż.txt")
if(NOT EXISTS "${WORK}/zamówienie ż-utf8.txt")
  message(FATAL_ERROR "Polish --convert: no 'zamówienie ż-utf8.txt'")
endif()
file(WRITE "${WORK}/raport z.txt" "an unrelated file")
set(run ${merge_run})
expect_run("Polish -o" 0 --keys ${KEYS} --force -o "raport ż.txt" t.txt d.csv)
file(READ "${WORK}/raport z.txt" unrelated)
if(NOT EXISTS "${WORK}/raport ż.txt" OR NOT unrelated STREQUAL "an unrelated file")
  message(FATAL_ERROR "Polish -o: 'raport ż.txt' not written, or 'raport z.txt' replaced")
endif()
set(ENV{LC_ALL} C)

# Output lost on standard output: exit 2 and a message, never a success.
if(EXISTS /dev/full)
  function(expect_full name)
    execute_process(COMMAND ${run} ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                    OUTPUT_FILE /dev/full ERROR_VARIABLE err)
    if(NOT status EQUAL 2)
      message(FATAL_ERROR "${name} >/dev/full: exit status ${status}, expected 2\n${err}")
    endif()
    expect_in("${name} >/dev/full" "${err}" "cannot write to standard output")
  endfunction()
  set(run ${check_run})
  expect_full("tastiro-check --json" --json --keys ${KEYS} m.txt)
  expect_full("tastiro-check" --dry-run --keys ${KEYS} m.txt)
  set(run ${merge_run})
  expect_full("tastiro-merge --dry-run" --dry-run --keys ${KEYS} t.txt d.csv)
  expect_full("tastiro-merge to standard output" --keys ${KEYS} t.txt d.csv)
endif()

# A full disk: a file-size limit makes every write past it fail, as a full
# disk does.  Nothing is left: no truncated copy that would check clean,
# no temporary file, and the next run is not refused.
if(NOT RUNNER)
  string(REPEAT "${cp1250}" 2000 big)
  file(WRITE ${WORK}/big.txt "${big}")
  string(REPEAT "Jan Kowalski;1,50\n" 20000 rows)
  file(WRITE ${WORK}/big.csv "Imię;Kwota\n${rows}")
  function(expect_full_disk name)
    execute_process(COMMAND sh -c "ulimit -f 64 && exec \"$@\"" sh ${run} ${ARGN}
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 2)
      message(FATAL_ERROR "${name} on a full disk: exit status ${status}, expected 2\n${out}\n${err}")
    endif()
    expect_in("${name} on a full disk" "${err}" "the disk is full")
  endfunction()
  set(run ${check_run})
  expect_full_disk("--convert" --convert big.txt)
  expect_no_files("--convert on a full disk" big-utf8.txt)
  expect_run("--convert again" 0 --convert big.txt)
  set(run ${merge_run})
  expect_full_disk("-o" --keys ${KEYS} -o out.txt t.txt big.csv)
  file(WRITE ${WORK}/old.txt "an older merge")
  expect_full_disk("-o --force" --keys ${KEYS} --force -o old.txt t.txt big.csv)
  file(READ ${WORK}/old.txt old)
  if(NOT old STREQUAL "an older merge")
    message(FATAL_ERROR "-o --force on a full disk: old.txt changed")
  endif()
  expect_no_files("-o on a full disk" out.txt)
endif()
