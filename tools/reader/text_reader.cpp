#include "tools/reader/text_reader.h"

#include <string.h>

#include "tools/codec/text_guess.h"

namespace reader {

namespace {

// How far into the first chunk the zero bytes of UTF-16 are counted, and how
// many bytes are gathered before the form is told.
constexpr size_t kFormWindow = 4096;
constexpr size_t kFirstBytes = 512;

// Line breaks in text: LF, CR LF and a lone CR (a CR last in the text is
// left to the caller, who knows what follows).
int LineBreaks(const char *text, size_t size) {
  // Each LF, and each CR with something but an LF behind it, found by
  // memchr rather than by a test of every byte.
  size_t lines = codec::CountByte(text, size, '\n');
  for (const char *at = text, *end = text + size;
       (at = static_cast<const char *>(memchr(at, '\r', static_cast<size_t>(end - at)))) != nullptr; ++at)
    lines += at + 1 < end && at[1] != '\n';
  return static_cast<int>(lines);
}

// How many bytes at the end of `raw` start a character that goes on in the
// next chunk.
size_t CutCharacter(const std::string &raw, Form form, codec::CodePage page) {
  if (IsUtf16(form)) {
    const size_t odd = raw.size() % 2, even = raw.size() - odd;
    if (even >= 2) {
      const uint8_t high = static_cast<uint8_t>(raw[even - (form == Form::kUtf16Le ? 1 : 2)]);
      if (high >= 0xD8 && high <= 0xDB) return odd + 2;  // a high surrogate waits for its pair
    }
    return odd;
  }
  if (page != codec::CodePage::kUtf8) return 0;
  for (size_t back = 1; back <= 3 && back <= raw.size(); ++back) {
    const uint8_t byte = static_cast<uint8_t>(raw[raw.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

Start DetectStart(const char *head, size_t size) {
  const uint8_t *p = reinterpret_cast<const uint8_t *>(head);
  if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return {Form::kUtf8Bom, 3};
  if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) return {Form::kUtf16Le, 2};
  if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) return {Form::kUtf16Be, 2};
  // Without its mark, UTF-16 shows as a zero byte beside each ASCII letter:
  // after it in little endian, before it in big endian.  Text in any other
  // form has no zero bytes at all.
  const size_t pairs = (size < kFormWindow ? size : kFormWindow) / 2;
  size_t little = 0, big = 0;
  for (size_t i = 0; i < pairs; ++i) {
    little += p[2 * i] != 0 && p[2 * i + 1] == 0;
    big += p[2 * i] == 0 && p[2 * i + 1] != 0;
  }
  if (pairs > 0 && little * 2 >= pairs && big * 8 <= little) return {Form::kUtf16Le, 0};
  if (pairs > 0 && big * 2 >= pairs && little * 8 <= big) return {Form::kUtf16Be, 0};
  return {Form::kBytes, 0};
}

TextReader::TextReader(ByteSource &source, const ReadSettings &settings)
    : source_(source), settings_(settings), page_(settings.page), weighing_(settings.guessAmong) {}

// The first bytes: the form, and the mark dropped.
bool TextReader::Begin(std::string *raw, ReadError *error) {
  started_ = true;
  char buffer[kFirstBytes];
  while (raw->size() < kFirstBytes) {
    const size_t n = source_.Read(buffer, sizeof buffer);
    if (n == 0) break;
    raw->append(buffer, n);
  }
  start_ = DetectStart(raw->data(), raw->size());
  raw->erase(0, start_.markLength);
  offset_ = start_.markLength;
  if (start_.form == Form::kBytes) return true;
  if (start_.form == Form::kUtf8Bom && page_ != codec::CodePage::kUtf8 && !settings_.guess) {
    error->problem = ReadProblem::kBomButCodePage;
    error->page = page_;
    error->line = 1;
    return false;
  }
  page_ = codec::CodePage::kUtf8;
  decided_ = true;
  return true;
}

// The guess, once the weighing has told (or at the end, or when kGuessHold
// bytes wait): the ASCII before the first byte above 0x7F is read at once,
// the rest waits for the next chunk.
void TextReader::Decide(std::string &raw) {
  const size_t first = codec::AsciiPrefix(raw.data(), raw.size());
  if (first == raw.size()) return;  // ASCII so far: every page reads it alike
  if (!weighing_.decided() && !ended_ && raw.size() - first < kGuessHold) {
    pending_.assign(raw, first, std::string::npos);
    raw.resize(first);
    return;
  }
  page_ = weighing_.Leader();
  guessed_ = page_ != codec::CodePage::kUtf8;
  decided_ = true;
}

void TextReader::CountLines(const std::string &utf8) {
  if (utf8.empty()) return;
  if (afterCr_ && utf8[0] != '\n') ++line_;
  line_ += LineBreaks(utf8.data(), utf8.size());
  afterCr_ = utf8.back() == '\r';
}

bool TextReader::Fail(ReadError *error, ReadProblem problem, const std::string &raw, size_t bad,
                      const std::string &decoded) {
  error->problem = problem;
  error->offset = offset_ + bad;
  error->byte = bad < raw.size() ? static_cast<uint8_t>(raw[bad]) : 0;
  error->page = page_;
  error->line = line_ + (afterCr_ && !decoded.empty() && decoded[0] != '\n') +
                LineBreaks(decoded.data(), decoded.size());
  if (problem == ReadProblem::kNotUtf8) {
    // Weighed from the start of the byte's word: UTF-8 is out.
    Weighing here(settings_.guessAmong);
    WeighFromWordOf(raw.data(), raw.size(), bad, &here);
    error->likely = here.Leader();
    if (error->likely == codec::CodePage::kUtf8) error->likely = settings_.guessAmong.pages[0];
    error->inDoubt = here.InDoubt(error->likely, &error->alsoLikely);
  }
  return false;
}

bool TextReader::DecodeUtf16(std::string &raw, std::string *utf8, ReadError *error) {
  size_t bad = 0;
  if (!codec::DecodeUtf16ToUtf8(raw, start_.form == Form::kUtf16Be, utf8, &bad))
    return Fail(error, ReadProblem::kNotUtf16, raw, bad, *utf8);
  return true;
}

bool TextReader::Decode(std::string &raw, std::string *utf8, ReadError *error) {
  if (IsUtf16(start_.form)) return DecodeUtf16(raw, utf8, error);
  if (page_ == codec::CodePage::kUtf8) {
    const size_t bad = FirstNonUtf8(raw.data(), raw.size());
    if (bad != raw.size())
      return Fail(error, ReadProblem::kNotUtf8, raw, bad, raw.substr(0, bad));
    utf8->swap(raw);  // UTF-8 as it stands: no copy
    raw.clear();
    return true;
  }
  size_t bad = 0;
  if (!codec::DecodeToUtf8(page_, raw, utf8, &bad))
    return Fail(error, ReadProblem::kNotInCodePage, raw, bad, raw.substr(0, bad));
  return true;
}

bool TextReader::Next(std::string *utf8, ReadError *error) {
  utf8->clear();
  if (ended_) return false;
  std::string raw;
  raw.swap(pending_);
  const size_t held = raw.size();
  raw.resize(held + settings_.chunk);
  const size_t n = source_.Read(&raw[held], settings_.chunk);
  raw.resize(held + n);
  size_t fresh = held;  // the bytes not weighed yet start here
  if (!started_) {
    if (!Begin(&raw, error)) return false;
    fresh = 0;
  }
  if (source_.failed) {
    error->problem = ReadProblem::kReadFailed;
    error->line = line_;
    return false;
  }
  ended_ = raw.size() == held && n == 0;
  // Weighed until one reading clearly leads, and no further.
  if (start_.form == Form::kBytes && !weighing_.decided()) {
    weighing_.Feed(raw.data() + fresh, raw.size() - fresh);
    if (ended_) weighing_.Finish();
  }
  if (!decided_ && settings_.guess) Decide(raw);
  const size_t cut = ended_ || !pending_.empty() ? 0 : CutCharacter(raw, start_.form, page_);
  if (cut > 0) {
    pending_.assign(raw, raw.size() - cut, cut);
    raw.resize(raw.size() - cut);
  }
  const size_t size = raw.size();
  if (!Decode(raw, utf8, error)) return false;
  const void *nul = memchr(utf8->data(), 0, utf8->size());
  if (nul != nullptr) {
    const size_t at = static_cast<const char *>(nul) - utf8->data();
    error->nulsBetweenLetters = at + 2 < utf8->size() && (*utf8)[at + 2] == '\0';
    Fail(error, ReadProblem::kNul, std::string(), 0, utf8->substr(0, at));
    error->offset = offset_;  // (of the chunk: the decoded text does not say)
    return false;
  }
  offset_ += size;
  CountLines(*utf8);
  return !ended_ || !utf8->empty();
}

bool TextReader::BetterEncoding(codec::CodePage *better, int *line) const {
  if (start_.form != Form::kBytes || !weighing_.ClearlyBetter(page_, better)) return false;
  Place at = weighing_.FirstBetter(*better, page_);
  if (at.line == 0) at = weighing_.FirstDifference(*better, page_);
  *line = at.line;
  return true;
}

bool TextReader::EncodingInDoubt(codec::CodePage *other, int *line) const {
  if (start_.form != Form::kBytes || !settings_.guess || !ended_ || !weighing_.InDoubt(page_, other))
    return false;
  *line = weighing_.FirstDifference(page_, *other).line;
  return true;
}

bool ReadText(const std::string &utf8Path, const ReadSettings &settings, std::string *utf8,
              int *openError, ReadError *error, Form *form) {
  utf8->clear();
  FileSource source;
  if (!source.Open(utf8Path, openError)) return false;
  TextReader reader(source, settings);
  std::string piece;
  while (reader.Next(&piece, error)) utf8->append(piece);
  if (form != nullptr) *form = reader.form();
  return error->problem == ReadProblem::kNone;
}

}  // namespace reader
