#include "tools/merging/learn.h"

#include <stdint.h>

#include <algorithm>

#include "tools/macro/macro_words.h"

namespace merge {

namespace {

using check::WordMask;  // the player's reading of bracketed words (tools/macro)

// Whether the bytes at `offset` of `text` stand outside words as `own`
// (the rendered value's mask) does when the merge writes it: not behind an
// open '[', and each byte in a word exactly where the rendering's is.
bool FitsAt(const std::string &text, const std::vector<bool> &mask, const std::vector<bool> &own,
            size_t offset) {
  if (offset > 0 && mask[offset - 1] && text[offset - 1] != ']') return false;
  for (size_t k = 0; k < own.size(); ++k)
    if (mask[offset + k] != own[k]) return false;
  return true;
}

bool NameFitsPlaceholder(const std::string &name) {
  return name != "#" && !name.empty() && name.find("}}") == std::string::npos &&
         name.find_first_of("\r\n") == std::string::npos && name.compare(0, 2, "{{") != 0;
}

// Whether an odd run of '{' stands right before `at`: its last '{' would
// join the placeholder's "{{" (a literal '{' is written only in pairs).
bool OddBracesBefore(const std::string &text, size_t at) {
  size_t run = 0;
  while (run < at && text[at - run - 1] == '{') ++run;
  return run % 2 == 1;
}

// The recording's text with "{{" written as the template writes a literal
// one.
std::string Escaped(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "{{") == 0) {
      out += "{{{{";
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
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
    const check::ValueChar kind = check::NextValueChar(value, i, &c);
    const std::string raw = value.substr(start, i - start);
    switch (kind) {
      case check::ValueChar::kBracket: out += key(options.bracketKey, raw); break;
      case check::ValueChar::kLineBreak: out += key(options.newlineKey, raw); break;
      case check::ValueChar::kTab: out += key(options.tabKey, raw); break;
      case check::ValueChar::kNonBreakingSpace: out += ' '; break;
      case check::ValueChar::kItself: out += raw; break;
    }
  }
  return out;
}

LearnResult Learn(const std::string &recording, const std::vector<std::string> &headers,
                  const TableRow &first, const LearnOptions &options) {
  LearnResult result;
  const std::vector<bool> mask = WordMask(recording);
  const check::SourceMap map(recording);
  std::vector<bool> taken(recording.size(), false);
  struct Placement {
    size_t offset, length, column;
  };
  std::vector<Placement> placements;

  std::vector<size_t> order(headers.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Longer values first: a short value inside a long one is not taken
  // for it.
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return RenderedValue(first.fields[a], options).size() >
           RenderedValue(first.fields[b], options).size();
  });
  for (size_t column : order) {
    LearnedValue learned;
    learned.column = column;
    learned.value = first.fields[column];
    const std::string rendered = RenderedValue(learned.value, options);
    if (rendered.empty()) {
      learned.outcome = LearnOutcome::kEmpty;
      result.values.push_back(learned);
      continue;
    }
    if (!NameFitsPlaceholder(headers[column])) {
      learned.outcome = LearnOutcome::kBadName;
      result.values.push_back(learned);
      continue;
    }
    const std::vector<bool> own = WordMask(rendered);
    std::vector<size_t> found;
    bool anywhere = false;
    for (size_t at = recording.find(rendered); at != std::string::npos;
         at = recording.find(rendered, at + 1)) {
      bool free = true;
      for (size_t k = 0; k < rendered.size() && free; ++k) free = !taken[at + k];
      if (!free) continue;
      if (OddBracesBefore(recording, at)) continue;
      anywhere = true;
      if (!FitsAt(recording, mask, own, at)) continue;
      found.push_back(at);
      learned.places.push_back(map.At(at));
    }
    size_t chosen = SIZE_MAX;
    bool chosenByAt = false;
    for (const auto &[name, n] : options.at) {
      if (name != headers[column]) continue;
      chosenByAt = true;
      if (n >= 1 && n <= found.size()) chosen = n - 1;
    }
    if (chosenByAt && chosen == SIZE_MAX) {
      learned.outcome = LearnOutcome::kAtTooFar;
    } else if (chosenByAt || found.size() == 1) {
      if (!chosenByAt) chosen = 0;
      learned.outcome = LearnOutcome::kPlaced;
      learned.placedAt = learned.places[chosen];
      for (size_t k = 0; k < rendered.size(); ++k) taken[found[chosen] + k] = true;
      placements.push_back(Placement{found[chosen], rendered.size(), column});
    } else if (found.size() > 1) {
      learned.outcome = LearnOutcome::kAmbiguous;
    } else {
      learned.outcome = anywhere ? LearnOutcome::kInsideWord : LearnOutcome::kMissing;
    }
    result.values.push_back(learned);
  }

  std::sort(placements.begin(), placements.end(),
            [](const Placement &a, const Placement &b) { return a.offset < b.offset; });
  size_t at = 0;
  for (const Placement &p : placements) {
    result.templateText += Escaped(recording.substr(at, p.offset - at));
    result.templateText += "{{" + headers[p.column] + "}}";
    at = p.offset + p.length;
  }
  result.templateText += Escaped(recording.substr(at));
  return result;
}

}  // namespace merge
