#include "tools/merger/merge_check.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "plugin/keys/key_names.h"
#include "tools/checker/key_file_check.h"
#include "tools/checker/report.h"
#include "tools/checker/sim_host.h"
#include "tools/macro/macro_words.h"
#include "tools/macro/suggest.h"
#include "tools/macro/text_util.h"
#include "tools/os/console.h"
#include "tools/messages/merge_texts.h"
#include "tools/messages/tell.h"

namespace merger {

using Msg = messages::MergeMsg;

namespace {

constexpr uint32_t kBracketCode = '[';

using macro::UsableKeyName;  // tools/macro

// A place in one of the merge's sources.
struct Place {
  std::string file;
  macro::SourcePosition position;
  std::string sourceLine;  // UTF-8
  std::string group;       // "row 3 (data.csv:4)", "--before", "--after"
  std::string value;       // "row 3 (data.csv:4), column "Nazwa"" for a value
};

class Locator {
 public:
  explicit Locator(const CheckSources &sources)
      : sources_(sources), template_(*sources.templateBytes),
        before_(sources.before ? *sources.before : std::string()),
        after_(sources.after ? *sources.after : std::string()) {}

  // Places in the checked text of `merged`.
  Place At(const MergeResult &merged, int64_t offset) const;
  // For a bracketed word that starts at `offset`: the first value inside
  // it, as "row 3 (data.csv:4), column "Nazwa"", or empty.
  std::string ValueInWord(const MergeResult &merged, int64_t offset) const;

 private:
  std::string RowName(const MergeResult &merged, size_t row) const {
    auto found = std::lower_bound(
        merged.checkedRows.begin(), merged.checkedRows.end(), row,
        [](const CheckedRow &r, size_t index) { return r.row < index; });
    const int line = found != merged.checkedRows.end() && found->row == row ? found->line : 0;
    return Say(Msg::kRowName, {row + 1, sources_.dataName, line});
  }
  std::string ValueName(const MergeResult &merged, const Segment &segment) const {
    if (segment.origin == Origin::kRowNumber)
      return RowName(merged, segment.row) + Say(Msg::kRowNumberPlace);
    return RowName(merged, segment.row) +
           Say(Msg::kColumnPlace, {(*sources_.headers)[static_cast<size_t>(segment.column)]});
  }
  void Fill(Place &place, const std::string &file, const macro::SourceMap &map,
            size_t offset) const;

