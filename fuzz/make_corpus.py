#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/<target>/, each seed a case the
fuzzers should start from.  The layouts follow the targets' input readers
(fuzz_input.h: little-endian numbers; a byte of 1 is the quiet answer of
every host decision, a byte of 0 the unusual one).

Run it again after changing a target's input layout; the replay tests
(fuzz_replay_*) run every seed in `make test`.  The playback corpus also
holds a few inputs the fuzzer found (found_*), kept because each reaches
lines of the player or the start branch that no seed here reaches; they
are not written by this script.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
QUIET = b"\x01"


def u16(n):
    return struct.pack("<H", n)


def u32(n):
    return struct.pack("<I", n & 0xFFFFFFFF)


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- playback ----------------------------------------------------------------
# u16 macro length, macro, set-up byte (1 log, 2 no keys.h, 4 start with the
# form, 8 missing host functions, 16 hostile host, 32 key delay 0), two bytes
# for the host's set-up (a previous key filter, the state bit), the key
# delay byte unless 32, the missing functions, the tick count, then actions
# and answers.
NO_KEY, ENTER, SHIFT_F11, ANY_KEY, TICKS, WRAP, STATE_BIT, LETTER, PAUSE_OVER = (
    1, 8, 9, 10, 11, 12, 13, 14, 15)


def playback(name, macro, setup=0, actions=b"", delay=12, missing=(), ticks=1000,
             host=QUIET * 2):
    data = u16(len(macro)) + macro + bytes([setup]) + host
    if not setup & 32:
        data += bytes([delay])
    if setup & 8:
        data += bytes([len(missing) - 1]) + bytes(position - 1 for position in missing)
    data += u32(ticks) + actions
    write("playback", name, data)


quiet_calls = QUIET * 64
playback("plain_text", b"Hello, world", actions=quiet_calls)
playback("plain_text_logged", b"Hello, world", setup=1, actions=quiet_calls)
playback("key_names", b"[ENTER]abc[TAB][F3][HOME]", setup=1, actions=quiet_calls)
playback("line_breaks", b"a\r\nb\r\n\r\nc\n", setup=1, actions=quiet_calls)
playback("wait_enter", b"x[WAITENTER]y", setup=1,
         actions=QUIET * 8 + (bytes([PAUSE_OVER, ENTER]) + QUIET * 6) * 4)
playback("wait_silently", b"[WAIT]z[wait][Waitenter]", setup=1,
         actions=QUIET * 4 + bytes([LETTER, ENTER]) + QUIET * 16)
playback("halt_resume", b"[HALT]y", setup=1,
         actions=QUIET * 4 + bytes([ENTER]) + QUIET * 4 + bytes([SHIFT_F11]) + QUIET * 8)
# RESTART loops until Shift+F11 and a yes (an answer byte of 0).
playback("restart_stop", b"ab[RESTART]", setup=1,
         actions=QUIET * 20 + (bytes([PAUSE_OVER, SHIFT_F11]) + b"\x02\x02" + QUIET * 4) * 4)
playback("restart_stop_no", b"ab[RESTART]", setup=1,
         actions=QUIET * 20 + bytes([PAUSE_OVER, SHIFT_F11]) + QUIET * 12 +
         bytes([PAUSE_OVER, SHIFT_F11]) + b"\x02\x02" + QUIET * 8)
playback("delay_holds_keys", b"[DELAY]abc", setup=1,
         actions=QUIET * 2 + bytes([LETTER, LETTER, ENTER, TICKS]) + u16(1999) +
         bytes([LETTER, PAUSE_OVER, LETTER]) + QUIET * 8)
playback("sf11_command", b"[SF11]z", setup=1, actions=QUIET * 4 + bytes([PAUSE_OVER]) + QUIET * 8)
playback("long_word", b"[abcdefghijklmnopqrstuvwxyz]tail]", setup=1, actions=quiet_calls)
playback("word_of_19", b"[abcdefghijklmnopqrs][abcdefghijklmnopqrst]", setup=1,
         actions=quiet_calls)
playback("open_bracket_at_end", b"ab[", setup=1, actions=quiet_calls)
playback("cut_word_at_end", b"ab[WAITEN", setup=1, actions=quiet_calls)
playback("empty_word", b"[][]x", setup=1, actions=quiet_calls)
playback("start_form", b"typed by the form", setup=4 | 1,
         actions=bytes([SHIFT_F11]) + QUIET * 40)
playback("start_form_picker", b"[ENTER]", setup=4 | 1,
         actions=bytes([SHIFT_F11, 1, 0, 0, 1, 0]) + b"makro.txt" + QUIET * 40)
playback("missing_post_key", b"ab[ENTER]", setup=8 | 1, missing=(35, 13),
         actions=quiet_calls)
