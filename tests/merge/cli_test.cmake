# The command line of tastiro-merge: exit statuses, nothing written on
# errors, -o never replacing an input, the shipped example.
#   cmake -DTOOL=<tastiro-merge> -DKEYS=<keys.h> -DEXAMPLES=<examples>
#         -DWORK=<scratch folder> [-DRUNNER=<wine wrapper>] -P cli_test.cmake

include(${CMAKE_CURRENT_LIST_DIR}/../support/cli_expect.cmake)

function(expect_file name path content)
  file(READ ${path} actual)
  if(NOT actual STREQUAL content)
    message(FATAL_ERROR "${name}: ${path} holds\n${actual}")
  endif()
endfunction()

# The shipped example: a cp1250 spreadsheet export, to stdout and with -o.
expect_run("example" 0 --keys ${KEYS} --data-encoding cp1250
           ${EXAMPLES}/klienci-szablon.txt ${EXAMPLES}/klienci.csv)
expect_in("example" "${out}" "2. Hurtownia [LBRACKET]Centrum]; oddział 2, NIP 5260001122[ENTER]\n")
expect_in("example" "${out}" "ul. Źródlana 3, Gliwice: 75,99 zł[ENTER]\n")
file(WRITE ${WORK}/klienci.txt "an older merge")
expect_run("example -o" 0 --keys ${KEYS} --data-encoding cp1250 -o klienci.txt --rows 2-3
           ${EXAMPLES}/klienci-szablon.txt ${EXAMPLES}/klienci.csv)
file(READ ${WORK}/klienci.txt merged)
expect_in("example -o" "${merged}" "3. Zakład Ślusarski Wójcik")
string(FIND "${merged}" "Piekarnia" at)
if(NOT at EQUAL -1 OR NOT out STREQUAL "")
  message(FATAL_ERROR "--rows 2-3 merged row 1, or printed:\n${merged}\n${out}")
endif()
file(GLOB left ${WORK}/*.tmp)
if(left)
  message(FATAL_ERROR "temporary files left: ${left}")
endif()

# Template and data of the tests below.
file(WRITE ${WORK}/t.txt "{{Imię}} {{Kwota}}[ENTER]\n")
file(WRITE ${WORK}/d.csv "Imię;Kwota\nJan;1,50\n")
file(WRITE ${WORK}/nokeys.h "#define ENTER 13\n")

# -o never replaces an input, whatever it is called.
expect_run("-o template" 2 --keys ${KEYS} -o ./t.txt t.txt d.csv)
expect_in("-o template" "${err}" "is an input")
expect_file("-o template" ${WORK}/t.txt "{{Imię}} {{Kwota}}[ENTER]\n")
expect_run("-o data" 2 --keys ${KEYS} -o d.csv t.txt d.csv)
expect_file("-o data" ${WORK}/d.csv "Imię;Kwota\nJan;1,50\n")

# Errors: status 2, the place named, and nothing written.
function(expect_nothing_written name pattern)
  expect_run("${name}" 2 ${ARGN} -o out.txt)
  expect_in("${name}" "${err}" "${pattern}")
  if(EXISTS ${WORK}/out.txt)
    message(FATAL_ERROR "${name}: out.txt was written")
  endif()
endfunction()
file(WRITE ${WORK}/ragged.csv "Imię;Kwota\nJan;1\nAnna\n")
expect_nothing_written("ragged row" "ragged.csv:3: error: the row has 1 field and the header 2"
                       --keys ${KEYS} t.txt ragged.csv)
file(WRITE ${WORK}/typo.txt "[ENTER]{{Imie}}\n")
expect_nothing_written("unknown column" "typo.txt:1:8: error: no column is named \"Imie\""
                       --keys ${KEYS} typo.txt d.csv)
file(WRITE ${WORK}/bracket.csv "Imię;Kwota\nJan;[1]\n")
expect_nothing_written("'[' without its key" "#define LBRACKET 0x5B"
                       --keys nokeys.h t.txt bracket.csv)
file(WRITE ${WORK}/lines.csv "Imię;Kwota\n\"Jan\nKowalski\";1\n")
expect_nothing_written("line break" "row 1 (lines.csv:2), column \"Imię\"" --keys ${KEYS} t.txt lines.csv)
expect_nothing_written("missing data" "cannot read the data" --keys ${KEYS} t.txt none.csv)
expect_nothing_written("missing keys" "cannot read the key definitions" --keys none.h t.txt d.csv)
expect_nothing_written("unknown --newline" "--newline NOWA_LINIA" --keys ${KEYS} --newline NOWA_LINIA
                       t.txt lines.csv)

# With --newline the line break is the key; with --encoding the bytes change.
expect_run("--newline" 0 --keys ${KEYS} --newline ENTER t.txt lines.csv)
expect_in("--newline" "${out}" "Jan[ENTER]Kowalski 1[ENTER]")

# Warnings of the check: status 1, placed in the template, the macro written.
file(WRITE ${WORK}/warn.txt "{{Imię}}\n  [enter]\n")
expect_run("warnings" 1 --keys ${KEYS} -o out.txt warn.txt d.csv)
expect_in("warnings" "${out}" "warn.txt:2:3: warning: [enter] is neither a command nor a key name")
expect_file("warnings" ${WORK}/out.txt "Jan\n  [enter]\n")

# The dry run writes nothing and shows each row's keys.
file(REMOVE ${WORK}/out.txt)
expect_run("dry run" 0 --keys ${KEYS} --dry-run -o out.txt t.txt d.csv)
expect_in("dry run" "${out}" "row 1 (d.csv:2):\n  1:1       character  'J'")
expect_in("dry run" "${out}" "key        [ENTER] 0x000D")
if(EXISTS ${WORK}/out.txt)
  message(FATAL_ERROR "dry run: out.txt was written")
endif()

expect_run("bad option" 2 --frobnicate t.txt d.csv)
expect_in("bad option" "${err}" "unknown option --frobnicate")
expect_run("help" 0 --help)
expect_in("help" "${out}" "usage: tastiro-merge")
