#include "tools/merger/template.h"

#include <string_view>
#include <unordered_map>

#include "tools/macro/check_model.h"
#include "tools/macro/suggest.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"
#include "tools/messages/merge_texts.h"
#include "tools/messages/tell.h"

namespace merger {

using Msg = messages::MergeMsg;

namespace {

using ColumnIndex = std::unordered_map<std::string_view, int>;

// The columns by name (the first of a name), made once for a template.
ColumnIndex IndexColumns(const std::vector<std::string> &headers) {
  ColumnIndex index;
  index.reserve(headers.size());
  for (size_t i = 0; i < headers.size(); ++i) index.emplace(headers[i], static_cast<int>(i));
  return index;
}

// The column named `name`, or an error that lists the columns and the
// nearest name (named only beside other columns: the list already shows
// a single one).
bool FindColumn(const std::string &name, const std::vector<std::string> &headers,
                const ColumnIndex &index, int *column, std::string *message) {
  if (auto found = index.find(name); found != index.end()) {
    *column = found->second;
    return true;
  }
  std::string list;
  size_t nearest = 0;
  int best = -1;
  for (size_t i = 0; i < headers.size(); ++i) {
    if (headers[i].empty()) continue;  // a column with no name is ignored
    list += (list.empty() ? "" : ", ") + headers[i];
    int distance = macro::EditDistance(name, headers[i]);
    if (best < 0 || distance < best) {
      best = distance;
      nearest = i;
    }
  }
  *message = Say(Msg::kNoSuchColumn, {name, list});
  if (headers.size() > 1) *message += Say(Msg::kNearestColumn, {headers[nearest]});
  return false;
}

}  // namespace

bool ParseTemplate(const std::string &bytes, codec::CodePage page,
                   const std::vector<std::string> &headers, std::vector<TemplatePiece> *pieces,
                   TemplateError *error) {
  pieces->clear();
  auto literal = [&](size_t offset, size_t length) {
    if (length == 0) return;
    if (!pieces->empty() && !pieces->back().placeholder &&
        pieces->back().offset + pieces->back().length == offset) {
      pieces->back().length += length;
      return;
    }
    pieces->push_back(TemplatePiece{false, offset, length, 0});
  };
  const ColumnIndex index = IndexColumns(headers);
  size_t lineEnd = 0;  // the next line break at or behind the placeholder looked at
  size_t at = 0;
  while (at < bytes.size()) {
    size_t open = bytes.find("{{", at);
    if (open == std::string::npos) {
      literal(at, bytes.size() - at);
      break;
    }
    literal(at, open - at);
    if (bytes.compare(open + 2, 2, "{{") == 0) {
      pieces->push_back(TemplatePiece{false, open, 2, 0});  // "{{{{" types "{{"
      at = open + 4;
      continue;
    }
    size_t close = bytes.find("}}", open + 2);
    // Found once a line, not once a placeholder: a long line stays linear.
    if (lineEnd != std::string::npos && lineEnd < open + 2)
      lineEnd = bytes.find_first_of("\r\n", open + 2);
    error->offset = open;
    if (close == std::string::npos || close > lineEnd) {
      error->message = Say(Msg::kPlaceholderNotClosed);
      return false;
    }
    std::string name;
    size_t bad = 0;
    if (!codec::DecodeToUtf8(page, bytes.substr(open + 2, close - open - 2), &name, &bad)) {
      error->message = Say(Msg::kPlaceholderNameEncoding, {codec::CodePageName(page)});
      return false;
    }
    int column = kRowNumber;
    if (name.empty()) {
      error->message = Say(Msg::kPlaceholderEmpty);
      return false;
    }
    if (name != "#" && !FindColumn(name, headers, index, &column, &error->message)) return false;
    pieces->push_back(TemplatePiece{true, open, close + 2 - open, column});
    at = close + 2;
  }
  *error = TemplateError();
  return true;
}

namespace {

// The text of a macro file as UTF-8 through the one reader: UTF-16 with or
// without its mark, UTF-8 with or without it, or `from`.  False with the
// message for bytes that are no text in it, and for a file that reads as
// UTF-8 only by chance ("ÓŁ" in cp1250 is U+04E3 in UTF-8).
bool DecodeMacroText(const std::string &path, const std::string &bytes, codec::CodePage from,
                     std::string *utf8, std::string *error) {
  reader::StringSource source(bytes);
  reader::ReadSettings settings;
  settings.page = from;
  settings.guessAmong = reader::kMacroPages;
  reader::TextReader reader(source, settings);
  reader::ReadError problem;
  std::string piece;
  while (reader.Next(&piece, &problem)) utf8->append(piece);
  codec::CodePage likely = problem.likely;
  size_t offset = problem.offset;
  int line = 0;
  const bool chance = problem.problem == reader::ReadProblem::kNone && from == codec::CodePage::kUtf8 &&
                      reader.BetterEncoding(&likely, &line);
  if (problem.problem == reader::ReadProblem::kNone && !chance) return true;
  if (chance) offset = reader.weighing().FirstBetter(likely, codec::CodePage::kUtf8).offset;
  const std::string raw = reader::IsUtf16(reader.form()) ? *utf8 : bytes;
  macro::SourcePosition at = macro::SourceMap(raw).At(offset < raw.size() ? offset : raw.size());
  const unsigned byte = offset < bytes.size() ? static_cast<uint8_t>(bytes[offset]) : 0;
  if (from == codec::CodePage::kUtf8 && !reader::IsUtf16(reader.form())) {
    const char *guess = codec::CodePageName(likely);
    const std::string where = messages::Where(path, at.line, at.column);
    if (!chance && problem.inDoubt)
      *error = messages::Tell(messages::Severity::kError, where,
                              Say(Msg::kTemplateNotUtf8InDoubt, {lang::Hex(byte), guess,
                                                                 codec::CodePageName(problem.alsoLikely)}));
    else
      *error = messages::Tell(messages::Severity::kError, where,
                              Say(Msg::kTemplateNotUtf8, {lang::Hex(byte), guess, guess}));
  } else {
    *error = messages::Tell(messages::Severity::kError, messages::Where(path, at.line, at.column),
                            Say(Msg::kTemplateNotCodePage, {lang::Hex(byte), reader::IsUtf16(reader.form())
                                                                                  ? "UTF-16"
                                                                                  : codec::CodePageName(from)}));
  }
  return false;
}

}  // namespace

bool ReadMacroText(const std::string &path, const std::string &bytes, codec::CodePage from,
                   codec::CodePage to, std::string *out, std::string *error) {
  std::string utf8;
  if (!DecodeMacroText(path, bytes, from, &utf8, error)) return false;
  if (to == codec::CodePage::kUtf8) {
    *out = std::move(utf8);
    return true;
  }
  out->clear();
  for (size_t i = 0; i < utf8.size();) {
    const size_t start = i;
    char32_t c = 0;
    codec::NextUtf8(utf8, i, &c);
    int byte = codec::CharToByte(to, c);
    if (byte < 0) {
      macro::SourcePosition at = macro::SourceMap(utf8).At(start);
      std::string shown;
      codec::AppendUtf8(shown, c);
      *error = messages::Tell(messages::Severity::kError, messages::Where(path, at.line, at.column),
                              Say(Msg::kTemplateCharNotInEncoding, {shown, codec::CodePageName(to)}));
      return false;
    }
    *out += static_cast<char>(byte);
  }
  return true;
}

}  // namespace merger
