#include "tools/merger/learn.h"

#include <ctype.h>
#include <stdint.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "tools/codec/code_pages.h"
#include "tools/macro/suggest.h"
#include "tools/merger/merger.h"
#include "tools/macro/macro_words.h"

namespace merger {

namespace {

// A value longer than this gets no nearest place (the search costs the
// recording's length times the value's).
constexpr size_t kNearestLongest = 64;

using macro::WordMask;  // the player's reading of bracketed words (tools/macro)

// The recording as the host typed it: a character taken back by the
// Backspace key that follows it is left out.  Each byte keeps its offset in
// the recording and whether the player reads it inside a bracketed word.
struct Typed {
  std::string text;
  std::vector<size_t> from;
  std::vector<bool> mask;
};

bool IsBackspace(const std::string &text, size_t start, size_t end) {
  static const char kName[] = "[BACKSPACE]";
  if (end - start != sizeof kName - 1) return false;
  for (size_t k = 0; k < end - start; ++k)
    if (toupper(static_cast<unsigned char>(text[start + k])) != kName[k]) return false;
  return true;
}

// Where the piece of the recording that starts at `i` ends: a bracketed
// word, or one character.
size_t PieceEnd(const std::string &text, const std::vector<bool> &mask, size_t i) {
  size_t j = i + 1;
  if (mask[i]) {
    while (j < text.size() && mask[j])
      if (text[j++] == ']') break;
    return j;
  }
  while (j < text.size() && !mask[j] && (static_cast<uint8_t>(text[j]) & 0xC0) == 0x80) ++j;
  return j;
}

Typed TypedText(const std::string &recording) {
  const std::vector<bool> mask = macro::WordMask(recording);
  Typed typed;
  typed.text.reserve(recording.size());
  typed.from.reserve(recording.size());
  // Where the characters that a Backspace may still take back start; a
  // key or a line break stands between them and what came before.
  std::vector<size_t> characters;
  for (size_t i = 0; i < recording.size();) {
    const size_t end = PieceEnd(recording, mask, i);
    const bool word = mask[i];
    if (word && IsBackspace(recording, i, end) && !characters.empty()) {
      typed.text.resize(characters.back());
      typed.from.resize(characters.back());
      typed.mask.resize(characters.back());
      characters.pop_back();
      i = end;
      continue;
    }
    if (word || recording[i] == '\r' || recording[i] == '\n') characters.clear();
    else characters.push_back(typed.text.size());
    for (size_t k = i; k < end; ++k) {
      typed.text += recording[k];
      typed.from.push_back(k);
      typed.mask.push_back(mask[k]);
    }
    i = end;
  }
  return typed;
}

// For each offset of `text`, how many '{' stand right before it (past
// 4 G of them, a count as large and of the same evenness).
std::vector<uint32_t> BraceRuns(const std::string &text) {
  std::vector<uint32_t> runs(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i)
    runs[i + 1] = text[i] != '{' ? 0 : runs[i] < UINT32_MAX ? runs[i] + 1 : runs[i] - 1;
  return runs;
}

char32_t CharAt(const std::string &text, size_t at) {
  char32_t c = 0;
  if (at < text.size()) codec::NextUtf8(text, at, &c);
  return c;
}

char32_t CharBefore(const std::string &text, size_t at) {
  if (at == 0) return 0;
  size_t start = at - 1;
  while (start > 0 && (static_cast<uint8_t>(text[start]) & 0xC0) == 0x80) --start;
  return CharAt(text, start);
}

size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// A letter or digit: ASCII ones, and letters beyond ASCII (Polish ones
// among them), but not the spaces, dashes and quotes of U+2000 on.
bool IsWordChar(char32_t c) {
  if (c < 0x80) return isalnum(static_cast<int>(c)) != 0;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7 && (c < 0x2000 || c >= 0x2070);
}

// Whether a value at [at, at + length) of `text` stands on the bounds of
// a word or number: not glued to a letter or digit, nor to a number that
// goes on behind a decimal point or comma ("1,50").
bool OnBounds(const std::string &text, size_t at, size_t length) {
  const size_t end = at + length;
  const char32_t first = CharAt(text, at), last = CharBefore(text, end);
  const char32_t before = CharBefore(text, at), after = CharAt(text, end);
  if (IsWordChar(first) && IsWordChar(before)) return false;
  if (IsWordChar(last) && IsWordChar(after)) return false;
  if (IsDigit(first) && (before == ',' || before == '.') && IsDigit(CharBefore(text, at - 1)))
    return false;
  return !(IsDigit(last) && (after == ',' || after == '.') && IsDigit(CharAt(text, end + 1)));
}

// Whether the bytes at `offset` of `text` stand outside words as `own`
// (the rendered value's mask) does when the merge writes it: not behind an
// open '[', and each byte in a word exactly where the rendering's is.
bool FitsAt(const Typed &typed, const std::vector<bool> &own, size_t offset) {
  if (offset > 0 && typed.mask[offset - 1] && typed.text[offset - 1] != ']') return false;
  for (size_t k = 0; k < own.size(); ++k)
    if (typed.mask[offset + k] != own[k]) return false;
  return true;
}

// A name the template reads back whole: "{{Kod}}}" would be {{Kod}} and
// a '}', so no name ends with '}'.
bool NameFitsPlaceholder(const std::string &name) {
  return name != "#" && !name.empty() && name.back() != '}' &&
         name.find("}}") == std::string::npos &&
         name.find_first_of("\r\n") == std::string::npos && name.compare(0, 2, "{{") != 0;
}

// The recording's text with "{{" written as the template writes a literal
// one.
std::string Escaped(const std::string &text, size_t from, size_t to) {
  std::string out;
  out.reserve(to - from);
  for (size_t i = from; i < to;) {
    if (i + 1 < to && text[i] == '{' && text[i + 1] == '{') {
      out += "{{{{";
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// The places of one value in the typed text.
struct Found {
  std::vector<size_t> shown;  // the first kPlacesShown, typed offsets
  size_t count = 0;
  size_t nth = SIZE_MAX;      // the --at place
  std::vector<size_t> nearShown;
  size_t nearCount = 0;
  bool anywhere = false;      // found at all outside taken places
};

// What the search of every value shares.
struct Recording {
  const std::string &text;
  Typed typed;
  std::vector<uint32_t> braceRuns;
  std::vector<bool> taken;  // typed offsets already replaced
  macro::SourceMap map;
  std::map<size_t, size_t> placed;  // the places taken, [start, end) in the recording
};

// Whether a placeholder can stand for [from, to) of the recording among
// the places already taken: a literal '{' is written only in pairs, so the
// text left between two placeholders (or before the first) must not end
// with an odd run of '{', whose last one would join the next "{{".
bool BracesFit(const Recording &r, size_t from, size_t to) {
  const auto next = r.placed.lower_bound(to);
  size_t before = r.braceRuns[from];
  if (next != r.placed.begin()) {
    const size_t end = std::prev(next)->second;  // the place before this one
    if (end <= from) before = std::min(before, from - end);
  }
  if (before % 2 == 1) return false;
  // The run before the next place, cut short by this one.
  if (next == r.placed.end()) return true;
  const size_t start = next->first;
  return r.braceRuns[start] < start - to || (start - to) % 2 == 0;
}

Found FindPlaces(const Recording &r, const std::string &rendered, size_t nth) {
  Found found;
  const std::vector<bool> own = macro::WordMask(rendered);
  const std::string &text = r.typed.text;
  for (size_t at = text.find(rendered); at != std::string::npos;
       at = text.find(rendered, at + 1)) {
    bool free = true;
    for (size_t k = 0; k < rendered.size() && free; ++k) free = !r.taken[at + k];
    if (!free ||
        !BracesFit(r, r.typed.from[at], r.typed.from[at + rendered.size() - 1] + 1))
      continue;
    found.anywhere = true;
    if (!FitsAt(r.typed, own, at)) continue;
    if (!OnBounds(text, at, rendered.size())) {
      if (found.nearCount++ < kPlacesShown) found.nearShown.push_back(at);
      continue;
    }
    if (++found.count == nth) found.nth = at;
    if (found.shown.size() < kPlacesShown) found.shown.push_back(at);
  }
  return found;
}

// The end of the stretch of `text` nearest to `value` by edit distance,
// whatever its start, and the distance (one pass, a column of the value).
std::pair<size_t, size_t> NearestEnd(const std::string &text, const std::string &value) {
  const size_t m = value.size();
  std::vector<size_t> column(m + 1);
  for (size_t k = 0; k <= m; ++k) column[k] = k;
  size_t best = m, bestEnd = 0;
  for (size_t j = 0; j < text.size(); ++j) {
    size_t diagonal = 0;
    column[0] = 0;
    for (size_t k = 1; k <= m; ++k) {
      const size_t up = column[k];
      column[k] = std::min({up + 1, column[k - 1] + 1, diagonal + (value[k - 1] != text[j])});
      diagonal = up;
    }
    if (column[m] < best) {
      best = column[m];
      bestEnd = j + 1;
    }
  }
  return {bestEnd, best};
}

// A value not found: the recording's text nearest to it, when at most
// half of it differs.
void FindNearest(const Recording &r, const std::string &rendered, LearnedValue *learned) {
  const std::string &text = r.typed.text;
  if (rendered.size() > kNearestLongest || text.empty()) return;
  const auto [end, distance] = NearestEnd(text, rendered);
  if (distance == 0 || distance * 2 > rendered.size() || end == 0) return;
  size_t start = end, least = SIZE_MAX;
  const size_t lowest = end > rendered.size() + distance ? end - rendered.size() - distance : 0;
  for (size_t s = lowest; s < end; ++s) {
    const size_t d = static_cast<size_t>(macro::EditDistance(text.substr(s, end - s), rendered));
    if (d < least) {
      least = d;
      start = s;
    }
  }
  // Whole characters, and the whole word the stretch stands in (up to the
  // value's length again on each side).
  while (start > 0 && (static_cast<uint8_t>(text[start]) & 0xC0) == 0x80) --start;
  size_t stop = end;
  while (stop < text.size() && (static_cast<uint8_t>(text[stop]) & 0xC0) == 0x80) ++stop;
  const size_t low = start > rendered.size() ? start - rendered.size() : 0;
  while (start > low && IsWordChar(CharBefore(text, start)) && IsWordChar(CharAt(text, start)))
    start -= Utf8Length(CharBefore(text, start));
  const size_t high = stop + rendered.size();
  while (stop < high && IsWordChar(CharAt(text, stop)) && IsWordChar(CharBefore(text, stop)))
    stop += Utf8Length(CharAt(text, stop));
  const size_t from = r.typed.from[start], to = r.typed.from[stop - 1] + 1;
  learned->nearest = r.text.substr(from, to - from);
  learned->nearestAt = r.map.At(from);
  learned->fileOrder = from;
}

struct Placement {
  size_t offset, length, column;  // in the recording
};

// Chooses among the places found: one place, or the one --at names.
void Place(Recording &r, const std::vector<std::string> &headers, const LearnOptions &options,
           const std::string &rendered, const Found &found, LearnedValue *learned,
           std::vector<Placement> *placements) {
  bool chosenByAt = false;
  for (const auto &[name, n] : options.at) chosenByAt |= name == headers[learned->column];
  const size_t at = chosenByAt ? found.nth : found.count == 1 ? found.shown[0] : SIZE_MAX;
  if (chosenByAt && at == SIZE_MAX) {
    learned->outcome = LearnOutcome::kAtTooFar;
  } else if (at != SIZE_MAX) {
    learned->outcome = LearnOutcome::kPlaced;
    const size_t from = r.typed.from[at], to = r.typed.from[at + rendered.size() - 1] + 1;
    learned->placedAt = r.map.At(from);
    learned->corrected = to - from != rendered.size();
    learned->fileOrder = from;
    for (size_t k = 0; k < rendered.size(); ++k) r.taken[at + k] = true;
    placements->push_back(Placement{from, to - from, learned->column});
    r.placed.emplace(from, to);
  } else if (found.count > 1) {
    learned->outcome = LearnOutcome::kAmbiguous;
  } else if (found.nearCount > 0) {
    learned->outcome = LearnOutcome::kNear;
  } else {
    learned->outcome = found.anywhere ? LearnOutcome::kInsideWord : LearnOutcome::kMissing;
  }
}

// Looks for one column's value and places it when it can.
LearnedValue LearnColumn(Recording &r, const std::vector<std::string> &headers,
                         const table::TableRow &first, const LearnOptions &options, size_t column,
                         std::vector<Placement> *placements) {
  LearnedValue learned;
  learned.column = column;
  learned.value = first.fields[column];
  const std::string rendered = RenderedValue(learned.value, options);
  if (headers[column].empty()) learned.outcome = LearnOutcome::kUnnamed;
  else if (rendered.empty()) learned.outcome = LearnOutcome::kEmpty;
  else if (!NameFitsPlaceholder(headers[column])) learned.outcome = LearnOutcome::kBadName;
  if (learned.outcome != LearnOutcome::kMissing) return learned;
  size_t nth = 0;
  for (const auto &[name, n] : options.at)
    if (name == headers[column]) nth = n;
  const Found found = FindPlaces(r, rendered, nth);
  Place(r, headers, options, rendered, found, &learned, placements);
  learned.placeCount = found.count;
  for (size_t at : found.shown) learned.places.push_back(r.map.At(r.typed.from[at]));
  learned.nearCount = found.nearCount;
  for (size_t at : found.nearShown) learned.nearPlaces.push_back(r.map.At(r.typed.from[at]));
  const size_t firstAt = !found.shown.empty()       ? found.shown[0]
                         : !found.nearShown.empty() ? found.nearShown[0]
                                                    : SIZE_MAX;
  if (learned.fileOrder == SIZE_MAX && firstAt != SIZE_MAX) learned.fileOrder = r.typed.from[firstAt];
  if (learned.outcome == LearnOutcome::kMissing) FindNearest(r, rendered, &learned);
  return learned;
}

}  // namespace

std::string RenderedValue(const std::string &value, const LearnOptions &options) {
  // As the merge types it (tools/macro): a character a key stands for is
  // written as that key when there is one.
  auto key = [](const std::string &name, const std::string &raw) {
    return name.empty() ? raw : "[" + name + "]";
  };
  std::string out;
  for (size_t i = 0; i < value.size();) {
    const size_t start = i;
    char32_t c = 0;
    const macro::ValueChar kind = macro::NextValueChar(value, i, &c);
    const std::string raw = value.substr(start, i - start);
    switch (kind) {
      case macro::ValueChar::kBracket: out += key(options.bracketKey, raw); break;
      case macro::ValueChar::kLineBreak: out += key(options.newlineKey, raw); break;
      case macro::ValueChar::kTab: out += key(options.tabKey, raw); break;
      case macro::ValueChar::kNonBreakingSpace: out += ' '; break;
      case macro::ValueChar::kItself: {
        // Office punctuation the host cannot type goes in its plain form.
        const char *plain = PlainPunctuation(c);
        out += plain != nullptr && !Typeable(codec::CodePage::kUtf8, c) ? std::string(plain) : raw;
        break;
      }
    }
  }
  return out;
}

LearnResult Learn(const std::string &recording, const std::vector<std::string> &headers,
                  const table::TableRow &first, const LearnOptions &options) {
  LearnResult result;
  Recording r{recording, TypedText(recording), BraceRuns(recording), {}, macro::SourceMap(recording), {}};
  r.taken.assign(r.typed.text.size(), false);
  std::vector<Placement> placements;
  std::vector<size_t> order(headers.size());
  std::vector<size_t> lengths(headers.size());
  for (size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
    lengths[i] = RenderedValue(first.fields[i], options).size();
  }
  // Longer values first: a short value inside a long one is not taken
  // for it.
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return lengths[a] > lengths[b]; });
  for (size_t column : order)
    result.values.push_back(LearnColumn(r, headers, first, options, column, &placements));
  // The report goes in the recording's order.
  std::stable_sort(result.values.begin(), result.values.end(),
                   [](const LearnedValue &a, const LearnedValue &b) {
                     return a.fileOrder != b.fileOrder ? a.fileOrder < b.fileOrder
                                                       : a.column < b.column;
                   });
  std::sort(placements.begin(), placements.end(),
            [](const Placement &a, const Placement &b) { return a.offset < b.offset; });
  size_t at = 0;
  for (const Placement &p : placements) {
    result.templateText += Escaped(recording, at, p.offset);
    result.templateText += "{{" + headers[p.column] + "}}";
    at = p.offset + p.length;
  }
  result.templateText += Escaped(recording, at, recording.size());
  return result;
}

}  // namespace merger