  const CheckSources &sources_;
  const macro::SourceMap template_;
  const macro::SourceMap before_;
  const macro::SourceMap after_;
};

void Locator::Fill(Place &place, const std::string &file, const macro::SourceMap &map,
                   size_t offset) const {
  place.file = file;
  place.position = map.At(offset);
  std::string line = map.Line(place.position.line, macro::kExcerptLimit);
  std::string utf8;
  size_t bad = 0;
  place.sourceLine = codec::DecodeToUtf8(sources_.encoding, line, &utf8, &bad) ? utf8 : line;
}

std::string Locator::ValueInWord(const MergeResult &merged, int64_t offset) const {
  const std::string &text = merged.checked;
  if (offset < 0 || static_cast<size_t>(offset) >= text.size() || text[offset] != '[') return "";
  size_t end = std::min(text.size(), static_cast<size_t>(offset) + 21);
  end = std::min(end, text.find(']', static_cast<size_t>(offset)));
  const Segment *segment = FindSegment(merged, static_cast<size_t>(offset));
  const Segment *last = merged.segments.data() + merged.segments.size();
  for (; segment != nullptr && segment < last && segment->start < end; ++segment)
    if (segment->origin == Origin::kValue || segment->origin == Origin::kRowNumber)
      return ValueName(merged, *segment);
  return "";
}

Place Locator::At(const MergeResult &merged, int64_t offset) const {
  Place place;
  place.file = sources_.outputName;
  const Segment *segment = offset < 0 ? nullptr : FindSegment(merged, static_cast<size_t>(offset));
  if (segment == nullptr) return place;
  const size_t source = SourceOffset(*segment, static_cast<size_t>(offset));
  switch (segment->origin) {
    case Origin::kBefore:
      Fill(place, sources_.beforeName, before_, source);
      place.group = Say(Msg::kBeforeGroup, {sources_.beforeName});
      return place;
    case Origin::kAfter:
      Fill(place, sources_.afterName, after_, source);
      place.group = Say(Msg::kAfterGroup, {sources_.afterName});
      return place;
    case Origin::kValue:
    case Origin::kBracketKey:
    case Origin::kNewlineKey:
    case Origin::kRowNumber:
      place.value = ValueName(merged, *segment);
      break;
    case Origin::kTemplate:
    case Origin::kSeparator:
      break;
  }
  Fill(place, sources_.templateName, template_, source);
  place.group = RowName(merged, segment->row);
  return place;
}

// One item of the dry run in the compact form: a text typed, a key, a
// command, what the user does.
std::string CompactItem(const macro::StreamItem &item) {
  using macro::StreamKind;
  switch (item.kind) {
    case macro::StreamKind::kCharacter:
      return "\"" + macro::Visible(macro::HostToUtf8(item.text)) + "\"";
    case macro::StreamKind::kKey:
    case macro::StreamKind::kCommand:
      return "[" + macro::FileBytesToUtf8(item.name) + "]" +
             (item.text.empty() ? "" : Say(Msg::kDryCommandEffect, {item.text}));
    case macro::StreamKind::kText:
      return Say(Msg::kDryTextTyped, {macro::Visible(macro::HostToUtf8(item.text))});
    case macro::StreamKind::kUserEnter:
      return Say(Msg::kDryUserEnter);
    case macro::StreamKind::kUserShiftF11:
      return Say(Msg::kDryUserShiftF11);
    case macro::StreamKind::kQuestion:
      return Say(Msg::kDryQuestion, {item.text});
    case macro::StreamKind::kPassStart:
      return Say(Msg::kDryPassStart);
    case macro::StreamKind::kStopped:
      return Say(Msg::kDryStopped);
    case macro::StreamKind::kEnd:
      break;
  }
  return "";
}

}  // namespace

KeyLookup LookUpKeys(const checker::FileText &keys, const std::string &newline) {
  KeyLookup lookup;
  lookup.readable = keys.readable;
  lookup.error = keys.error;
  checker::InstallSimHost();
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  checker::CheckKeyFile(keys.name, keys.readable ? &keys.content : nullptr, keys.error);
  // The player's search by name walks the table in its order and stops at
  // the first empty name; a name it finds first for another code is not
  // this key's.
  const KeyNameEntry *entries = KeyNameEntries();
  for (uint32_t i = 0; i < KeyNameCount() && entries[i].name[0] != 0; ++i) {
    if (entries[i].code != kBracketCode || !macro::UsableKeyName(entries[i].name)) continue;
    if (FindKeyCode(entries[i].name) != kBracketCode) continue;
    lookup.bracketKey = entries[i].name;
    break;
  }
  lookup.newlineFound = macro::UsableKeyName(newline) && FindKeyCode(newline.c_str()) != 0;
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  return lookup;
}

struct StreamCheck::State {
  State(const checker::FileText &k, const CheckSources &s, const checker::PlayOptions &o,
        const DryRun &d)
      : keys(k), sources(s), options(o), dryRun(d), locator(s) {
    options.keepStream = dryRun.out != nullptr;
    options.characterRuns = !dryRun.eachCharacter;
    options.keepPostedKeys = false;
  }
  void PrintRows(const MergeResult &piece, const macro::MacroReport &played);

