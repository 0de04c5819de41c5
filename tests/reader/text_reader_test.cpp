// The reader against one table of encodings × inputs, each read whole and
// in chunks of 1, 2, 3 and 5 bytes (so that a chunk ends inside every
// sequence), with and without 600 bytes of ASCII ahead of it (the form is
// told from the first 512 bytes, which are read at once).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"
#include "tools/reader/polish_guess.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

namespace {

using codec::CodePage;
using reader::Form;
using reader::ReadProblem;

enum class Saved { kUtf8, kUtf8Bom, kUtf16Le, kUtf16LeBom, kUtf16Be, kUtf16BeBom, kCp1250, kCp852, kMazovia };

// `utf8` saved as a program would save it.
std::string Save(const std::string &utf8, Saved saved) {
  std::string out;
  if (saved == Saved::kUtf8) return utf8;
  if (saved == Saved::kUtf8Bom) return "\xEF\xBB\xBF" + utf8;
  const bool utf16 = saved >= Saved::kUtf16Le && saved <= Saved::kUtf16BeBom;
  const bool big = saved == Saved::kUtf16Be || saved == Saved::kUtf16BeBom;
  if (saved == Saved::kUtf16LeBom) out = "\xFF\xFE";
  if (saved == Saved::kUtf16BeBom) out = "\xFE\xFF";
  const CodePage page = saved == Saved::kCp1250 ? CodePage::kCp1250
                        : saved == Saved::kCp852 ? CodePage::kCp852 : CodePage::kMazovia;
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    EXPECT_TRUE(codec::NextUtf8(utf8, i, &c));
    if (utf16) {
      const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      out += big ? std::string{hi, lo} : std::string{lo, hi};
    } else {
      out += static_cast<char>(codec::CharToByte(page, c));
    }
  }
  return out;
}

