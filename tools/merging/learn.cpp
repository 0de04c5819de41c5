#include "tools/merging/learn.h"

#include <stdint.h>

#include <algorithm>

namespace merge {

namespace {

constexpr size_t kWordChars = 19;  // the player's word buffer holds 19 characters

// For each byte of `text`, whether the player reads it as part of a
// bracketed word ('[' and ']' included), starting outside a word.
std::vector<bool> WordMask(const std::string &text) {
  std::vector<bool> mask(text.size(), false);
  bool inWord = false;
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(text[i]);
    if (!inWord) {
      if (byte == '[') {
        inWord = true;
        chars = 0;
        mask[i] = true;
      }
      continue;
    }
    if (byte == ']' || chars == kWordChars) {
      inWord = false;
      mask[i] = byte == ']';
      continue;
    }
    mask[i] = true;
    ++chars;
  }
  return mask;
}

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
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '[' && !options.bracketKey.empty()) {
      out += "[" + options.bracketKey + "]";
    } else if ((c == '\r' || c == '\n') && !options.newlineKey.empty()) {
      if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out += "[" + options.newlineKey + "]";
    } else if (c == '\t' && !options.tabKey.empty()) {
      out += "[" + options.tabKey + "]";
    } else if (value.compare(i, 2, "\xC2\xA0") == 0) {
      out += ' ';  // a non-breaking space is typed as a space
      ++i;
    } else if (value.compare(i, 3, "\xE2\x80\xAF") == 0) {
      out += ' ';
      i += 2;
    } else {
      out += c;
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
