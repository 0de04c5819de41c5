# The command line of tastiro-check: exit statuses, JSON, the log, options.
#   cmake -DTOOL=<tastiro-check> -DDATA=<tests/checker/data> -DKEYS=<keys.h>
#         -DWORK=<scratch folder> [-DRUNNER=<wine wrapper>] -P cli_test.cmake

include(${CMAKE_CURRENT_LIST_DIR}/../support/cli_expect.cmake)

# A clean macro: status 0 and nothing printed.
expect_run("clean" 0 --keys ${KEYS} ${DATA}/clean.txt)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "clean: printed\n${out}")
endif()

# Warnings: status 1, compiler-style lines with the hint.
expect_run("warnings" 1 --keys ${KEYS} ${DATA}/warnings.txt)
expect_in("warnings" "${out}" "warnings.txt:1:6: warning: [enter] is neither a command nor a key name")
expect_in("warnings" "${out}" "  hint: did you mean [ENTER] (other letter case)?")
expect_in("warnings" "${out}" "warnings.txt:2:1: warning: [RESTART] plays the macro again and again")
expect_in("warnings" "${out}" "2 warnings, 0 errors")

# A file that cannot be read: status 2, also beside warnings of another.
expect_run("missing macro" 2 --keys ${KEYS} ${DATA}/warnings.txt ${WORK}/no-such-macro.txt)
expect_in("missing macro" "${out}" "no-such-macro.txt: error: cannot read the macro")
expect_run("missing keys" 2 ${DATA}/clean.txt)
expect_in("missing keys" "${out}" "wtyczki/keys.h: error: cannot read the key definitions")

# The default key definitions: wtyczki/keys.h in the current folder.
file(MAKE_DIRECTORY ${WORK}/wtyczki)
file(COPY_FILE ${KEYS} ${WORK}/wtyczki/keys.h)
expect_run("default keys" 0 ${DATA}/clean.txt)

# JSON: parses, and holds the findings and the dry run.
expect_run("json" 1 --json --dry-run --delay 250 --keys ${KEYS} ${DATA}/warnings.txt)
string(JSON status GET "${out}" exitStatus)
string(JSON warnings GET "${out}" warnings)
string(JSON id GET "${out}" macros 0 diagnostics 0 id)
string(JSON line GET "${out}" macros 0 diagnostics 0 line)
string(JSON column GET "${out}" macros 0 diagnostics 0 column)
string(JSON kind GET "${out}" macros 0 stream 5 kind)
string(JSON name GET "${out}" macros 0 stream 6 name)
string(JSON least GET "${out}" macros 0 summary leastMillisecondsOnePass)
if(NOT "${status}/${warnings}/${id}/${line}:${column}/${kind}/${name}/${least}" STREQUAL
   "1/2/typed-as-text/1:6/text/RESTART/250")
  message(FATAL_ERROR "json: ${status}/${warnings}/${id}/${line}:${column}/${kind}/${name}/${least}\n${out}")
endif()

# The dry run as text: a line's typed characters as one text, each key,
# command and wait with its place, the count and the time.
expect_run("dry run" 0 --dry-run --keys ${KEYS} ${DATA}/clean.txt)
expect_in("dry run" "${out}" "key delay 100 ms, the default (no VOLMAR.ini to read the host's settings from)")
expect_in("dry run" "${out}" "  1:1       characters \"Dzień dobry!\"")
expect_in("dry run" "${out}" "  1:13      key        [ENTER] 0x000D")
expect_in("dry run" "${out}" "the user presses Enter")
expect_in("dry run" "${out}" "least playback time: 3.400 s = 4 pauses of 100 ms + 1 DELAY (2000 ms) + WAITENTER notices (1000 ms)")
# Each character on its own line behind --characters (which implies --dry-run).
expect_run("characters" 0 --characters --keys ${KEYS} ${DATA}/clean.txt)
expect_in("characters" "${out}" "  1:5       character  'ń'")

# The host's folder: its wtyczki/keys.h and the key delay stored in its
# VOLMAR.ini; --delay still wins.
file(MAKE_DIRECTORY ${WORK}/host/wtyczki)
file(COPY_FILE ${KEYS} ${WORK}/host/wtyczki/keys.h)
file(WRITE ${WORK}/host/VOLMAR.ini "[MacroFormFile]\r\nDelay=300\r\n")
file(WRITE ${WORK}/one-key.txt "a[ENTER]")
expect_run("host folder" 0 --host ${WORK}/host --dry-run ${WORK}/one-key.txt)
expect_in("host folder" "${out}" "key delay 300 ms, stored in ${WORK}/host/VOLMAR.ini")
expect_in("host folder" "${out}" "= 1 pause of 300 ms")
expect_run("host folder, --delay" 0 --host ${WORK}/host --delay 20 --dry-run ${WORK}/one-key.txt)
expect_in("host folder, --delay" "${out}" "key delay 20 ms, given with --delay")

