# Both tools' output through the one writer: device names refused before
# any work, a Polish output name, output lost on standard output is exit 2
# (1 once a file is written), a full disk (a file-size limit) leaves no
# file behind, no input is ever written (by name, hard or symbolic link),
# the log beside -o and --log's rules, and a closed pipe.
#   cmake -DCHECK=<tastiro-check> -DMERGE=<tastiro-merge> -DKEYS=<keys.h>
#         -DDATA=<tests/checker/data> -DWORK=<scratch folder> [-DRUNNER=<wine wrapper>] -P cli_test.cmake

set(TOOL ${CHECK})
include(${CMAKE_CURRENT_LIST_DIR}/../support/cli_expect.cmake)
set(check_run ${run})
set(merge_run ${MERGE})
if(RUNNER)
  set(merge_run ${RUNNER} ${MERGE})
endif()

# No temporary file of the writer left in `folder`.
function(expect_no_temporary name folder)
  file(GLOB left ${folder}/*.tmp)
  if(left)
    message(FATAL_ERROR "${name}: temporary files left: ${left}")
  endif()
endfunction()

function(expect_no_files name)
  foreach(path ${ARGN})
    if(EXISTS ${WORK}/${path})
      message(FATAL_ERROR "${name}: ${path} was written")
    endif()
  endforeach()
  expect_no_temporary("${name}" ${WORK})
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
    expect_status("${name} >/dev/full" "${status}" 2 "${err}")
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
    expect_status("${name} on a full disk" "${status}" 2 "${out}" "${err}")
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

# No input is ever written.  Every file a run writes (-o, the log made
# beside it, --log, a --convert copy) is compared with every file it reads
# by the file's identity: the same name, a hard link, a symbolic link.  A
# match refuses the whole run, exit 2, both named, every file as it was.
file(MAKE_DIRECTORY ${WORK}/same)
set(same ${WORK}/same)
file(WRITE ${same}/t.txt "{{Imię}} {{Kwota}}[ENTER]\n")
file(WRITE ${same}/d.csv "Imię;Kwota\nJan;1,50\n")
file(WRITE ${same}/m.txt "Zamówienie[ENTER]\n")
file(COPY_FILE ${KEYS} ${same}/keys.h)
file(WRITE ${same}/VOLMAR.ini "[MacroFormFile]\r\nDelay=100\r\n")
file(GLOB inputs RELATIVE ${same} ${same}/*)
# Links of each kind to `target` named `name` (in the folder `same`).
function(make_link kind target name)
  file(REMOVE ${same}/${name})
  if(kind STREQUAL "hard")
    file(CREATE_LINK ${same}/${target} ${same}/${name})
  elseif(kind STREQUAL "symbolic")
    file(CREATE_LINK ${target} ${same}/${name} SYMBOLIC)
  else()
    file(COPY_FILE ${same}/${target} ${same}/${name})  # a plain copy: no clash
  endif()
endfunction()
# Runs a tool in `same`; every input must be unchanged and no temporary
# file left.
function(expect_refused name tool pattern)
  foreach(input ${inputs})
    file(SHA256 ${same}/${input} sum_${input})
  endforeach()
  execute_process(COMMAND ${tool} ${ARGN} WORKING_DIRECTORY ${same} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  expect_status("${name}" "${status}" 2 "${out}" "${err}")
  expect_in("${name}" "${err}" "${pattern}")
  foreach(input ${inputs})
    file(SHA256 ${same}/${input} now)
    if(NOT now STREQUAL sum_${input})
      message(FATAL_ERROR "${name}: the input ${input} was written")
    endif()
  endforeach()
  expect_no_temporary("${name}" ${same})
endfunction()
# (Under Wine a symbolic link made here is the file it points to.)
set(kinds name hard symbolic)
set(m ${merge_run} --keys keys.h --host .)
set(c ${check_run} --keys keys.h --host .)
foreach(kind ${kinds})
  if(kind STREQUAL "name")
    # The inputs themselves, named .log: the log beside -o is one of them.
    file(RENAME ${same}/d.csv ${same}/dane.log)
    file(RENAME ${same}/t.txt ${same}/szablon.log)
    set(inputs_before ${inputs})
    file(GLOB inputs RELATIVE ${same} ${same}/*)
    expect_refused("a table named dane.log" "${m}" "the log dane.log, made beside -o dane.txt, is an input (dane.log)"
                   -o dane.txt szablon.log dane.log)
    expect_refused("a template named szablon.log" "${m}" "is an input (szablon.log)"
                   --force -o szablon.txt szablon.log dane.log)
    expect_refused("--before przed.log" "${m}" "is an input (dane.log)" -o dane.txt --before dane.log
                   szablon.log m.txt)
    file(RENAME ${same}/dane.log ${same}/d.csv)
    file(RENAME ${same}/szablon.log ${same}/t.txt)
    set(inputs ${inputs_before})
    expect_refused("--log of the macro" "${c}" "--log m.txt is an input (m.txt)" --log m.txt m.txt)
    expect_refused("--log of the keys" "${c}" "--log keys.h is an input (keys.h)" --log keys.h m.txt)
    expect_refused("--log of the host's settings" "${c}" "is an input" --force --log VOLMAR.ini m.txt)
    expect_refused("-o of the settings" "${m}" "is an input" --force -o VOLMAR.ini t.txt d.csv)
    continue()
  endif()
  # -o and the log beside it as links to each input of the merge; --log as
  # one to each input of the check.
  foreach(input t.txt d.csv keys.h VOLMAR.ini)
    make_link(${kind} ${input} out.txt)
    expect_refused("-o a ${kind} link to ${input}" "${m}" "-o out.txt is an input (" --force -o out.txt t.txt d.csv)
    file(REMOVE ${same}/out.txt)
    make_link(${kind} ${input} out.log)
    expect_refused("out.log a ${kind} link to ${input}" "${m}" "the log out.log, made beside -o out.txt, is an input ("
                   -o out.txt t.txt d.csv)
    file(REMOVE ${same}/out.log)
  endforeach()
  foreach(input m.txt keys.h VOLMAR.ini)
    make_link(${kind} ${input} out.log)
    expect_refused("--log a ${kind} link to ${input}" "${c}" "--log out.log is an input (" --force --log out.log m.txt)
    file(REMOVE ${same}/out.log)
  endforeach()
  make_link(${kind} m.txt m-utf8.txt)
  expect_refused("--convert's copy a ${kind} link" "${check_run}" "the copy m-utf8.txt is an input (m.txt)"
                 --convert m.txt)
  file(REMOVE ${same}/m-utf8.txt)
endforeach()
if(EXISTS ${same}/out.txt OR EXISTS ${same}/dane.txt OR EXISTS ${same}/out.log)
  message(FATAL_ERROR "a refused run wrote a file")
endif()
# The table on standard input, redirected from -o's file.
execute_process(COMMAND ${merge_run} --keys keys.h --force -o d.csv t.txt - INPUT_FILE ${same}/d.csv
                WORKING_DIRECTORY ${same} RESULT_VARIABLE status ERROR_VARIABLE err)
expect_status("-o of the table on standard input" "${status}" 2 "${err}")
expect_in("-o of the table on standard input" "${err}" "-o d.csv is an input (-)")

# A log is added to only when it is empty (how a user asks the player for
# one) or a player's log; any other file stands untouched and the merge is
# refused.  The check's --log replaces a player's run log, or any file,
# only with --force, and says why a run log matters.
set(stamp "2026-12-07=10:11:12 ")
set(WORK ${same})  # expect_run's folder from here on
set(run ${merge_run})
file(WRITE ${same}/pusty.log "")
file(WRITE ${same}/gracz.log "${stamp}{CHAR: J}\r\n")
file(WRITE ${same}/notatki.log "moje notatki\r\n")
foreach(log pusty gracz)
  expect_run("${log}.log added to" 0 --keys keys.h -o ${log}.txt t.txt d.csv)
  file(READ ${same}/${log}.log text)
  expect_in("${log}.log added to" "${text}" "# tastiro-merge: wiersze 1-1; szablon: t.txt; dane: d.csv")
endforeach()
set(inputs notatki.log)
expect_refused("notatki.log is no log" "${merge_run}" "notatki.log, where the log of -o notatki.txt goes, exists and is no player's log"
               --keys keys.h -o notatki.txt t.txt d.csv)
expect_run("notatki.log with --no-log" 0 --keys keys.h --no-log -o notatki.txt t.txt d.csv)
set(run ${check_run})
file(SHA256 ${same}/gracz.log played)
expect_run("--log over a run log" 2 --keys keys.h --log gracz.log m.txt)
expect_in("--log over a run log" "${err}" "--log gracz.log is a player's run log: tastiro-merge --resume reads it")
expect_run("--log over a file" 2 --keys keys.h --log notatki.log m.txt)
expect_in("--log over a file" "${err}" "--log notatki.log exists already; nothing written (give --force")
file(SHA256 ${same}/gracz.log kept)
file(READ ${same}/notatki.log notes)
if(NOT played STREQUAL kept OR NOT notes STREQUAL "moje notatki\n")
  message(FATAL_ERROR "--log replaced a file without --force")
endif()
expect_run("--log --force" 0 --keys keys.h --force --log gracz.log m.txt)
file(READ ${same}/gracz.log text)
expect_in("--log --force" "${text}" "{CHAR: Z}")
expect_run("--force with --convert" 2 --force --convert m.txt)

# Exit statuses tell the truth.  A log that cannot be made is a warning
# (1) saying why; the macro is written.
set(run ${merge_run})
file(MAKE_DIRECTORY ${same}/folder.log)
set(logs folder)
if(NOT RUNNER)
  execute_process(COMMAND mkfifo ${same}/fifo.log)
  file(CREATE_LINK nowhere ${same}/dangling.log SYMBOLIC)
  list(APPEND logs fifo dangling)
endif()
foreach(log ${logs})
  expect_run("${log}.log" 1 --keys keys.h -o ${log}.txt t.txt d.csv)
  expect_in("${log}.log" "${out}" "warning: cannot make the log ${log}.log: it is")
  if(NOT EXISTS ${same}/${log}.txt)
    message(FATAL_ERROR "${log}.log: the macro was not written")
  endif()
endforeach()

# Text lost on standard output after the files were written (a note, the
# closing line) is exit 1, said on standard error; with nothing written, 2.
file(WRITE ${same}/puste.csv "Imię;Kwota\nJan;1,50\n;\n")
if(EXISTS /dev/full)
  function(expect_lost name expected)
    execute_process(COMMAND ${run} ${ARGN} WORKING_DIRECTORY ${same} RESULT_VARIABLE status
                    OUTPUT_FILE /dev/full ERROR_VARIABLE err)
    expect_status("${name} >/dev/full" "${status}" ${expected} "${err}")
    expect_in("${name} >/dev/full" "${err}" "cannot write to standard output")
  endfunction()
  expect_lost("a note of -o" 1 --keys keys.h -o note.txt t.txt puste.csv)
  file(WRITE ${same}/run.log "# tastiro-merge: wiersze 1-1; szablon: t.txt; dane: d.csv\r\n")
  expect_lost("--resume" 1 --keys keys.h t.txt d.csv --resume run.log -o rest.txt)
  foreach(file note.txt note.log rest.txt rest.log)
    if(NOT EXISTS ${same}/${file})
      message(FATAL_ERROR "standard output lost: ${file} not written")
    endif()
  endforeach()
  set(run ${check_run})
  expect_lost("--log" 1 --keys keys.h --dry-run --log check.log m.txt)
  expect_lost("--log, JSON" 1 --keys keys.h --force --json --log check.log m.txt)
endif()

# A closed pipe (`| true`) is a write error like any other: no death by
# SIGPIPE, no temporary file left.  (The tool starts after the pipe's
# reader has gone.)
if(NOT RUNNER)
  function(expect_closed_pipe name expected)
    file(REMOVE ${same}/status)
    execute_process(COMMAND sh -c "{ sleep 0.3; \"$@\"; echo $? >status; } | true" sh ${run} ${ARGN}
                    WORKING_DIRECTORY ${same} ERROR_VARIABLE err)
    file(READ ${same}/status status)
    string(STRIP "${status}" status)
    expect_status("${name} | true" "${status}" ${expected} "${err}")
    expect_in("${name} | true" "${err}" "a closed pipe")
    expect_no_temporary("${name} | true" ${same})
  endfunction()
  set(run ${merge_run})
  file(REMOVE ${same}/note.txt ${same}/note.log)
  expect_closed_pipe("-o with a note" 1 --keys keys.h -o note.txt t.txt puste.csv)
  expect_closed_pipe("standard output" 2 --keys keys.h t.txt d.csv)
  expect_closed_pipe("--dry-run" 2 --keys keys.h --dry-run t.txt d.csv)
  set(run ${check_run})
  expect_closed_pipe("tastiro-check" 2 --keys keys.h --dry-run m.txt)
endif()
