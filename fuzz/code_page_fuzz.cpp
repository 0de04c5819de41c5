// Fuzz target: the one code-page guess (tools/reader/polish_guess.h).
//
// Input: one byte choosing the code page the text is saved in (cp1250,
// cp852, Mazovia or UTF-8), then bytes that make a Polish text in form:
// words of ASCII and Polish letters, small, with a capital first, or in
// capitals throughout, none starting with ą, ę or ń; between them spaces,
// line breaks, digits and punctuation, and signs a Polish text holds (§, °,
// –, „, ×) standing alone, where the code page has them.
//
// Invariant: a text written in one code page is never read in another
// without a warning.
//   - as a macro (the weighing among UTF-8, Mazovia, cp1250, cp852): the
//     reading it is taken in gives the text back, or the weighing is in
//     doubt, and nothing clearly leads the reading it was saved in;
//   - as a table (saved in UTF-8, cp1250 or cp852; the reader's guess): the
//     text comes back, or the reader fails, or it says another encoding
//     reads it better or that the letters could not tell.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "tools/codec/code_pages.h"
#include "tools/reader/polish_guess.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

namespace {

using codec::CodePage;

constexpr CodePage kSaved[] = {CodePage::kCp1250, CodePage::kCp852, CodePage::kMazovia, CodePage::kUtf8};
const char32_t kLetters[] = U"abcdefghijklmnopqrstuvwxyząćęłńóśźż";
const char32_t kPolishLower[] = U"ąćęłńóśźż";
const char32_t kPolishUpper[] = U"ĄĆĘŁŃÓŚŹŻ";
const char32_t kSigns[] = U"§°–„×±«»”";

char32_t Upper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  for (int i = 0; i < 9; ++i)
    if (kPolishLower[i] == c) return kPolishUpper[i];
  return c;
}

bool Fits(char32_t c, CodePage page) { return page == CodePage::kUtf8 || codec::CharToByte(page, c) >= 0; }

// The text as UTF-8 and in `page`.
struct Text {
  std::string utf8, bytes;
  void Add(char32_t c, CodePage page) {
    codec::AppendUtf8(utf8, c);
    if (page == CodePage::kUtf8) codec::AppendUtf8(bytes, c);
    else bytes += static_cast<char>(codec::CharToByte(page, c));
  }
  void Add(const char *ascii, CodePage page) {
    for (; *ascii != 0; ++ascii) Add(static_cast<char32_t>(*ascii), page);
  }
};

Text MakeText(fuzz::FuzzInput &in, CodePage page) {
  Text text;
  const char *separators[] = {" ", "\n", ";", ", ", " 12 ", ". ", "\r\n"};
  while (!in.Empty()) {
    const uint8_t what = in.Byte();
    if (what % 8 < 3) {
      text.Add(separators[in.Byte() % 7], page);
      continue;
    }
    if (what % 8 == 3) {
      const char32_t sign = kSigns[in.Byte() % 9];
      if (!Fits(sign, page)) continue;
      text.Add(" ", page);
      text.Add(sign, page);
      text.Add(" ", page);
      continue;
    }
    const int length = 1 + in.Byte() % 8, style = in.Byte() % 3;  // small, a capital first, capitals
    for (int i = 0; i < length; ++i) {
      char32_t c = kLetters[in.Byte() % 35];
      if (i == 0 && (c == U'ą' || c == U'ę' || c == U'ń')) c = U'a';
      if (style == 2 || (style == 1 && i == 0)) c = Upper(c);
      text.Add(c, page);
    }
    text.Add(" ", page);
  }
  return text;
}

std::string Decode(const std::string &bytes, CodePage page) {
  if (page == CodePage::kUtf8) return bytes;
  std::string utf8;
  size_t bad = 0;
  if (!codec::DecodeToUtf8(page, bytes, &utf8, &bad)) return std::string("\xFF");
  return utf8;
}

void Fail(const char *what, CodePage saved, CodePage read, const Text &text) {
  fprintf(stderr, "%s: saved in %s, read in %s: %s\n", what, codec::CodePageName(saved),
          codec::CodePageName(read), text.utf8.c_str());
  abort();
}

void AsMacro(const Text &text, CodePage saved) {
  reader::Weighing weighing(reader::kMacroPages);
  weighing.Feed(text.bytes.data(), text.bytes.size());
  weighing.Finish();
  const CodePage leader = weighing.Leader();
  if (Decode(text.bytes, leader) == text.utf8) return;
  CodePage other = CodePage::kUtf8, better = CodePage::kUtf8;
  if (!weighing.InDoubt(leader, &other)) Fail("macro read wrong in silence", saved, leader, text);
  if (!weighing.Possible(saved) || weighing.ClearlyBetter(saved, &better))
    Fail("macro: its own reading is clearly behind", saved, better, text);
}

void AsTable(const Text &text, CodePage saved) {
  const std::string bytes = "Nazwa\n" + text.bytes;
  reader::StringSource source(bytes);
  reader::ReadSettings settings;
  settings.guess = true;
  settings.chunk = 256;
  reader::TextReader reader(source, settings);
  reader::ReadError error;
  std::string read, piece;
  while (reader.Next(&piece, &error)) read += piece;
  if (error.problem != reader::ReadProblem::kNone || read == "Nazwa\n" + text.utf8) return;
  CodePage other = CodePage::kUtf8;
  int line = 0;
  if (!reader.BetterEncoding(&other, &line) && !reader.EncodingInDoubt(&other, &line))
    Fail("table read wrong in silence", saved, reader.page(), text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const CodePage saved = kSaved[in.Byte() % 4];
  const Text text = MakeText(in, saved);
  AsMacro(text, saved);
  if (saved != CodePage::kMazovia) AsTable(text, saved);
  return 0;
}
