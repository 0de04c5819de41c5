// Every text tastiro-merge shows its user, in one place: each a format
// string whose placeholders are filled by Format() (%s for a text, %d and
// %zu for numbers).  The English ones stand here (msg_en); their Polish is
// in merge_texts_pl.def, and msg::kX is the pair, read in the language the tool
// speaks (tools/lang).
#pragma once

#include <stdarg.h>
#include <stddef.h>

#include <string>
#include <type_traits>

#include "tools/lang/lang.h"
#include "tools/lang/printf_format.h"

namespace merge {

// `format` with its placeholders filled, as printf does.
std::string Format(const char *format, ...) TASTIRO_PRINTF(1, 2);

namespace msg_en {

// The table (data) reader.
inline constexpr char kFieldNotClosed[] = "field %d opens a quote that is never closed";
inline constexpr char kTextBehindQuote[] =
    "field %d has text behind its closing quote (a quote inside a quoted field is written "
    "twice: \"\")";
inline constexpr char kQuoteInBareField[] =
    "field %d holds a quote but does not start with one (put the field in quotes and write "
    "the quote twice: \"\")";
inline constexpr char kHeaderNoName[] = "column %zu of the header row has no name";
inline constexpr char kHeaderTwice[] = "columns %zu and %zu have the same name \"%s\"";
inline constexpr char kRowTooShort[] =
    "the row has %zu field%s and the header %zu: column %zu \"%s\" is missing";
inline constexpr char kRowTooLong[] =
    "the row has %zu field%s and the header %zu: field %zu stands behind the last column \"%s\"";
inline constexpr char kBomButCodePage[] =
    "the file starts with UTF-8's byte order mark, but is read as %s (try --data-encoding utf-8)";
inline constexpr char kNotUtf8Data[] =
    "the byte 0x%02X is not utf-8 text (a spreadsheet export in %s? try --data-encoding %s)";
inline constexpr char kNotCodePageData[] = "the byte 0x%02X is not %s text";
inline constexpr char kNotUtf16Data[] =
    "the file starts as UTF-16 (\"Unicode text\") but its bytes at 0x%zX are not UTF-16 text";
inline constexpr char kNulByte[] = "the file holds a NUL byte: it is no text table";
inline constexpr char kNulUtf16[] =
    "the file holds NUL bytes between its letters: a UTF-16 (\"Unicode text\") export without "
    "its byte order mark; save it again as \"CSV UTF-8\" or as \"Unicode text\" with the mark";
inline constexpr char kEmptyFile[] = "the file is empty: it has no header row";
inline constexpr char kReadFailed[] = "cannot read the data: read error";
inline constexpr char kGuessedDelimiter[] =
    "; the delimiter was guessed as %s from the first lines: if it is wrong, give it with "
    "--delimiter ';', ',' or tab";
inline constexpr char kDelimiterSemicolon[] = "';'";
inline constexpr char kDelimiterComma[] = "','";
inline constexpr char kDelimiterTab[] = "tab";


// The template's placeholders.
inline constexpr char kNoSuchColumn[] = "no column is named \"%s\"; the columns are: %s";
inline constexpr char kNearestColumn[] = "; the nearest is \"%s\"";
inline constexpr char kPlaceholderNotClosed[] =
    "\"{{\" is not closed by \"}}\" on its line (a literal \"{{\" is written \"{{{{\")";
inline constexpr char kPlaceholderNameEncoding[] = "the placeholder's name is not %s text (see --encoding)";
inline constexpr char kPlaceholderEmpty[] = "the placeholder \"{{}}\" names no column";

// The merge of values.
inline constexpr char kControlCharacter[] = "the control character %s";
inline constexpr char kCharacter[] = "the character '%s' (%s)";
inline constexpr char kWhereValue[] = "row %zu (%s:%d), column \"%s\"";
inline constexpr char kLineBreakInWord[] =
    ": a line break cannot stand inside a bracketed word of the template";
inline constexpr char kBracketEndsWord[] =
    ": ']' would end the template's bracketed word around the placeholder";
inline constexpr char kNotAsciiInWord[] =
    ": %s cannot stand inside a bracketed word, whose bytes the player takes unconverted (only "
    "ASCII characters can)";
inline constexpr char kBracketWithoutKey[] =
    ": the value holds '[', which would open a bracketed word; the macro types it as the key "
    "whose code is '[' (0x5B), and %s";
inline constexpr char kBracketHint[] = "%s names no such key: add the line \"%s\" to it";
inline constexpr char kLineBreakWithoutKey[] =
    ": the value holds a line break, which the player skips (give the key to type for it with "
    "--newline, e.g. --newline ENTER)";
inline constexpr char kTabWithoutKey[] =
    ": the value holds a tab, which would be typed as the Tab key and move to the next field "
    "(give the key to type for it with --tab, e.g. --tab TAB, or remove the tab from the data)";
inline constexpr char kNonBreakingSpaceStrict[] =
    ": %s, a non-breaking space, is refused with --strict (without --strict it is typed as a "
    "plain space)";
inline constexpr char kNoHostKey[] = ": %s has no key in the host's text (Mazovia): the player would drop it";
inline constexpr char kNotInMacroEncoding[] = ": %s cannot be written in %s (see --encoding)";


// The check of the merged macro and the dry run.
inline constexpr char kRowName[] = "row %zu (%s:%d)";
inline constexpr char kRowNumberPlace[] = ", {{#}}";
inline constexpr char kColumnPlace[] = ", column \"%s\"";
inline constexpr char kHiddenFindings[] =
    "%s:%d:%d: note: %zu more [%s] findings here, for other rows, not shown";
inline constexpr char kDryCommandEffect[] = " (%s)";
inline constexpr char kDryTextTyped[] = "text \"%s\"";
inline constexpr char kDryUserEnter[] = "<the user presses Enter>";
inline constexpr char kDryUserShiftF11[] = "<the user presses Shift+F11>";
inline constexpr char kDryQuestion[] = "<the stop question: %s>";
inline constexpr char kDryPassStart[] = "<playback starts again at the top>";
inline constexpr char kDryStopped[] = "<the macro is stopped>";


// The output file.
inline constexpr char kOutputDanglingLink[] =
    "-o %s is a symbolic link to no file; nothing written";
inline constexpr char kOutputFolder[] = "-o %s is a folder; nothing written";
inline constexpr char kOutputNotRegular[] =
    "-o %s is no ordinary file (a pipe or a device): the merge writes only files; nothing written";
inline constexpr char kOutputExists[] =
    "-o %s exists already; nothing written (give --force to replace it, or choose another name)";
inline constexpr char kOutputReadOnly[] =
    "-o %s is read-only; nothing written (allow writing to it first, or choose another name)";
inline constexpr char kOutputDevice[] =
    "-o %s is a name Windows keeps for a device (NUL, CON, AUX, PRN, COM1-COM9, LPT1-LPT9, also "
    "with an extension): choose another name; nothing written";
inline constexpr char kWriteError[] = "write error";
inline constexpr char kDiskFull[] = "the disk is full (or the file would be larger than allowed)";
inline constexpr char kNoFolder[] = "its folder does not exist";
inline constexpr char kNoPermission[] = "no permission to write there";
inline constexpr char kPlaceFailed[] = "cannot put the new file in place (%s)";


// The command line.
inline constexpr char kUsage[] =
    "usage: tastiro-merge [options] TEMPLATE DATA\n"
    "       tastiro-merge --learn [--at COLUMN=N]... RECORDING DATA -o TEMPLATE\n"
    "       tastiro-merge [options] TEMPLATE DATA --resume LOG -o REST\n"
    "\n"
    "Writes one macro: the template once for every row of the table, {{Name}}\n"
    "replaced by the row's value in the column Name, {{#}} by the row's number\n"
    "({{{{ writes a literal {{).  The merged macro is checked as tastiro-check does.\n"
    "With --learn, writes a template instead: the RECORDING is a macro that typed the\n"
    "table's first row by hand; each of that row's values found in it becomes {{Column}}.\n"
    "\n"
    "  -o, --output FILE        the merged macro ('-': standard output, the default)\n"
    "  --force                  replace FILE when it exists (it keeps its permissions)\n"
    "  --host DIR               the host's folder: its key names and its key delay\n"
    "  --keys FILE              the host's key-name file (default: wtyczki/keys.h)\n"
    "  --before FILE            text played once before the first row\n"
    "  --after FILE             text played once after the last row\n"
    "  --delimiter C            ';', ',' or 'tab' (default: guessed from the first lines)\n"
    "  --data-encoding NAME     utf-8 (default; a BOM is accepted; UTF-16 with its BOM\n"
    "                           is read as well), cp1250, cp852\n"
    "  --template-encoding NAME the template's (and --before's, --after's): utf-8\n"
    "                           (default; a BOM is skipped), cp1250, cp852, mazovia\n"
    "  --encoding NAME          the macro's: utf-8 (default) or mazovia, the host's own\n"
    "  --newline NAME           type a line break inside a value as the key NAME\n"
    "  --tab NAME               type a tab inside a value as the key NAME\n"
    "  --strict                 refuse non-breaking spaces instead of typing spaces\n"
    "  --rows FROM-TO           only these data rows (1-based, header excluded; FROM- to\n"
    "                           the end)\n"
    "  --dry-run                write nothing; show each row's keys on one line\n"
    "  --characters             the dry run with one line for each character\n"
    "  --delay MS               the key delay for the check (default: the one stored in\n"
    "                           VOLMAR.ini of --host or of the current folder)\n"
    "  --at COLUMN=N            --learn: the value of COLUMN is its Nth place in the\n"
    "                           recording\n"
    "  --no-log                 make no log beside FILE (by default FILE's name with\n"
    "                           .log is made, and the player logs the run into it)\n"
    "  --resume LOG             where the run logged in LOG stopped; FILE gets the rows\n"
    "                           from the cut row on\n"
    "  --skip-cut               --resume: the cut row was finished by hand; start after it\n"
    "  --color, --no-color      colours on or off (default: on a terminal only)\n"
    "  -h, --help               this text\n"
    "\n"
    "Exit status: 0 written and clean (with --resume also: all rows typed, nothing\n"
    "left to write), 1 written with warnings, 2 nothing written.\n";
inline constexpr char kToolError[] = "tastiro-merge: error: %s";
inline constexpr char kUsageError[] = "tastiro-merge: %s\n%s";
inline constexpr char kStdoutName[] = "<stdout>";
inline constexpr char kBeforeGroup[] = "--before %s";
inline constexpr char kAfterGroup[] = "--after %s";
inline constexpr char kEmptyOutput[] =
    "-o needs a file name (or '-' for standard output), not an empty text";
inline constexpr char kBadDelimiter[] = "--delimiter is ';', ',' or 'tab'";
inline constexpr char kBadDataEncoding[] = "--data-encoding is utf-8, cp1250 or cp852";
inline constexpr char kBadTemplateEncoding[] =
    "--template-encoding is utf-8, cp1250, cp852 or mazovia";
inline constexpr char kBadEncoding[] = "--encoding is utf-8 or mazovia";
inline constexpr char kRefusedEncoding[] =
    "--encoding %s: the host reads a macro as UTF-8 or in its own text (mazovia); in %s its "
    "Polish letters would be typed as other characters (the merged macro is written in "
    "utf-8, the default, or mazovia; a template saved in %s is read with --template-encoding)";
inline constexpr char kBadRows[] =
    "--rows needs FROM-TO or FROM-, row numbers from 1 on, FROM not above TO";
inline constexpr char kBadDelay[] = "--delay needs a number of milliseconds from 0 to 65535";
inline constexpr char kNeedsValue[] = "%s needs a value";
inline constexpr char kUnknownOption[] = "unknown option %s";
inline constexpr char kNeedsFiles[] = "name a TEMPLATE and a DATA file";
inline constexpr char kLearnNeedsFiles[] = "--learn needs a RECORDING and a DATA file";
inline constexpr char kLearnNeedsOutput[] = "--learn needs -o TEMPLATE, the template to write";

// Inputs.
inline constexpr char kWhatTemplate[] = "template";
inline constexpr char kWhatData[] = "data";
inline constexpr char kWhatBefore[] = "--before text";
inline constexpr char kWhatAfter[] = "--after text";
inline constexpr char kWhatRecording[] = "recording";
inline constexpr char kInputFolder[] = "%s: error: this is a folder, not the %s file; nothing written";
inline constexpr char kDataNotAFile[] =
    "%s: error: the data is not a file but a pipe or a device, and the table is read more than once; save it to a file first; nothing written";
inline constexpr char kCannotRead[] = "%s: error: cannot read the %s: %s";
inline constexpr char kCannotReadKeys[] =
    "%s: error: cannot read the key definitions: %s (name them with --keys or --host)";
inline constexpr char kTemplateNotUtf8[] =
    "%s:%d:%d: error: the byte 0x%02X is not utf-8 text: the file was saved in another code "
    "page, likely %s (say so with --template-encoding %s, or save it as UTF-8); nothing written";
inline constexpr char kTemplateNotCodePage[] =
    "%s:%d:%d: error: the byte 0x%02X is not %s text; nothing written";
inline constexpr char kTemplateCharNotInEncoding[] =
    "%s:%d:%d: error: '%s' cannot be written in %s (see --encoding); nothing written";
inline constexpr char kOutputIsInput[] = "-o %s is an input (%s); nothing written";
inline constexpr char kOptionIsCommand[] =
    "%s %s: %s is a command of the player, not a key; %s needs a key name such as ENTER";
inline constexpr char kOptionNoKey[] = "%s %s: %s has no key of that name that the player finds";
inline constexpr char kFileError[] = "%s%s: error: %s";
inline constexpr char kPlaceError[] = "%s:%d:%d: error: %s";
inline constexpr char kCannotWrite[] = "%s: error: cannot write the merged macro: %s";
inline constexpr char kCannotWriteStdout[] = "cannot write to standard output: %s";
inline constexpr char kRowsBeyond[] = "--rows: %s has %zu data rows; nothing written";

// Warnings about the data, and the summary.
inline constexpr char kEmptyLineRow[] =
    "%s:%d: warning: an empty line inside a one-column table: a row with an empty value";
inline constexpr char kMoreEmptyLines[] = "%s: warning: %zu more empty lines read as rows";
inline constexpr char kOtherCodePage[] =
    "%s:%d: warning: read as %s, the data shows box-drawing characters where %s has Polish "
    "letters (was it saved in %s? then give --data-encoding %s)";
inline constexpr char kNonBreakingSpaces[] =
    "%s: note: %zu non-breaking spaces typed as plain spaces (--strict refuses them)";
inline constexpr char kNoDataRows[] = "%s: warning: the table has a header but no data rows: the macro holds no row";
inline constexpr char kNoRowsChosen[] = "%s: warning: --rows chose no row of the table: the macro holds no row";
inline constexpr char kDelayGiven[] = "given with --delay";
inline constexpr char kDryRunHead[] = "%s: dry run, key delay %u ms, %s";
inline constexpr char kDryRunSummary[] =
    "  rows: %zu; keys: %u; texts typed: %u; commands: %u; user actions: %u; least playback "
    "time: %.1f s";
inline constexpr char kValueError[] = "error: %s";
inline constexpr char kMoreValueErrors[] = "error: ... and %zu more values that cannot be typed";
inline constexpr char kNothingWritten[] = "%zu characters of the data cannot be typed; nothing written";
inline constexpr char kSummary[] = "%zu warning%s, %zu error%s";


// --learn.
inline constexpr char kBadAt[] = "--at needs COLUMN=N, N a number from 1 on";
inline constexpr char kAtNoColumn[] = "--at %s: the table has no column \"%s\"";
inline constexpr char kLearnNoRow[] =
    "%s: error: the table has no data row: its first row is what the recording typed";
inline constexpr char kLearnPlaced[] = "%s:%d:%d: {{%s}} replaces \"%s\"";
inline constexpr char kLearnAmbiguous[] =
    "%s: warning: \"%s\" (column \"%s\") is found %zu times, at %s: left as text (choose one "
    "with --at %s=N, N from 1 to %zu)";
inline constexpr char kLearnMissing[] =
    "%s: warning: \"%s\" (column \"%s\") is not found: the recording does not type it "
    "as the first row holds it; left out of the template";
inline constexpr char kLearnInsideWord[] =
    "%s: warning: \"%s\" (column \"%s\") is found only inside a bracketed word (a key name "
    "or a command): left as text";
inline constexpr char kLearnEmpty[] = "%s: note: column \"%s\" is empty in the first row: nothing to look for";
inline constexpr char kLearnAtTooFar[] =
    "%s: warning: --at %s=%zu: \"%s\" is found %zu times; left as text";
inline constexpr char kLearnBadName[] =
    "%s: warning: the column name \"%s\" cannot stand in a placeholder; left as text";
inline constexpr char kLearnWritten[] =
    "%s: template written: %zu of %zu values placed; merge the other rows with --rows 2-";
inline constexpr char kCannotWriteTemplate[] = "%s: error: cannot write the template: %s";

}  // namespace msg_en

// The texts in both languages: msg::kX reads as the current language's.
namespace msg {
#define POLISH(id, pl) inline constexpr lang::Text id{#id, msg_en::id, pl};
#define BOTH(id, en, pl) inline constexpr lang::Text id{#id, en, pl};
#include "tools/texts/merge_texts_pl.def"
#undef BOTH
#undef POLISH
}  // namespace msg

// Every text of msg, for the test that holds the two languages complete.
extern const lang::Text kMergeTexts[];
extern const size_t kMergeTextCount;

namespace format_detail {
inline const char *Pass(const lang::Text &text) { return text; }
template <class T>
T Pass(T value) {
  static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T>,
                "Format takes numbers and C strings (.c_str())");
  return value;
}
}  // namespace format_detail

// A text of msg with its placeholders filled; a text of msg among the
// values is read in the current language too.
// (The language picks the text at run time, so the compiler cannot check it;
// clang warns of such a format without values, which the texts' test covers.)
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wformat-security"
#endif
template <class... Values>
std::string Format(const lang::Text &format, const Values &...values) {
  return Format(static_cast<const char *>(format), format_detail::Pass(values)...);
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

}  // namespace merge
