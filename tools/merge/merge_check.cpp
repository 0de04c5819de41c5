#include "tools/merge/merge_check.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "plugin/keys/key_names.h"
#include "tools/check/key_file_check.h"
#include "tools/check/report.h"
#include "tools/check/sim_host.h"
#include "tools/check/suggest.h"

namespace merge {

namespace {

constexpr uint32_t kBracketCode = '[';

// A name the player resolves to its key when written in brackets.
bool UsableKeyName(const std::string &name) {
  if (name.empty() || name.size() > 19 || name.find_first_of("]\r\n") != std::string::npos)
    return false;
  for (const std::string &command : check::kCommandNames)
    if (command == name) return false;
  return true;
}

// A place in one of the merge's sources.
struct Place {
  std::string file;
  check::SourcePosition position;
  std::string sourceLine;  // UTF-8
  std::string group;       // "row 3 (data.csv:4)", "--before", "--after"
  std::string value;       // "row 3 (data.csv:4), column "Nazwa"" for a value
};

class Locator {
 public:
  Locator(const MergeResult &merged, const CheckSources &sources)
      : merged_(merged), sources_(sources), template_(*sources.templateBytes),
        before_(sources.before ? *sources.before : std::string()),
        after_(sources.after ? *sources.after : std::string()) {}

  Place At(int64_t offset) const;
  // For a bracketed word that starts at `offset`: the first value inside
  // it, as "row 3 (data.csv:4), column "Nazwa"", or empty.
  std::string ValueInWord(int64_t offset) const;

 private:
  std::string RowName(size_t row) const {
    return "row " + std::to_string(row + 1) + " (" + sources_.dataName + ":" +
           std::to_string(sources_.table->rows[row].line) + ")";
  }
  void Fill(Place &place, const std::string &file, const check::SourceMap &map,
            size_t offset) const;