// A source that hands out at most `step` bytes a read.
class Trickle : public reader::ByteSource {
 public:
  Trickle(const std::string &bytes, size_t step) : bytes_(bytes), step_(step) {}
  size_t Read(char *buffer, size_t size) override {
    size_t n = std::min({size, step_, bytes_.size() - at_});
    bytes_.copy(buffer, n, at_);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  size_t step_, at_ = 0;
};

struct Outcome {
  std::string text;
  Form form = Form::kBytes;
  CodePage page = CodePage::kUtf8;
  bool guessed = false;
  reader::ReadError error;
  bool better = false;
  CodePage betterPage = CodePage::kUtf8;
  int betterLine = 0;
};

Outcome Read(const std::string &bytes, const reader::ReadSettings &given, size_t step) {
  reader::ReadSettings settings = given;
  settings.chunk = step;
  Trickle source(bytes, step);
  reader::TextReader reader(source, settings);
  Outcome out;
  std::string piece;
  while (reader.Next(&piece, &out.error)) out.text += piece;
  out.form = reader.form();
  out.page = reader.page();
  out.guessed = reader.guessed();
  out.better = reader.BetterEncoding(&out.betterPage, &out.betterLine);
  return out;
}

struct Case {
  const char *name;
  std::string utf8;      // the text
  Saved saved;           // how it is saved
  bool guess;            // the reader may guess a code page
  CodePage declared;     // else the page it is told
  Form form;             // what the reader must find
  CodePage page;
  ReadProblem problem;   // kNone: the text comes back as it was
  int line;              // the error's line, or the better page's line
  CodePage better = CodePage::kUtf8;  // with `line` and no problem: the page to name
};

const std::string kPolish = "Zażółć gęślą jaźń\nŁÓDŹ, Świętokrzyska 5\n";

const Case kCases[] = {
    {"utf8", kPolish, Saved::kUtf8, true, CodePage::kUtf8, Form::kBytes, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf8 with mark", kPolish, Saved::kUtf8Bom, true, CodePage::kUtf8, Form::kUtf8Bom, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf16 le with mark", kPolish, Saved::kUtf16LeBom, false, CodePage::kUtf8, Form::kUtf16Le, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf16 be with mark", kPolish, Saved::kUtf16BeBom, false, CodePage::kUtf8, Form::kUtf16Be, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf16 le bare", kPolish, Saved::kUtf16Le, true, CodePage::kUtf8, Form::kUtf16Le, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf16 be bare", kPolish, Saved::kUtf16Be, true, CodePage::kUtf8, Form::kUtf16Be, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"utf16 declared cp1250", kPolish, Saved::kUtf16Le, false, CodePage::kCp1250, Form::kUtf16Le, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"cp1250 guessed", kPolish, Saved::kCp1250, true, CodePage::kUtf8, Form::kBytes, CodePage::kCp1250, ReadProblem::kNone, 0},
    {"cp852 guessed", kPolish, Saved::kCp852, true, CodePage::kUtf8, Form::kBytes, CodePage::kCp852, ReadProblem::kNone, 0},
    {"cp1250 SPÓŁKA guessed", "Nowak SPÓŁKA\n", Saved::kCp1250, true, CodePage::kUtf8, Form::kBytes, CodePage::kCp1250, ReadProblem::kNone, 0},
    {"ascii", "Nazwa;NIP\nNowak;1\n", Saved::kUtf8, true, CodePage::kUtf8, Form::kBytes, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"empty", "", Saved::kUtf8, true, CodePage::kUtf8, Form::kBytes, CodePage::kUtf8, ReadProblem::kNone, 0},
    {"cp1250 declared", kPolish, Saved::kCp1250, false, CodePage::kCp1250, Form::kBytes, CodePage::kCp1250, ReadProblem::kNone, 0},
    {"mazovia declared", kPolish, Saved::kMazovia, false, CodePage::kMazovia, Form::kBytes, CodePage::kMazovia, ReadProblem::kNone, 0},
    // Faults: a declared encoding that is not the file's.
    {"cp1250 read as utf8", "Nazwa\n" + kPolish, Saved::kCp1250, false, CodePage::kUtf8, Form::kBytes, CodePage::kUtf8, ReadProblem::kNotUtf8, 2},
    {"cp852 read as cp1250", "Nazwa\nZąbki Poznań\n", Saved::kCp852, false, CodePage::kCp1250, Form::kBytes, CodePage::kCp1250, ReadProblem::kNone, 2, CodePage::kCp852},
    {"cp1250 read as cp852", "Nazwa\nZąbki Poznań\n", Saved::kCp1250, false, CodePage::kCp852, Form::kBytes, CodePage::kCp852, ReadProblem::kNone, 2, CodePage::kCp1250},
    {"utf8 read as cp1250", "Nazwa\nZąbki Poznań\n", Saved::kUtf8, false, CodePage::kCp1250, Form::kBytes, CodePage::kCp1250, ReadProblem::kNone, 2, CodePage::kUtf8},
    {"SPÓŁKA read as utf8", "Nazwa\nSPÓŁKA\n", Saved::kCp1250, false, CodePage::kUtf8, Form::kBytes, CodePage::kUtf8, ReadProblem::kNone, 2, CodePage::kCp1250},
    {"utf8 mark declared cp1250", kPolish, Saved::kUtf8Bom, false, CodePage::kCp1250, Form::kUtf8Bom, CodePage::kCp1250, ReadProblem::kBomButCodePage, 1},
};

TEST(TextReader, EncodingsTimesInputs) {
  for (const Case &c : kCases) {
    for (bool padded : {false, true}) {
      const std::string pad = padded ? std::string(600, 'x') : std::string();
      const std::string utf8 = c.utf8.empty() ? c.utf8 : pad + c.utf8;
      const std::string bytes = Save(utf8, c.saved);
      reader::ReadSettings settings;
      settings.guess = c.guess;
      settings.page = c.declared;
      for (size_t step : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{65536}}) {
        SCOPED_TRACE(std::string(c.name) + (padded ? ", padded" : "") + ", chunk " + std::to_string(step));
        const Outcome out = Read(bytes, settings, step);
        EXPECT_EQ(c.form, out.form);
        EXPECT_EQ(c.page, out.page);
        EXPECT_EQ(c.problem, out.error.problem);
        if (c.problem != ReadProblem::kNone) {
          EXPECT_EQ(c.line, out.error.line);
          continue;
        }
        if (c.line == 0) {
          EXPECT_TRUE(utf8 == out.text) << out.text.substr(out.text.size() > 60 ? out.text.size() - 60 : 0);
        }
        EXPECT_EQ(c.line > 0, out.better);
        if (c.line > 0 && out.better) {
          EXPECT_EQ(c.better, out.betterPage);
          EXPECT_EQ(c.line, out.betterLine);
        }
        EXPECT_EQ(c.guess && c.page != CodePage::kUtf8 && c.form == Form::kBytes, out.guessed);
      }
    }
  }
}

TEST(TextReader, NotUtf8NamesTheLikelyPage) {
  reader::ReadSettings settings;
  for (auto [saved, page] : {std::pair{Saved::kCp1250, CodePage::kCp1250}, std::pair{Saved::kCp852, CodePage::kCp852}}) {
    const Outcome out = Read(Save("a\nb\nZażółć gęślą\n", saved), settings, 65536);
    EXPECT_EQ(ReadProblem::kNotUtf8, out.error.problem);
    EXPECT_EQ(3, out.error.line);
    EXPECT_EQ(page, out.error.likely);
  }
}

TEST(TextReader, OddUtf16AndZeroBytes) {
  reader::ReadSettings settings;
  Outcome odd = Read(std::string("\xFF\xFE" "a\0b\0c", 7), settings, 65536);
  EXPECT_EQ(ReadProblem::kNotUtf16, odd.error.problem);
  EXPECT_EQ("ab", odd.text);
  Outcome nul = Read(std::string("Nazwa\nNo\0wak\n", 13), settings, 65536);
  EXPECT_EQ(ReadProblem::kNul, nul.error.problem);
  EXPECT_EQ(2, nul.error.line);
}

TEST(TextReader, LinesOfUtf16WithoutMark) {
  // Two lines: the decoded text has two line breaks, no more.
  const Outcome out = Read(Save("Nazwa;NIP\r\nNowak;1\r\n", Saved::kUtf16Le), reader::ReadSettings(), 4);
  EXPECT_EQ("Nazwa;NIP\r\nNowak;1\r\n", out.text);
}

// The weighing on its own.
struct WeighingCase {
  const char *name;
  std::string bytes;
  CodePage macroGuess;  // among UTF-8, Mazovia, cp1250, cp852
};

TEST(Weighing, GuessesByPolishLetters) {
  const WeighingCase cases[] = {
      {"ascii", "abc\n", CodePage::kUtf8},
      {"utf8", "Zażółć gęślą jaźń", CodePage::kUtf8},
      {"cp1250", Save("Zażółć gęślą jaźń", Saved::kCp1250), CodePage::kCp1250},
      {"cp852", Save("Zażółć gęślą jaźń", Saved::kCp852), CodePage::kCp852},
      {"mazovia", Save("Zażółć gęślą jaźń", Saved::kMazovia), CodePage::kMazovia},
      {"SPÓŁKA in cp1250 is valid utf8", Save("SPÓŁKA", Saved::kCp1250), CodePage::kCp1250},
      {"a Cyrillic word in utf8", "Москва", CodePage::kUtf8},
      {"SPÓŁKA beside Polish utf8", "Łódź, Zażółć, \xD3\xA3", CodePage::kUtf8},
      {"a sign of utf8 alone", "Cena: 5 \xE2\x82\xAC", CodePage::kUtf8},
      {"a byte order mark inside utf8", "c\xEF\xBB\xBF" "d", CodePage::kUtf8},
  };
  for (const WeighingCase &c : cases) {
    SCOPED_TRACE(c.name);
    reader::Weighing weighing(reader::kMacroPages);
    for (char b : c.bytes) weighing.Feed(&b, 1);  // byte by byte: every cut
    weighing.Finish();
    EXPECT_EQ(c.macroGuess, weighing.Leader());
    CodePage other = CodePage::kUtf8;
    EXPECT_FALSE(weighing.InDoubt(c.macroGuess, &other)) << codec::CodePageName(other);
  }
}

TEST(Weighing, PlacesOfTheEvidence) {
  reader::Weighing weighing(reader::kTablePages);
  const std::string bytes = Save("Nowak\nSPÓŁKA", Saved::kCp1250);
  weighing.Feed(bytes.data(), bytes.size());
  weighing.Finish();
  EXPECT_EQ(CodePage::kCp1250, weighing.Leader());
  EXPECT_EQ(2, weighing.FirstLetter(CodePage::kCp1250).line);
  EXPECT_EQ(8u, weighing.FirstLetter(CodePage::kCp1250).offset);
  EXPECT_EQ(8u, weighing.FirstBetter(CodePage::kCp1250, CodePage::kUtf8).offset);
  EXPECT_EQ(bytes.substr(6), weighing.FirstDifferentWord(CodePage::kCp1250, CodePage::kCp852));
  EXPECT_EQ("SPÓŁKA", reader::WordAsUtf8(bytes.substr(6), CodePage::kCp1250));
}

TEST(Source, StandardInputAndMissingFile) {
  reader::FileSource missing;
  int error = 0;
  EXPECT_FALSE(missing.Open("/nonexistent/plik.txt", &error));
  EXPECT_NE(0, error);
  reader::FileSource folder;
  EXPECT_FALSE(folder.Open("/", &error));
  std::string bytes;
  EXPECT_FALSE(reader::ReadAllBytes("/", &bytes, &error));
}

}  // namespace
