// For the tests and the fuzz target of --resume: a merged macro with the
// places of its rows, the log a real run of some of it writes (the player's
// own code played on the simulated host, stopped where the test says), and
// the resume point found in such a log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/merger/merger.h"
#include "tools/merger/resume_point.h"
#include "tools/merger/run_log.h"
#include "tools/merger/template.h"
#include "tools/table/table_reader.h"
#include "tests/merge/table_support.h"

namespace resume_support {

inline checker::FileText KeyFile(const std::string &content) {
  checker::FileText keys;
  keys.name = "keys.h";
  keys.readable = true;
  keys.content = content;
  return keys;
}

// A merge of a template over a table, with the bytes of each row.
struct RunMacro {
  RunMacro() = default;
  RunMacro(const RunMacro &) = delete;
  RunMacro &operator=(const RunMacro &) = delete;

  std::string tpl, csv, before, after;  // before/after empty: none
  std::string bracketKey = "LB";        // the key typed for a '[' of a value
  bool keepEmptyRows = false;           // --keep-empty-rows: empty rows typed too
  table_support::WholeTable table;
  std::vector<merger::TemplatePiece> pieces;
  merger::MergeSources sources;
  merger::MergeSettings settings;
  std::string bytes;                     // the merged macro
  std::vector<size_t> rowStart, rowEnd;  // each row's bytes in `bytes`

  bool Make(std::string *error) {
    table::TableError tableError;
    if (!table_support::ReadTable(csv, {}, &table, &tableError)) return *error = tableError.message, false;
    merger::TemplateError templateError;
    if (!merger::ParseTemplate(tpl, codec::CodePage::kUtf8, table.headers, &pieces, &templateError))
      return *error = templateError.message, false;
    sources.dataName = "d.csv";
    sources.templateBytes = &tpl;
    sources.pieces = &pieces;
    sources.before = before.empty() ? nullptr : &before;
    sources.after = after.empty() ? nullptr : &after;
    sources.headers = &table.headers;
    settings.bracketKey = bracketKey;
    merger::MergeResult piece;
    merger::RowMerger merger(sources, settings, &piece);
    merger.Before();
    for (size_t i = 0; i < table.rows.size(); ++i) {
      rowStart.push_back(piece.macro.size());
      // An empty row is left out, its number kept, as the merge does.
      if (keepEmptyRows || !table::IsEmptyRow(table.rows[i], table.unnamed)) merger.Row(table.rows[i], i);
      rowEnd.push_back(piece.macro.size());
    }
    merger.After();
    bytes = piece.macro;
    if (merger.problems().count > 0) return *error = merger.problems().shown.front(), false;
    return true;
  }

  // The units of this merge, its table read again from `csv`.
  std::unique_ptr<merger::MergedUnits> Units() const {
    const std::string *data = &csv;
    return std::unique_ptr<merger::MergedUnits>(new merger::MergedUnits(
        [data] { return std::unique_ptr<reader::ByteSource>(new reader::StringSource(*data)); },
        table::TableOptions(), sources, settings, keepEmptyRows));
  }
};

enum class RunEnd { kEndOfFile, kStopped, kClosed };

// The log of a run that sent `played` (the first bytes of a macro) and then
// ended as `end` says.
inline std::string RunLog(const std::string &played, const checker::FileText &keys, RunEnd end) {
  const macro::KeyFileReport report = checker::BeginPlaying(keys);
  checker::PlayOptions options;
  options.keepLog = true;
  options.keepStream = false;
  options.keepPostedKeys = false;
  std::string log = checker::PlayMacro("m.txt", played, report, options).log;
  checker::EndPlaying();
  // The last entry is the end of the file's notice, "... z pliku.".
  const size_t last = log.rfind('\n', log.size() - 2) + 1;
  if (end == RunEnd::kClosed) log.resize(last);
  if (end == RunEnd::kStopped && log.rfind(".}") != std::string::npos) log.replace(log.rfind(".}"), 1, "");
  return log;
}

inline bool Resume(const RunMacro &macro, const checker::FileText &keys, const std::string &log,
                   merger::ResumePoint *point, std::string *error) {
  merger::LogReader reader(log);
  std::unique_ptr<merger::MergedUnits> units = macro.Units();
  return merger::FindResumePoint(reader, *units, keys, 1, point, error);
}

}  // namespace resume_support