playback("missing_flags_and_ask", b"[HALT]ab", setup=8 | 1, missing=(11, 18, 33),
         actions=QUIET * 4 + bytes([SHIFT_F11]) + QUIET * 8)
playback("hostile_host", b"[ENTER]abc[NAPIS]", setup=16 | 1, actions=b"\x00" * 48)
playback("no_delay", b"[ENTER][ENTER][TAB]", setup=32 | 1,
         actions=QUIET * 2 + bytes([LETTER]) + QUIET * 8)
playback("tick_wrap", b"[ENTER]abc", setup=1,
         actions=bytes([WRAP, 0xF0]) + QUIET + bytes([LETTER, TICKS]) + u16(300) +
         bytes([LETTER]) + QUIET * 8, ticks=0xFFFFFF00)
playback("host_refuses", b"abc", setup=1, actions=b"\x01\x00" * 24)
playback("mazovia_and_nul", bytes([0x86, 0x8D, 0x00, 0xA4, 0xFF, 0x5B, 0x00, 0x5D, 0x7F]),
         setup=1, actions=quiet_calls)
playback("odd_answers", b"[ENTER]a[b]c", setup=1, actions=bytes(range(0, 256, 3)))
playback("previous_filter", b"abc[ENTER]", setup=1, host=b"\x00\x01",
         actions=QUIET * 4 + bytes([LETTER]) + QUIET * 4 + b"\x00\x02" + QUIET * 16)
playback("inner_calls", b"[WAITENTER]ab[HALT]c[xyz]", setup=1,
         actions=(b"\xff\x00\x01\x02\x03\x04\xc0\x05" + QUIET * 4) * 8)
playback("state_bit", b"abc", setup=1, host=b"\x01\x00",
         actions=bytes([STATE_BIT, NO_KEY, ANY_KEY]) + u32(0x12348700) + QUIET * 8)

# ---- key_names --------------------------------------------------------------
# mode byte (3: 0 as is, 1 repeated to 10,000 lines, 2 without the final line
# end, 3 repeated 300 times; 4: no file), the host's three answers
# (HostCalloc, HostFileOpenW, HostRealloc), then the file.
KEYS_H = (b"/* key codes of the host */\n#ifndef KEYS_H\n#define KEYS_H\n"
          b"#define ENTER 13\n#define TAB\t9\n#define F3 0x3D00\n#define HOME 0x4700\n"
          b"#define SHIFT_F11 0x8700\n#define END 0X4F00\n#endif\n")


def key_names(name, content, mode=0, answers=QUIET * 3):
    write("key_names", name, bytes([mode]) + answers + content)


key_names("keys_h", KEYS_H)
key_names("keys_h_crlf", KEYS_H.replace(b"\n", b"\r\n"))
key_names("odd_lines", b"// #define COMMENTED 65\n   #define INDENTED 66\nx#define GLUED 5\n"
          b"#define MINUS -65\n#define OTHER OTHER1\n#define ZERO 0\n#define NOVALUE\n"
          b"#define TEXT abc\n#define OCTAL 010\n#define NINE 09\n#define WIDE 0x10000\n"
          b"#define BIG 99999999999\n#define  EMPTY 13\n#define A_VERY_LONG_KEY_NAME 7\n"
          b"#define DUP 5\n#define DUP 6\n#define WAIT 0x4800\n#DEFINE LOWER 5\n#define\n")
key_names("long_line", b"#define FIRST 1\n" + b"x" * 250 + b"#define SPLIT 77\n" + b"y" * 600 +
          b"\n#define AFTER 2\n")
key_names("nul_bytes", b"#define BEFORE\x00NUL 5\n#def\x00ine X 6\n#define NAME 7\x00 8\n")
key_names("no_final_line_end", b"#define ONE 1\n#define LAST 0x4F00", mode=2)
key_names("ten_thousand", b"#define K 1\n", mode=1)
key_names("ten_thousand_distinct", b"#define KEY_A 0x4700\n#define KEY_B 0x4800\n", mode=1)
key_names("over_300", b"#define KEY 1\n#define  SKIP 2\n#define TAB 9\n", mode=3)
key_names("no_memory", KEYS_H, answers=b"\x00" + QUIET * 2)
key_names("no_file", KEYS_H, mode=4)
key_names("open_fails", KEYS_H, answers=QUIET + b"\x00" + QUIET)
key_names("no_shrink", KEYS_H, answers=QUIET * 2 + b"\x00")
key_names("empty_file", b"")
key_names("comments_only", b"/* nothing here */\n// #undef X\n")
key_names("numbers", b"#define A 0x\n#define B 0xFFFF\n#define C 65535\n#define D 65536\n"
          b"#define E 4294967297\n#define F 0177777\n#define G 2147483648\n")