# An empty macro is reported.
file(WRITE ${WORK}/empty.txt "")
expect_run("empty macro" 1 --keys ${KEYS} ${WORK}/empty.txt)
expect_in("empty macro" "${out}" "empty.txt: warning: the file is empty")

# The log: the player's lines, stamped from --log-start on.
expect_run("log" 0 --keys ${KEYS} --log ${WORK}/clean.log --log-start "2026-12-07 10:11:12"
           ${DATA}/clean.txt)
# (file(READ) drops carriage returns; the line ends are compared in hex.)
file(READ ${WORK}/clean.log log)
file(READ ${WORK}/clean.log log_hex HEX)
expect_in("log" "${log}" "2026-12-07=10:11:12 {CHAR: ń}\n")
expect_in("log" "${log}" "2026-12-07=10:11:14 {KOMUNIKAT: Naciśnij klawisz ENTER")
string(HEX "{KOMUNIKAT: Zakończono pracę makra z pliku.}\r\n" last_line_hex)
expect_in("log line ends" "${log_hex}" "${last_line_hex}")

# Options it does not know, and values it cannot use.
expect_run("bad option" 2 --frobnicate ${DATA}/clean.txt)
expect_in("bad option" "${err}" "unknown option --frobnicate")
# A usage error is two lines, what is wrong and where the options are told:
# never the whole help, which would scroll the one that matters away.
if(NOT err MATCHES "^tastiro-check: unknown option --frobnicate\r?\nevery option: tastiro-check --help\r?\n$")
  message(FATAL_ERROR "bad option: not two lines:\n${err}")
endif()
expect_run("bad delay" 2 --delay 70000 ${DATA}/clean.txt)
expect_run("no macro" 2)
expect_run("help" 0 --help)
expect_in("help" "${out}" "usage: tastiro-check")

# The language: the user's (LC_ALL, LC_MESSAGES, LANG; on Windows the
# interface language), or --lang either way.
if(NOT RUNNER)
  set(ENV{LC_ALL} "")
  set(ENV{LANG} pl_PL.UTF-8)
  expect_run("polish" 1 --keys ${KEYS} ${DATA}/warnings.txt)
  expect_in("polish" "${out}" "warnings.txt:1:6: ostrzeżenie: [enter] to ani polecenie, ani nazwa klawisza: zostanie wpisane jako tekst [typed-as-text]")
  expect_in("polish" "${out}" "  podpowiedź: czy chodziło o [ENTER] (inna wielkość liter)?")
  expect_in("polish" "${out}" "ostrzeżenia: 2, błędy: 0")
  expect_run("polish, --lang en" 1 --lang en --keys ${KEYS} ${DATA}/warnings.txt)
  expect_in("polish, --lang en" "${out}" "warning: [enter] is neither a command nor a key name")
  expect_run("polish help" 0 --help)
  expect_in("polish help" "${out}" "użycie: tastiro-check")
  set(ENV{LC_ALL} C)
  set(ENV{LANG} C)
endif()
expect_run("--lang pl" 1 --lang pl --keys ${KEYS} ${DATA}/warnings.txt)
expect_in("--lang pl" "${out}" "ostrzeżenie: [enter] to ani polecenie")
expect_run("--lang pl, JSON" 1 --json --lang pl --keys ${KEYS} ${DATA}/warnings.txt)
string(JSON message GET "${out}" macros 0 diagnostics 0 message)
string(JSON id GET "${out}" macros 0 diagnostics 0 id)
expect_in("--lang pl, JSON" "${id}: ${message}" "typed-as-text: [enter] to ani polecenie")
expect_run("bad --lang" 2 --lang de ${DATA}/clean.txt)
expect_in("bad --lang" "${err}" "--lang is pl or en")

# Code pages.  A Windows-1250 or cp852 macro: one finding, the line shown as
# meant, typed as the host types it; Mazovia, the host's own, and UTF-8 with
# a byte-order mark check clean.
expect_run("cp1250" 1 --keys ${KEYS} ${DATA}/cp1250.txt)
expect_in("cp1250" "${out}" "cp1250.txt:1:4: warning: this file is not UTF-8 but seems saved in Windows-1250")
expect_in("cp1250" "${out}" "this line is typed as \"Zamwienie nr 15/2025\" [code-page]\n  Zamówienie nr 15/2025\n     ^\n")
expect_in("cp1250" "${out}" "cp1250.txt:3:23: warning: [enter] is neither")
expect_in("cp1250" "${out}" "  Proszę sprawdzić cenę.[enter]\n                        ^\n")
expect_in("cp1250" "${out}" "2 warnings, 0 errors")
expect_run("cp852" 1 --keys ${KEYS} --lang pl ${DATA}/cp852.txt)
expect_in("cp852" "${out}" "cp852.txt:1:4: ostrzeżenie: ten plik nie jest zapisany w UTF-8, tylko chyba w stronie kodowej DOS 852")
expect_run("mazovia" 0 --keys ${KEYS} ${DATA}/mazovia.txt)
expect_run("byte-order mark" 0 --keys ${KEYS} ${DATA}/bom.txt)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "byte-order mark: printed\n${out}")
endif()

