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
expect_run("example -o" 0 --keys ${KEYS} --data-encoding cp1250 -o klienci.txt --force --rows 2-3
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
file(REMOVE ${WORK}/out.txt)
expect_run("warnings" 1 --keys ${KEYS} -o out.txt warn.txt d.csv)
expect_in("warnings" "${out}" "warn.txt:2:3: warning: [enter] is neither a command nor a key name")
expect_file("warnings" ${WORK}/out.txt "Jan\n  [enter]\n")

# The dry run writes nothing and shows each row's keys.
file(REMOVE ${WORK}/out.txt)
expect_run("dry run" 0 --keys ${KEYS} --dry-run -o out.txt t.txt d.csv)
expect_in("dry run" "${out}" "row 1 (d.csv:2): \"Jan 1,50\" [ENTER]\n")
# With --host the keys and the key delay are the host folder's.
file(MAKE_DIRECTORY ${WORK}/host/wtyczki)
file(COPY ${KEYS} DESTINATION ${WORK}/host/wtyczki)
file(WRITE ${WORK}/host/VOLMAR.ini "[MacroFormFile]\r\nDelay=300\r\n")
expect_run("dry run, --host" 0 --host ${WORK}/host --dry-run t.txt d.csv)
expect_in("dry run, --host" "${out}" "key delay 300 ms, stored in ${WORK}/host/VOLMAR.ini")
expect_in("dry run, --host" "${out}" "least playback time: 0.3 s")
expect_run("dry run, characters" 0 --keys ${KEYS} --characters t.txt d.csv)
expect_in("dry run, characters" "${out}" "row 1 (d.csv:2):\n  1:1       character  'J'")
expect_in("dry run, characters" "${out}" "key        [ENTER] 0x000D")
if(EXISTS ${WORK}/out.txt)
  message(FATAL_ERROR "dry run: out.txt was written")
endif()

# The output file: never replaced unless allowed, and then like for like.
file(WRITE ${WORK}/old.txt "an older merge")
expect_run("-o onto a file" 2 --keys ${KEYS} -o old.txt t.txt d.csv)
expect_in("-o onto a file" "${err}" "--force")
expect_file("-o onto a file" ${WORK}/old.txt "an older merge")
expect_run("--force" 0 --keys ${KEYS} --force -o old.txt t.txt d.csv)
expect_file("--force" ${WORK}/old.txt "Jan 1,50[ENTER]\n")
# A Polish name is that name: under Wine's Western code page the command
# line once read it as "raport z.txt" and wrote over that file instead.
# (Wine reads the names of its command line in the locale's character set.)
set(ENV{LC_ALL} C.UTF-8)
file(WRITE "${WORK}/raport z.txt" "another report")
expect_run("Polish -o name" 0 --keys ${KEYS} --force -o "raport ż.txt" t.txt d.csv)
expect_file("Polish -o name" "${WORK}/raport ż.txt" "Jan 1,50[ENTER]\n")
expect_file("Polish -o name" "${WORK}/raport z.txt" "another report")
set(ENV{LC_ALL} C)
# An option outside its mode is refused, not ignored.
expect_run("--at without --learn" 2 --keys ${KEYS} --at Kwota=1 t.txt d.csv)
expect_in("--at without --learn" "${err}" "--at does not apply to a merge (only with --learn)")
expect_run("--rows with --learn" 2 --keys ${KEYS} --learn --rows 2- t.txt d.csv -o learnt.txt)
expect_in("--rows with --learn" "${err}" "--rows does not apply with --learn")
# (called directly: an empty argument does not survive a list)
execute_process(COMMAND ${run} --keys ${KEYS} -o "" t.txt d.csv WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT out STREQUAL "")
  message(FATAL_ERROR "-o empty: exit status ${status}, wrote ${out}")
endif()
expect_in("-o empty" "${err}" "-o needs a file name")
expect_run("-o -" 0 --keys ${KEYS} -o - t.txt d.csv)
expect_in("-o -" "${out}" "Jan 1,50[ENTER]\n")
file(MAKE_DIRECTORY ${WORK}/folder)
expect_run("-o folder" 2 --keys ${KEYS} --force -o folder t.txt d.csv)
expect_in("-o folder" "${err}" "is a folder")
file(WRITE ${WORK}/locked.txt "kept")
file(CHMOD ${WORK}/locked.txt PERMISSIONS OWNER_READ GROUP_READ)
expect_run("read-only" 2 --keys ${KEYS} --force -o locked.txt t.txt d.csv)
expect_in("read-only" "${err}" "read-only")
expect_file("read-only" ${WORK}/locked.txt "kept")
if(NOT RUNNER)
  # A file's permissions stay; a link keeps pointing at its file, which is
  # replaced; a pipe is refused before anything is read.
  file(WRITE ${WORK}/private.txt "secret")
  file(CHMOD ${WORK}/private.txt PERMISSIONS OWNER_READ OWNER_WRITE)
  expect_run("mode kept" 0 --keys ${KEYS} --force -o private.txt t.txt d.csv)
  execute_process(COMMAND stat -c %a ${WORK}/private.txt OUTPUT_VARIABLE mode
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT mode STREQUAL "600")
    message(FATAL_ERROR "mode kept: private.txt has mode ${mode}")
  endif()
  file(WRITE ${WORK}/target.txt "old")
  file(CREATE_LINK target.txt ${WORK}/link.txt SYMBOLIC)
  expect_run("symlink" 0 --keys ${KEYS} --force -o link.txt t.txt d.csv)
  expect_file("symlink" ${WORK}/target.txt "Jan 1,50[ENTER]\n")
  if(NOT IS_SYMLINK ${WORK}/link.txt)
    message(FATAL_ERROR "symlink: link.txt is no longer a link")
  endif()
  execute_process(COMMAND mkfifo ${WORK}/pipe)
  expect_run("pipe" 2 --keys ${KEYS} --force -o pipe t.txt d.csv)
  expect_in("pipe" "${err}" "no ordinary file")
endif()
# The table is read once, as a stream: a pipe, or "-" for standard input,
# is a table like a file (it was refused: the table was read up to three
# times).
execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${WORK}/d.csv COMMAND ${run} --keys ${KEYS} t.txt -
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "Jan 1,50[ENTER]\n")
  message(FATAL_ERROR "table from a pipe: exit status ${status}\n${out}\n${err}")
