// For the tests and the fuzz target of --resume: a merged macro with the
// places of its rows, the log a real run of some of it writes (the player's
// own code played on the simulated host, stopped where the test says), and
// the resume point found in such a log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/merging/merger.h"
#include "tools/merging/resume_point.h"
#include "tools/merging/run_log.h"
#include "tools/merging/template.h"
#include "tools/table/table_reader.h"

namespace resume_support {

inline check::FileText KeyFile(const std::string &content) {
  check::FileText keys;
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
  merge::Table table;
  std::vector<merge::TemplatePiece> pieces;
  merge::MergeSources sources;
  merge::MergeSettings settings;
  std::string bytes;                     // the merged macro
  std::vector<size_t> rowStart, rowEnd;  // each row's bytes in `bytes`

  bool Make(std::string *error) {
    merge::TableError tableError;
    if (!merge::ReadTable(csv, {}, &table, &tableError)) return *error = tableError.message, false;
    merge::TemplateError templateError;
    if (!merge::ParseTemplate(tpl, codec::CodePage::kUtf8, table.headers, &pieces, &templateError))
      return *error = templateError.message, false;
    sources.dataName = "d.csv";
    sources.templateBytes = &tpl;
    sources.pieces = &pieces;
    sources.before = before.empty() ? nullptr : &before;
    sources.after = after.empty() ? nullptr : &after;
    sources.headers = &table.headers;
    settings.bracketKey = bracketKey;
    merge::MergeResult piece;
    merge::RowMerger merger(sources, settings, &piece);
    merger.Before();
    for (size_t i = 0; i < table.rows.size(); ++i) {
      rowStart.push_back(piece.macro.size());
      // An empty row is left out, its number kept, as the merge does.
      if (keepEmptyRows || !merge::IsEmptyRow(table.rows[i], table.unnamed)) merger.Row(table.rows[i], i);
      rowEnd.push_back(piece.macro.size());
    }
    merger.After();
    bytes = piece.macro;
    if (merger.problems().count > 0) return *error = merger.problems().shown.front(), false;
    return true;
  }

  // The units of this merge, its table read again from `csv`.
  std::unique_ptr<merge::MergedUnits> Units() const {
    const std::string *data = &csv;
    return std::unique_ptr<merge::MergedUnits>(new merge::MergedUnits(
        [data] { return std::unique_ptr<text::ByteSource>(new text::StringSource(*data)); },
        merge::TableOptions(), sources, settings, keepEmptyRows));
  }
};

enum class RunEnd { kEndOfFile, kStopped, kClosed };

// The log of a run that sent `played` (the first bytes of a macro) and then
// ended as `end` says.
inline std::string RunLog(const std::string &played, const check::FileText &keys, RunEnd end) {
  const check::KeyFileReport report = check::BeginPlaying(keys);
  check::PlayOptions options;
  options.keepLog = true;
  options.keepStream = false;
  options.keepPostedKeys = false;
  std::string log = check::PlayMacro("m.txt", played, report, options).log;
  check::EndPlaying();
  // The last entry is the end of the file's notice, "... z pliku.".
  const size_t last = log.rfind('\n', log.size() - 2) + 1;
  if (end == RunEnd::kClosed) log.resize(last);
  if (end == RunEnd::kStopped) log.replace(log.rfind(".}"), 1, "");
  return log;
}

inline bool Resume(const RunMacro &macro, const check::FileText &keys, const std::string &log,
                   merge::ResumePoint *point, std::string *error) {
  merge::LogReader reader(log);
  std::unique_ptr<merge::MergedUnits> units = macro.Units();
  return merge::FindResumePoint(reader, *units, keys, 1, point, error);
}

}  // namespace resume_support
