// For the tests and the fuzz target of the merge: a whole table read at
// once, merged whole and checked whole, through the tools' own streaming
// reader, row merger and check (the tools themselves never hold a table or
// a merge whole).
#pragma once

#include <string>
#include <vector>

#include "tools/checker/checker.h"
#include "tools/merger/merge_check.h"
#include "tools/merger/merger.h"
#include "tools/reader/source.h"
#include "tools/table/table_reader.h"

namespace table_support {

// A table with all its data rows, the header excluded.
struct WholeTable : table::Table {
  std::vector<table::TableRow> rows;
};

inline bool ReadTable(const std::string &bytes, const table::TableOptions &options, WholeTable *table,
                      table::TableError *error) {
  reader::StringSource source(bytes);
  table::TableStream stream(source, options);
  table->rows.clear();
  if (!stream.ReadHeader(table, error)) return false;
  table::TableRow row;
  while (stream.Next(&row, error)) table->rows.push_back(std::move(row));
  return error->message.empty();
}

// Rows [first, end) of `table` merged into `result`; false with the
// problems, one a line, in `error`.
inline bool MergeTable(merger::MergeSources sources, const merger::MergeSettings &settings,
                       const WholeTable &table, size_t first, size_t end, merger::MergeResult *result,
                       std::string *error) {
  *result = merger::MergeResult();
  if (sources.headers == nullptr) sources.headers = &table.headers;
  merger::RowMerger merger(sources, settings, result);
  merger.Before();
  for (size_t row = first; row < end; ++row) merger.Row(table.rows[row], row);
  merger.After();
  error->clear();
  for (const std::string &problem : merger.problems().shown) *error += problem + "\n";
  return merger.problems().count == 0;
}

// A merged text checked at once.
inline merger::MergeReport CheckMerged(const checker::FileText &keys, const merger::MergeResult &merged,
                                       const merger::CheckSources &sources,
                                       const checker::PlayOptions &options) {
  merger::StreamCheck check(keys, sources, options, merger::DryRun());
  check.Check(merged);
  return check.Finish();
}

}  // namespace table_support