  const MergeResult &merged_;
  const CheckSources &sources_;
  const check::SourceMap template_;
  const check::SourceMap before_;
  const check::SourceMap after_;
};

void Locator::Fill(Place &place, const std::string &file, const check::SourceMap &map,
                   size_t offset) const {
  place.file = file;
  place.position = map.At(offset);
  std::string line = map.Line(place.position.line, check::kExcerptLimit);
  std::string utf8;
  size_t bad = 0;
  place.sourceLine = codec::DecodeToUtf8(sources_.encoding, line, &utf8, &bad) ? utf8 : line;
}

std::string Locator::ValueInWord(int64_t offset) const {
  const std::string &text = merged_.checked;
  if (offset < 0 || static_cast<size_t>(offset) >= text.size() || text[offset] != '[') return "";
  size_t end = std::min(text.size(), static_cast<size_t>(offset) + 21);
  end = std::min(end, text.find(']', static_cast<size_t>(offset)));
  const Segment *segment = FindSegment(merged_, static_cast<size_t>(offset));
  const Segment *last = merged_.segments.data() + merged_.segments.size();
  for (; segment != nullptr && segment < last && segment->start < end; ++segment) {
    if (segment->origin == Origin::kValue)
      return RowName(segment->row) + ", column \"" +
             sources_.table->headers[static_cast<size_t>(segment->column)] + "\"";
    if (segment->origin == Origin::kRowNumber) return RowName(segment->row) + ", {{#}}";
  }
  return "";
}

Place Locator::At(int64_t offset) const {
  Place place;
  place.file = sources_.outputName;
  const Segment *segment = offset < 0 ? nullptr : FindSegment(merged_, static_cast<size_t>(offset));
  if (segment == nullptr) return place;
  const size_t source = SourceOffset(*segment, static_cast<size_t>(offset));
  switch (segment->origin) {
    case Origin::kBefore:
      Fill(place, sources_.beforeName, before_, source);
      place.group = "--before " + sources_.beforeName;
      return place;
    case Origin::kAfter:
      Fill(place, sources_.afterName, after_, source);
      place.group = "--after " + sources_.afterName;
      return place;
    case Origin::kValue:
    case Origin::kBracketKey:
    case Origin::kNewlineKey:
      place.value = RowName(segment->row) + ", column \"" +
                    sources_.table->headers[static_cast<size_t>(segment->column)] + "\"";
      break;
    case Origin::kRowNumber:
      place.value = RowName(segment->row) + ", {{#}}";
      break;
    case Origin::kTemplate:
    case Origin::kSeparator:
      break;
  }
  Fill(place, sources_.templateName, template_, source);
  place.group = RowName(segment->row);
  return place;
}

}  // namespace

KeyLookup LookUpKeys(const check::FileText &keys, const std::string &newline) {
  KeyLookup lookup;
  lookup.readable = keys.readable;
  lookup.error = keys.error;
  check::InstallSimHost();
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  check::CheckKeyFile(keys.name, keys.readable ? &keys.content : nullptr, keys.error);
  // The player's search by name walks the table in its order and stops at
  // the first empty name; a name it finds first for another code is not
  // this key's.
  const KeyNameEntry *entries = KeyNameEntries();
  for (uint32_t i = 0; i < KeyNameCount() && entries[i].name[0] != 0; ++i) {
    if (entries[i].code != kBracketCode || !UsableKeyName(entries[i].name)) continue;
    if (FindKeyCode(entries[i].name) != kBracketCode) continue;
    lookup.bracketKey = entries[i].name;
    break;
  }
  lookup.newlineFound = UsableKeyName(newline) && FindKeyCode(newline.c_str()) != 0;
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  return lookup;
}

MergeReport CheckMerged(const check::FileText &keys, const MergeResult &merged,
                        const CheckSources &sources, const check::PlayOptions &options) {
  MergeReport report;
  check::FileText macro;
  macro.name = sources.outputName;
  macro.readable = true;
  macro.content = merged.checked;
  check::CheckResult result = check::RunCheck(keys, {macro}, options);
  report.keys = std::move(result.keys);
  report.macro = std::move(result.macros.front());

  // Rows alike give the same finding at the same place of the template:
  // each is reported once.
  Locator locator(merged, sources);
  std::set<std::tuple<std::string, int, int, std::string, std::string>> seen;
  for (const check::Diagnostic &found : report.macro.diagnostics) {
    check::Diagnostic d = found;
    if (found.offset >= 0) {
      Place place = locator.At(found.offset);
      d.file = place.file;
      d.position = place.position;
      d.sourceLine = place.sourceLine;
      if (place.value.empty()) place.value = locator.ValueInWord(found.offset);
      if (!place.value.empty()) d.message = place.value + ": " + d.message;
    }
    if (!seen.insert({d.file, d.position.line, d.position.column, d.id, d.message}).second)
      continue;
    report.diagnostics.push_back(d);
  }
  check::Totals totals = check::Count(report.keys, {});
  report.warnings = totals.warnings;
  report.errors = totals.errors;
  for (const check::Diagnostic &d : report.diagnostics) {
    report.warnings += d.severity == check::Severity::kWarning;
    report.errors += d.severity == check::Severity::kError;
  }
  return report;
}

void PrintReport(FILE *out, const MergeReport &report, const MergeResult &merged,
                 const CheckSources &sources, bool dryRun, bool color, uint16_t keyDelay) {
  for (const check::Diagnostic &d : report.keys.diagnostics)
    fputs(check::DiagnosticText(d, color).c_str(), out);
  for (const check::Diagnostic &d : report.diagnostics)
    fputs(check::DiagnosticText(d, color).c_str(), out);
  if (dryRun) {
    fprintf(out, "%s: dry run, key delay %u ms\n", sources.outputName.c_str(),
            static_cast<unsigned>(keyDelay));
    Locator locator(merged, sources);
    std::string group = "\x01";
    for (const check::StreamItem &found : report.macro.stream) {
      Place place = locator.At(found.offset);
      if (place.group != group) {
        group = place.group;
        if (!group.empty()) fprintf(out, "%s:\n", group.c_str());
      }
      check::StreamItem item = found;
      item.position = place.position;
      fprintf(out, "%s\n", check::StreamItemText(item, color).c_str());
    }
    const check::MacroReport &m = report.macro;
    fprintf(out, "  keys: %u; texts typed: %u; commands: %u; user actions: %u\n", m.keysPosted,
            m.textsTyped, m.commandsRun, m.userActions);
  }
  if (report.warnings + report.errors > 0)
    fprintf(out, "%zu warning%s, %zu error%s\n", report.warnings, report.warnings == 1 ? "" : "s",
            report.errors, report.errors == 1 ? "" : "s");
}

}  // namespace merge