# ---- log_line ---------------------------------------------------------------
# mode byte (1: no log, 2: hostile host, 4: key table loaded), then up to 8
# lines: a byte (0, 4, ...: a key line with a u32 key; else a format), the
# number of pieces, and per piece a byte (0: a directive, else literal text).


def literal(text):
    return b"\x01" + u16(len(text)) + text


def directive(conversion, flag=None, width=None, precision=None, argument=b""):
    order = "scduX"
    shape = order.index(conversion)
    extra = b""
    if flag is not None:
        shape |= 0x08
        extra += bytes([flag])
    if width is not None:
        shape |= 0x10
        extra += u16(width)
    if precision is not None:
        shape |= 0x20
        extra += u16(precision)
    body = b"\x00" + bytes([shape]) + extra
    if conversion == "s":
        return body + u16(len(argument)) + argument
    return body + u32(int.from_bytes(argument or b"\x00", "little"))


def format_line(*pieces):
    return b"\x01" + bytes([len(pieces)]) + b"".join(pieces)


def key_line(key):
    return b"\x00" + u32(key)


def log_line(name, mode, *lines):
    write("log_line", name, bytes([mode]) + b"".join(lines))


log_line("key_lines", 4, key_line(13), key_line(0x41), key_line(0x8700), key_line(0xFFFFFFFF),
         key_line(0x2500), key_line(0x7))
log_line("key_lines_without_names", 0, key_line(13), key_line(0x4800), key_line(0x100))
log_line("napis", 0, format_line(literal(b"{NAPIS: "), directive("s", argument=b"abcdefghij"),
                                 literal(b"}\n")))
log_line("percent_in_text", 0, format_line(literal(b"[%s] 100%"), directive("s", argument=b"%s%d%n")))
log_line("long_argument", 0, format_line(literal(b"{KOMUNIKAT: "), directive("s", argument=b"w" * 4000),
                                         literal(b"}\n")))
log_line("long_literal", 0, format_line(literal(b"L" * 2047), literal(b"M" * 2047)))
log_line("wide_directives", 0, format_line(directive("s", width=9999, argument=b"right"),
                                           directive("d", flag=ord("+"), width=40, precision=30,
                                                     argument=b"\xff\xff\xff\xff")))
log_line("exactly_at_the_cut", 0,
         format_line(literal(b"x" * 2000), literal(b"x" * (3077 - 20 - 2000 - 1)),
                     directive("c", argument=b"A"),
                     directive("X", flag=ord("#"), width=8, argument=b"\x00\x87")))
log_line("char_zero", 0, format_line(literal(b"{CHAR: "), directive("c", argument=b"\x00"),
                                     literal(b"}\n")))
log_line("no_log", 1, format_line(literal(b"nothing"), directive("u", argument=b"\x05")))
log_line("hostile_stamp", 2, format_line(literal(b"stamped "), directive("s", argument=b"x")) * 4)
log_line("four_directives", 4, format_line(directive("s", flag=ord("-"), width=12, argument=b"ab"),
                                           directive("u", flag=ord("0"), width=6, argument=b"\x10"),
                                           directive("X", width=4, argument=b"\xff\x00"),
                                           directive("s", precision=3, argument=b"truncated")))


# code_page: a page byte (0 cp1250, 1 cp852, 2 Mazovia, 3 UTF-8), then
# tokens: 4 a word (its length - 1, its style: 0 small, 1 a capital first,
# 2 capitals, then a letter index each: 0-25 a-z, 26-34 ąćęłńóśźż), 0 a
# separator (its index), 3 a sign (its index).
CP_LETTERS = "abcdefghijklmnopqrstuvwxyząćęłńóśźż"


def cp_word(word, style):
    return bytes([4, len(word) - 1, style]) + bytes(CP_LETTERS.index(c) for c in word)


def code_page(name, page, *tokens):
    write("code_page", name, bytes([page]) + b"".join(tokens))


SPACE = b"\x00\x00"
for page, label in ((0, "cp1250"), (1, "cp852"), (2, "mazovia"), (3, "utf8")):
    code_page("dabrowa_" + label, page, cp_word("dąbrowa", 1), SPACE, cp_word("ząbki", 1))
    code_page("sentence_" + label, page, cp_word("zażółć", 1), SPACE, cp_word("gęślą", 0), SPACE,
              cp_word("jaźń", 0), b"\x00\x01", cp_word("łódź", 2), b"\x03\x00", cp_word("świętokrzyska", 1))
    code_page("lone_letters_" + label, page, cp_word("ł", 0), SPACE, cp_word("ź", 1), SPACE, cp_word("ó", 0))
# (found_times_sign, kept: "×" standing alone is Mazovia's "ś" in cp852.)
code_page("cma_cp852", 1, *(cp_word("ćma", 1) + SPACE for _ in range(12)))