endif()
file(GLOB left ${WORK}/*.tmp)
if(left)
  message(FATAL_ERROR "temporary files left: ${left}")
endif()

# Inputs as users have them.
expect_run("folder as data" 2 --keys ${KEYS} t.txt folder)
expect_in("folder as data" "${err}" "is a folder, not the data file")
expect_run("--newline WAIT" 2 --keys ${KEYS} --newline WAIT t.txt lines.csv)
expect_in("--newline WAIT" "${err}" "WAIT is a command of the player, not a key")
file(WRITE ${WORK}/header.csv "Imię;Kwota\n")
expect_run("header only" 1 --keys ${KEYS} t.txt header.csv)
expect_in("header only" "${err}" "header but no data rows")
expect_in("header only" "${err}" "1 warning, 0 errors")
file(WRITE ${WORK}/tab.csv "Imię;Kwota\nJan\tNowak;1\n")
expect_run("tab without --tab" 2 --keys ${KEYS} t.txt tab.csv)
expect_in("tab without --tab" "${err}" "row 1 (tab.csv:2), column \"Imię\": the value holds a tab")
expect_run("--tab" 0 --keys ${KEYS} --tab TAB t.txt tab.csv)
expect_in("--tab" "${out}" "Jan[TAB]Nowak 1[ENTER]")
string(ASCII 194 160 nbsp)  # U+00A0 in UTF-8
file(WRITE ${WORK}/nbsp.csv "Imię;Kwota\nJan;1${nbsp}250,00\n")
expect_run("non-breaking space" 0 --keys ${KEYS} t.txt nbsp.csv)
expect_in("non-breaking space" "${out}" "Jan 1 250,00[ENTER]")
expect_in("non-breaking space" "${err}" "1 non-breaking spaces typed as plain spaces")
expect_run("--strict" 2 --keys ${KEYS} --strict t.txt nbsp.csv)
file(WRITE ${WORK}/many.csv "Imię;Kwota\n€1;€2\n€3;x\n")
expect_run("every character at once" 2 --keys ${KEYS} t.txt many.csv)
expect_in("every character at once" "${err}" "row 2 (many.csv:3), column \"Imię\"")
expect_in("every character at once" "${err}" "3 characters of the data cannot be typed")
file(WRITE ${WORK}/one.csv "Kwota\n1\n\n3\n\n\n")
file(WRITE ${WORK}/one.txt "<{{Kwota}}>\n")
expect_run("one column" 0 --keys ${KEYS} one.txt one.csv)
expect_in("one column" "${out}" "<1>\n<3>\n")
expect_in("one column" "${err}" "one.csv: note: 1 empty row (every field empty) not typed, on line 3; its row number is skipped")
expect_run("one column, kept" 1 --keys ${KEYS} --keep-empty-rows one.txt one.csv)
expect_in("one column, kept" "${out}" "<1>\n<>\n<3>\n")
expect_in("one column, kept" "${err}" "one.csv:3: warning: an empty line inside a one-column table")

# A sheet as an office suite exports it: its sep line, trailing empty
# columns, empty rows written as ";;;;", a stray note in an unnamed column,
# autocorrect quotes and dashes, a quote inside a bare field.  Empty rows
# keep their numbers, for {{#}} and --rows alike.
file(WRITE ${WORK}/biuro.csv "sep=;\r\nNazwa;Uwagi;;\r\nNowak;„pilne”;;\r\n;;;\r\n;;;\r\nKowal;Bez uwag – zwykła dostawa;;notatka\r\nZiel;Monitor 24\";;\r\n")
file(WRITE ${WORK}/biuro.txt "{{#}}. {{Nazwa}}: {{Uwagi}}[ENTER]\n")
expect_run("office export" 0 --keys ${KEYS} biuro.txt biuro.csv)
if(NOT out STREQUAL "1. Nowak: \"pilne\"[ENTER]\n4. Kowal: Bez uwag - zwykła dostawa[ENTER]\n5. Ziel: Monitor 24\"[ENTER]\n")
  message(FATAL_ERROR "office export: ${out}")
endif()
expect_in("office export" "${err}" "2 empty rows (every field empty) not typed, on lines 4, 5; their row numbers are skipped")
expect_in("office export" "${err}" "columns with no name in the header, ignored: 3, 4 (1 cell holds text in them, the first on line 6)")
expect_in("office export" "${err}" "3 office quotes, dashes and ellipses typed in their plain form")
expect_in("office export" "${err}" "biuro.csv:7: note: 1 field holds a quote but does not start with one")
expect_run("office export, --rows 4-" 0 --keys ${KEYS} --rows 4- biuro.txt biuro.csv)
expect_in("office export, --rows 4-" "${out}" "4. Kowal")
string(FIND "${out}" "Nowak" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "--rows 4- typed row 1: ${out}")
endif()
expect_run("office export, --strict" 2 --keys ${KEYS} --strict biuro.txt biuro.csv)
expect_in("office export, --strict" "${err}" "biuro.csv:7: error: field 2 holds a quote")
file(WRITE ${WORK}/puste.csv "Nazwa;NIP;Miasto\nNowak;1;Kraków\n;;\n;;\n")
file(WRITE ${WORK}/puste.txt "{{#}}. {{Nazwa}}, NIP {{NIP}}\n")
expect_run("empty rows" 0 --keys ${KEYS} puste.txt puste.csv)
if(NOT out STREQUAL "1. Nowak, NIP 1\n")
  message(FATAL_ERROR "empty rows: ${out}")
endif()
expect_run("only empty rows chosen" 1 --keys ${KEYS} --rows 2- puste.txt puste.csv)
expect_in("only empty rows chosen" "${err}" "every chosen row of the table is empty")
file(WRITE ${WORK}/guess.csv "Nazwisko, imię;Kwota, zł\nNowak, Jan;1 250,00\n")
file(WRITE ${WORK}/guess.txt "{{Kwota, zł}}\n")
expect_run("delimiter guess" 0 --keys ${KEYS} guess.txt guess.csv)
expect_in("delimiter guess" "${out}" "1 250,00\n")
file(WRITE ${WORK}/guess2.csv "Nazwisko, imię;Kwota, zł\n")
expect_run("delimiter guess named" 2 --keys ${KEYS} guess.txt guess2.csv)
expect_in("delimiter guess named" "${err}" "the delimiter was guessed as ','")

string(ASCII 179 l_cp1250)  # 'ł' in cp1250, a box-drawing line in cp852
file(WRITE ${WORK}/klos.csv "Nazwa\nK${l_cp1250}os\n")
file(WRITE ${WORK}/t1.txt "{{Nazwa}}[ENTER]\n")
expect_run("cp1250 read as cp852" 1 --keys ${KEYS} --data-encoding cp852 t1.txt klos.csv)
expect_in("cp1250 read as cp852" "${err}" "klos.csv:2: warning: read as cp852")
expect_in("cp1250 read as cp852" "${err}" "--data-encoding cp1250")
# cp852 read as cp1250 typed "ZĄbki Poznaä" with exit 0; without
# --data-encoding the letters choose cp852.
string(ASCII 165 a_cp852)  # 'ą' in cp852, 'Ą' in cp1250
string(ASCII 228 n_cp852)  # 'ń' in cp852, 'ä' in cp1250
file(WRITE ${WORK}/zabki.csv "Nazwa\nZ${a_cp852}bki Pozna${n_cp852}\n")
expect_run("cp852 read as cp1250" 1 --keys ${KEYS} --data-encoding cp1250 t1.txt zabki.csv)
expect_in("cp852 read as cp1250" "${err}" "zabki.csv:2: warning: read as cp1250")
expect_in("cp852 read as cp1250" "${err}" "--data-encoding cp852")
expect_run("cp852 guessed" 0 --keys ${KEYS} t1.txt zabki.csv)
expect_in("cp852 guessed" "${out}" "Ząbki Poznań[ENTER]")
expect_in("cp852 guessed" "${err}" "zabki.csv: note: read as cp852")
# UTF-8 read as cp1250: the letters that cannot be typed come with the
# encoding that reads them (it said "'Ă' has no key" with no hint).
file(WRITE ${WORK}/zabki8.csv "Nazwa\nZąbki Poznań\n")
expect_run("UTF-8 read as cp1250" 2 --keys ${KEYS} --data-encoding cp1250 t1.txt zabki8.csv)
expect_in("UTF-8 read as cp1250" "${err}" "zabki8.csv:2: warning: read as cp1250")
expect_in("UTF-8 read as cp1250" "${err}" "--data-encoding utf-8")

# The template is read as carefully as the data; the macro is written only
# in what the host reads back.
file(WRITE ${WORK}/firma.csv "Nazwa\nKowalski\n")
string(ASCII 175 z_cp1250)
file(WRITE ${WORK}/cp1250.txt "Firma ${z_cp1250}ak {{Nazwa}}[ENTER]\n")
expect_run("template in cp1250" 2 --keys ${KEYS} -o firma.txt cp1250.txt firma.csv)
expect_in("template in cp1250" "${err}" "--template-encoding cp1250")
if(EXISTS ${WORK}/firma.txt)
  message(FATAL_ERROR "template in cp1250: firma.txt was written")
endif()
expect_run("template declared" 0 --keys ${KEYS} --template-encoding cp1250 -o firma.txt
           cp1250.txt firma.csv)
expect_file("template declared" ${WORK}/firma.txt "Firma Żak Kowalski[ENTER]\n")
string(ASCII 239 187 191 bom)
file(WRITE ${WORK}/bom.txt "${bom}{{Nazwa}}[ENTER]\n")
expect_run("template with a BOM" 0 --keys ${KEYS} bom.txt firma.csv)
if(NOT out STREQUAL "Kowalski[ENTER]\n")
  message(FATAL_ERROR "template with a BOM: ${out}")
endif()
expect_run("--encoding cp1250" 2 --keys ${KEYS} --encoding cp1250 t.txt d.csv)
expect_in("--encoding cp1250" "${err}" "the host reads a macro as UTF-8 or in its own text")

# --learn: a recording of the first row becomes the template; merged with
# the other rows it types each of them as the recording typed the first.
file(WRITE ${WORK}/klienci2.csv "Nazwa;Miasto;Kwota\nNowak i Syn;Łódź;1 250,00\nWójcik;Kraków;99,00\n")
file(WRITE ${WORK}/nagranie1.txt "[F2]Nowak i Syn[TAB]Łódź[TAB]1 250,00[ENTER]\n[WAITENTER]\n")
expect_run("--learn" 0 --keys ${KEYS} --learn nagranie1.txt klienci2.csv -o szablon.txt)
expect_in("--learn" "${out}" "nagranie1.txt:1:5: {{Nazwa}} replaces \"Nowak i Syn\"")
expect_file("--learn" ${WORK}/szablon.txt "[F2]{{Nazwa}}[TAB]{{Miasto}}[TAB]{{Kwota}}[ENTER]\n[WAITENTER]\n")
expect_run("--learn onto a file" 2 --keys ${KEYS} --learn nagranie1.txt klienci2.csv -o szablon.txt)
expect_in("--learn onto a file" "${err}" "--force")
expect_run("--rows 2-" 0 --keys ${KEYS} --rows 2- szablon.txt klienci2.csv)
if(NOT out STREQUAL "[F2]Wójcik[TAB]Kraków[TAB]99,00[ENTER]\n[WAITENTER]\n")
  message(FATAL_ERROR "--rows 2-: ${out}")
endif()
# --learn over the text as the host typed it: a typo corrected with
# Backspace is the value; a value inside a longer number is not placed; a
# value not found gets the nearest text; --dry-run shows the template.
file(WRITE ${WORK}/faktury.csv "Nazwa;Miasto;Ilosc;Nr\nNowak;Łódź;1;FV/2026/01\nKowal;Gdańsk;3;FV/2026/02\n")
file(WRITE ${WORK}/nagranie3.txt "[F2]Nowka[TAB]Łódx[BACKSPACE]ź[TAB]Faktura FV/2026/01[TAB]1[ENTER]\n")
expect_run("--learn --dry-run" 1 --keys ${KEYS} --learn --dry-run nagranie3.txt faktury.csv)
if(NOT out STREQUAL "[F2]Nowka[TAB]{{Miasto}}[TAB]Faktura {{Nr}}[TAB]{{Ilosc}}[ENTER]\n")
  message(FATAL_ERROR "--learn --dry-run: ${out}")
endif()
expect_in("--learn --dry-run" "${err}" "nagranie3.txt:1:5: warning: \"Nowak\" (column \"Nazwa\") is not found; the nearest text is \"Nowka\"")
expect_in("--learn --dry-run" "${err}" "nagranie3.txt:1:15: {{Miasto}} replaces \"Łódź\", typed with a correction")
expect_in("--learn --dry-run" "${err}" "dry run, no template written")
file(WRITE ${WORK}/nagranie4.txt "Faktura FV/2026/01 Nowak Łódź[ENTER]\n")
expect_run("--learn near a number" 1 --keys ${KEYS} --learn --dry-run nagranie4.txt faktury.csv)
expect_in("--learn near a number" "${out}" "Faktura {{Nr}} {{Nazwa}} {{Miasto}}[ENTER]")
file(WRITE ${WORK}/nagranie5.txt "Faktura FV/2026/01 Nowak Łódź[ENTER]\n")
file(WRITE ${WORK}/faktury2.csv "Nazwa;Miasto;Ilosc;Nr\nNowak;Łódź;1;FV/2026/0\n")
expect_run("--learn inside a number" 1 --keys ${KEYS} --learn --dry-run nagranie5.txt faktury2.csv)
expect_in("--learn inside a number" "${err}" "\"FV/2026/0\" (column \"Nr\") is found only inside a longer word or number, at 1:9")
expect_in("--learn inside a number" "${err}" "\"1\" (column \"Ilosc\") is found only inside a longer word or number, at 1:18")
file(WRITE ${WORK}/pusty-pierwszy.csv "Nazwa;Miasto\n;\nNowak;Łódź\nKowal;Gdańsk\n")
file(WRITE ${WORK}/nagranie6.txt "Nowak, Łódź[ENTER]\n")
expect_run("--learn, an empty first row" 0 --keys ${KEYS} --learn nagranie6.txt pusty-pierwszy.csv -o szablon6.txt)
expect_in("--learn, an empty first row" "${out}" "2 of 2 values placed; merge the other rows with:")
expect_in("--learn, an empty first row" "${out}" " --rows 3- -o szablon6-makro.txt szablon6.txt pusty-pierwszy.csv")
expect_run("--learn without -o" 2 --keys ${KEYS} --learn nagranie3.txt faktury.csv)
expect_in("--learn without -o" "${err}" "--dry-run")

file(WRITE ${WORK}/nagranie2.txt "Nowak i Syn, Nowak i Syn[ENTER]\n")
expect_run("--learn, ambiguous" 1 --keys ${KEYS} --learn nagranie2.txt klienci2.csv -o szablon2.txt)
expect_in("--learn, ambiguous" "${out}" "is found 2 times, at 1:1, 1:14")
expect_in("--learn, ambiguous" "${out}" "--at Nazwa=N")
expect_run("--learn --at" 1 --keys ${KEYS} --learn --at Nazwa=2 nagranie2.txt klienci2.csv
           -o szablon3.txt)
expect_file("--learn --at" ${WORK}/szablon3.txt "Nowak i Syn, {{Nazwa}}[ENTER]\n")

expect_run("bad option" 2 --frobnicate t.txt d.csv)
expect_in("bad option" "${err}" "unknown option --frobnicate")
expect_run("help" 0 --help)
expect_in("help" "${out}" "usage: tastiro-merge")

# The language: the user's, or --lang either way.
expect_run("--lang pl" 2 --lang pl --keys ${KEYS} cp1250.txt firma.csv)
expect_in("--lang pl" "${err}" "błąd: bajt 0xAF nie jest tekstem UTF-8")
expect_in("--lang pl" "${err}" "--template-encoding cp1250")
expect_run("--lang pl help" 0 --lang pl --help)
expect_in("--lang pl help" "${out}" "użycie: tastiro-merge [opcje] SZABLON DANE")
expect_run("bad --lang" 2 --lang de t.txt d.csv)
expect_in("bad --lang" "${err}" "--lang is pl or en")
if(NOT RUNNER)
  set(ENV{LC_ALL} "")
  set(ENV{LANG} pl_PL.UTF-8)
  expect_run("polish" 0 --keys ${KEYS} --template-encoding cp1250 --dry-run cp1250.txt firma.csv)
  expect_in("polish" "${out}" "próbne odtworzenie")
  expect_run("polish, --lang en" 0 --lang en --keys ${KEYS} --template-encoding cp1250 --dry-run
             cp1250.txt firma.csv)
  expect_in("polish, --lang en" "${out}" "dry run")
  set(ENV{LC_ALL} C)
  set(ENV{LANG} C)
endif()