# --convert: a UTF-8 copy beside the original, which stays; never over a file.
file(COPY ${DATA}/cp1250.txt DESTINATION ${WORK}/convert)
file(SHA256 ${WORK}/convert/cp1250.txt original)
expect_run("convert" 0 --convert ${WORK}/convert/cp1250.txt)
expect_in("convert" "${out}" "written ${WORK}/convert/cp1250-utf8.txt, read as Windows-1250")
file(READ ${WORK}/convert/cp1250-utf8.txt converted)
file(READ ${WORK}/convert/cp1250-utf8.txt converted_hex HEX)
string(HEX "szt.\r\n" crlf_hex)
expect_in("convert keeps the line ends" "${converted_hex}" "${crlf_hex}")
expect_in("convert" "${converted}" "Zamówienie nr 15/2025\nIlość: 12 szt.\nProszę sprawdzić cenę.[enter]\nDziękuję\n")
file(SHA256 ${WORK}/convert/cp1250.txt kept)
file(WRITE ${WORK}/convert/cp1250-utf8.txt "mine")
expect_run("convert, the copy exists" 2 --convert ${WORK}/convert/cp1250.txt)
expect_in("convert, the copy exists" "${err}" "cp1250-utf8.txt exists already: nothing written")
file(READ ${WORK}/convert/cp1250-utf8.txt mine)
if(NOT original STREQUAL kept OR NOT mine STREQUAL "mine")
  message(FATAL_ERROR "convert: a file was changed")
endif()
expect_run("convert, UTF-8" 0 --convert ${DATA}/bom.txt)
expect_in("convert, UTF-8" "${out}" "already UTF-8 text: nothing to convert")
file(COPY ${DATA}/mazovia.txt DESTINATION ${WORK}/convert)
expect_run("convert, --from" 0 --convert --from mazovia ${WORK}/convert/mazovia.txt)
file(READ ${WORK}/convert/mazovia-utf8.txt converted)
expect_in("convert, --from" "${converted}" "Zamówienie nr 15/2025\nIlość: 12 szt.[ENTER]\nDziękuję\n")
# Letters that cannot tell the code page: the copy as the leading reading,
# a warning naming the other and --from (exit 1).
execute_process(COMMAND printf "[F2]\\245b\\n" OUTPUT_FILE ${WORK}/convert/in-doubt.txt)
expect_run("convert in doubt" 1 --convert ${WORK}/convert/in-doubt.txt)
expect_in("convert in doubt" "${err}" "warning: its letters do not tell whether it is saved in the host's own text (Mazovia) or in Windows-1250")
expect_in("convert in doubt" "${err}" "convert again with --from cp1250")
expect_run("--from alone" 2 --from cp1250 ${DATA}/clean.txt)
# A macro saved by Notepad as "Unicode": one finding that names UTF-16 (it
# had 44 warnings and a code-page finding), and a UTF-8 copy (it was
# converted into garbage).
expect_run("UTF-16 macro" 2 --keys ${KEYS} ${DATA}/utf16.txt)
expect_in("UTF-16 macro" "${out}" "utf16.txt:1:1: error: this file is saved as UTF-16")
expect_in("UTF-16 macro" "${out}" "0 warnings, 1 error")
file(COPY ${DATA}/utf16.txt ${DATA}/spolka.txt DESTINATION ${WORK}/convert)
expect_run("convert, UTF-16" 0 --convert ${WORK}/convert/utf16.txt)
expect_in("convert, UTF-16" "${out}" "read as UTF-16")
file(READ ${WORK}/convert/utf16-utf8.txt converted)
expect_in("convert, UTF-16" "${converted}" "Zamówienie nr 15/2025\nIlość: 12 szt.[ENTER]\nDziękuję\n")
# "ÓŁ" in Windows-1250 is well-formed UTF-8 (U+04E3): it passed as UTF-8.
expect_run("SPÓŁKA" 1 --keys ${KEYS} ${DATA}/spolka.txt)
expect_in("SPÓŁKA" "${out}" "seems saved in Windows-1250")
expect_run("convert, SPÓŁKA" 0 --convert ${WORK}/convert/spolka.txt)
file(READ ${WORK}/convert/spolka-utf8.txt converted)
expect_in("convert, SPÓŁKA" "${converted}" "Nowak SPÓŁKA[ENTER]")

# Windows's command window leaves "*.txt" to the program: it names the
# files it matches (elsewhere the shell does).
if(RUNNER)
  file(WRITE ${WORK}/wild/a.txt "a[enter]")
  file(WRITE ${WORK}/wild/b.txt "b[enter]")
  expect_run("wildcard" 1 --keys ${KEYS} ${WORK}/wild/*.txt)
  expect_in("wildcard" "${out}" "wild/a.txt:1:2: warning: [enter]")
  expect_in("wildcard" "${out}" "wild/b.txt:1:2: warning: [enter]")
endif()