  const checker::FileText &keys;
  const CheckSources &sources;
  checker::PlayOptions options;
  const DryRun dryRun;
  Locator locator;
  size_t pieces = 0;
  MergeReport report;
  std::vector<bool> keyFindingShown;
  std::set<std::tuple<std::string, int, int, std::string, std::string>> seen;
  std::map<std::tuple<std::string, int, int, std::string>, size_t> perPlace;
  std::string group = "\x01";  // the dry run's row being printed
  std::string line;
  macro::Diagnostic emptyMacro;  // id empty when no piece was empty
};

void StreamCheck::State::PrintRows(const MergeResult &piece, const macro::MacroReport &played) {
  FILE *out = dryRun.out;
  for (const macro::StreamItem &found : played.stream) {
    Place place = locator.At(piece, found.offset);
    if (found.kind == macro::StreamKind::kEnd) continue;
    if (place.group != group) {
      if (!line.empty()) os::Write(out, line + "\n");
      line.clear();
      group = place.group;
      if (dryRun.eachCharacter) os::Write(out, (group.empty() ? sources.outputName : group) + ":\n");
      else line = (group.empty() ? sources.outputName : group) + ":";
    }
    if (dryRun.eachCharacter) {
      macro::StreamItem item = found;
      item.position = place.position;
      os::Write(out, checker::StreamItemText(item, dryRun.color) + "\n");
      continue;
    }
    std::string item = CompactItem(found);
    // Texts typed one after the other in a row are one text.
    if (found.kind == macro::StreamKind::kCharacter && line.size() > 1 && line.back() == '"' &&
        item.size() >= 2 && line[line.size() - 2] != ':') {
      line.pop_back();
      line += item.substr(1);
    } else {
      line += " " + item;
    }
  }
}

StreamCheck::StreamCheck(const checker::FileText &keys, const CheckSources &sources,
                         const checker::PlayOptions &options, const DryRun &dryRun)
    : state_(new State(keys, sources, options, dryRun)) {}

StreamCheck::~StreamCheck() { delete state_; }

// Rows alike give the same finding at the same place of the template:
// each is reported once.  Rows whose values differ give findings that
// differ: a place shows kFindingsPerPlace of them, and counts the rest.
void StreamCheck::Gather(const MergeResult &piece, const macro::Diagnostic &found) {
  State &s = *state_;
  // A piece that types nothing says nothing of the whole macro.
  if (found.id == "empty-macro") {
    s.emptyMacro = found;
    s.emptyMacro.file = s.sources.outputName;
    return;
  }
  macro::Diagnostic d = found;
  if (found.offset >= 0) {
    Place place = s.locator.At(piece, found.offset);
    d.file = place.file;
    d.position = place.position;
    d.sourceLine = place.sourceLine;
    if (place.value.empty()) place.value = s.locator.ValueInWord(piece, found.offset);
    if (!place.value.empty()) d.message = place.value + ": " + d.message;
  }
  const auto key = std::make_tuple(d.file, d.position.line, d.position.column, d.id, d.message);
  if (s.seen.count(key) != 0) return;
  s.report.warnings += d.severity == macro::Severity::kWarning;
  s.report.errors += d.severity == macro::Severity::kError;
  size_t &atPlace = s.perPlace[{d.file, d.position.line, d.position.column, d.id}];
  if (atPlace < kFindingsPerPlace) {
    ++atPlace;
    s.seen.insert(key);
    s.report.diagnostics.push_back(d);
    return;
  }
  auto hidden = std::find_if(s.report.hidden.begin(), s.report.hidden.end(),
                             [&](const HiddenFindings &h) {
                               return h.file == d.file && h.position.line == d.position.line &&
                                      h.position.column == d.position.column && h.id == d.id;
                             });
  if (hidden == s.report.hidden.end())
    s.report.hidden.push_back(HiddenFindings{d.file, d.position, d.id, 1});
  else
    ++hidden->count;
}

void StreamCheck::Check(const MergeResult &piece) {
  State &s = *state_;
  checker::FileText macro;
  macro.name = s.sources.outputName;
  macro.readable = true;
  macro.content = piece.checked;
  checker::CheckResult result = checker::RunCheck(s.keys, {macro}, s.options);
  macro::MacroReport &played = result.macros.front();
  if (s.pieces++ == 0) {
    s.report.keys = result.keys;
    s.keyFindingShown.assign(result.keys.diagnostics.size(), false);
  }
  // A finding of the key definitions is shown when any piece uses its name.
  for (size_t i = 0; i < result.keys.diagnostics.size() && i < s.keyFindingShown.size(); ++i)
    if (!result.keys.diagnostics[i].summarized) s.keyFindingShown[i] = true;
  s.report.keysPosted += played.keysPosted;
  s.report.textsTyped += played.textsTyped;
  s.report.commandsRun += played.commandsRun;
  s.report.userActions += played.userActions;
  s.report.leastMilliseconds += played.leastMilliseconds;

  for (const macro::Diagnostic &found : played.diagnostics) Gather(piece, found);
  if (s.dryRun.out != nullptr) s.PrintRows(piece, played);
}

MergeReport StreamCheck::Finish() {
  State &s = *state_;
  if (s.pieces == 0) Check(MergeResult());
  if (s.dryRun.out != nullptr && !s.line.empty()) os::Write(s.dryRun.out, s.line + "\n");
  s.line.clear();
  if (!s.emptyMacro.id.empty() && s.report.keysPosted == 0 && s.report.textsTyped == 0 &&
      s.report.commandsRun == 0) {
    s.report.diagnostics.push_back(s.emptyMacro);
    s.report.warnings += s.emptyMacro.severity == macro::Severity::kWarning;
    s.report.errors += s.emptyMacro.severity == macro::Severity::kError;
  }
  for (size_t i = 0; i < s.report.keys.diagnostics.size(); ++i)
    s.report.keys.diagnostics[i].summarized = !s.keyFindingShown[i];
  checker::Totals totals = checker::Count(s.report.keys, {});
  s.report.warnings += totals.warnings;
  s.report.errors += totals.errors;
  return s.report;
}

void PrintReport(FILE *out, const MergeReport &report, bool color) {
  for (const macro::Diagnostic &d : report.keys.diagnostics)
    if (!d.summarized) os::Write(out, checker::DiagnosticText(d, color));
  os::Write(out, checker::SummaryOfKeyFindings(report.keys));
  for (const macro::Diagnostic &d : report.diagnostics)
    os::Write(out, checker::DiagnosticText(d, color));
  for (const HiddenFindings &h : report.hidden)
    messages::TellOn(out, messages::Severity::kNote, messages::Where(h.file, h.position.line, h.position.column),
                     Say(Msg::kHiddenFindings, {h.count, h.id}));
}

}  // namespace merger
