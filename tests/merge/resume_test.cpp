// --resume: the player's log read back, and the last run in it lined up with
// the rows of the macro.  Each log is one that a run really writes: the
// first bytes of the merged macro played by the player's own code on the
// simulated host, with its log open there.
#include <gtest/gtest.h>

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/merge/resume_support.h"

namespace {

using merger::LogEntry;
using merger::LogEntryKind;
using merger::ResumePoint;
using resume_support::RunEnd;
using resume_support::RunLog;
using resume_support::RunMacro;
using Found = ResumePoint::Found;

const char kKeys[] = "#define ENTER 13\n#define TAB 9\n#define LB 0x5B\n";

std::string Table(int rows) {
  std::string csv = "Nazwa;NIP\n";
  for (int i = 1; i <= rows; ++i) {
    char nip[24];
    snprintf(nip, sizeof nip, "52600011%02d", i);
    csv += "Firma " + std::to_string(i) + ";" + nip + "\n";
  }
  return csv;
}

std::vector<std::string> Lines(const std::string &log) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < log.size();) {
    size_t end = log.find("\r\n", at);
    lines.push_back(log.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::string Joined(const std::vector<std::string> &lines) {
  std::string log;
  for (const std::string &line : lines) log += line + "\r\n";
  return log;
}

TEST(RunLog, EntriesReadAsTheyStand) {
  const macro::KeyFileReport keys = checker::BeginPlaying(resume_support::KeyFile(kKeys));
  const std::string log =
      "# tastiro-merge: wiersze 17-30; szablon: t.txt; dane: d.csv\r\n"
      "2026-12-07=10:11:12 [ENTER]\r\n"
      "2026-12-07=10:11:12 {CHAR: \t}\r\n"
      "2026-12-07=10:11:12 {CHAR: \xC5\x82}\r\n"
      "2026-12-07=10:11:12 {CHAR: \r\n}\r\n"
      "2026-12-07=10:11:12 {KSHORT: 0xFFFF}\r\n"
      "2026-12-07=10:11:12 {KOMUNIKAT: Naci\xC5\x9Bnij klawisz ENTER, gdy sko\xC5\x84" "czysz\r\n"
      "aby kontynuowa\xC4\x87 makro}\r\n"
      "2026-12-07=10:11:12 [DELAY]\r\n"
      "2026-12-07=10:11:12 {NAPIS: abc}\r\n"
      "2026-12-07=10:11:12 {KOMUNIKAT: Zako\xC5\x84" "czono prac\xC4\x99 makra z pliku}\r\n";
  merger::LogReader reader(log);
  std::vector<LogEntry> entries;
  for (LogEntry e; reader.Next(&e);) entries.push_back(e);
  checker::EndPlaying();
  ASSERT_EQ(10u, entries.size());
  EXPECT_EQ(LogEntryKind::kHeader, entries[0].kind);
  EXPECT_EQ(17u, entries[0].first);
  EXPECT_EQ(30u, entries[0].last);
  const uint32_t codes[] = {13, 9, 0x92 /* ł in host text */, 10, 0xFFFF};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(LogEntryKind::kKey, entries[1 + i].kind) << i;
    EXPECT_EQ(codes[i], entries[1 + i].code) << i;
  }
  EXPECT_EQ(LogEntryKind::kNotice, entries[6].kind);
  EXPECT_EQ(8u, entries[6].line);  // the line-feed key took two lines
  EXPECT_EQ(LogEntryKind::kName, entries[7].kind);
  EXPECT_EQ("DELAY", entries[7].text);
  EXPECT_EQ(LogEntryKind::kText, entries[8].kind);
  EXPECT_EQ(LogEntryKind::kEnd, entries[9].kind);
  EXPECT_TRUE(entries[9].stopped);
  EXPECT_EQ(12u, entries[9].line);
  (void)keys;
}

struct CutCase {
  const char *name;
  std::function<std::string(const RunMacro &, const checker::FileText &)> log;
  Found found;
  size_t next, wholeTo, sent, total, runs;
};

// The first bytes of row `row` (from 1) up to `more` bytes into it.
std::string Upto(const RunMacro &m, size_t row, size_t more) {
  return m.bytes.substr(0, m.rowStart[row - 1] + more);
}

TEST(Resume, CutPoints) {
  RunMacro m;
  m.tpl = "{{#}}. {{Nazwa}}[TAB]{{NIP}}[ENTER]";
  m.csv = Table(30);
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  const size_t tab17 = m.bytes.find("[TAB]", m.rowStart[16]) + 5 - m.rowStart[16];
  const std::vector<CutCase> cases = {
      {"in a row's text (row 17 after \"17. Firm\")",
       [](const RunMacro &r, const checker::FileText &k) { return RunLog(Upto(r, 17, 8), k, RunEnd::kStopped); },
       Found::kCut, 17, 16, 8, 24, 1},
      {"on a key name ([TAB] of row 17)",
       [&](const RunMacro &r, const checker::FileText &k) { return RunLog(Upto(r, 17, tab17), k, RunEnd::kStopped); },
       Found::kCut, 17, 16, 13, 24, 1},
      {"just after a row's last key",
       [](const RunMacro &r, const checker::FileText &k) {
         return RunLog(r.bytes.substr(0, r.bytes.find("[ENTER]", r.rowStart[4]) + 7), k, RunEnd::kStopped);
       },
       Found::kWhole, 6, 5, 0, 0, 1},
      {"a full run", [](const RunMacro &r, const checker::FileText &k) { return RunLog(r.bytes, k, RunEnd::kEndOfFile); },
       Found::kAllTyped, 0, 30, 0, 0, 1},
      {"nothing sent", [](const RunMacro &, const checker::FileText &) { return std::string(); },
       Found::kNothingTyped, 1, 0, 0, 0, 0},
      {"an earlier full run, then a cut one",
       [](const RunMacro &r, const checker::FileText &k) {
         return RunLog(r.bytes, k, RunEnd::kEndOfFile) + RunLog(Upto(r, 17, 8), k, RunEnd::kStopped);
       },
       Found::kCut, 17, 16, 8, 24, 2},
      {"VOLMAR closed, then a new run from the start",
       [](const RunMacro &r, const checker::FileText &k) {
         return RunLog(Upto(r, 10, 3), k, RunEnd::kClosed) + RunLog(Upto(r, 17, 8), k, RunEnd::kClosed);
       },
       Found::kCut, 17, 16, 8, 24, 2},
      {"a key sent again (the host did not take it at once)",
       [](const RunMacro &r, const checker::FileText &k) {
         std::vector<std::string> lines = Lines(RunLog(Upto(r, 17, 8), k, RunEnd::kStopped));
         lines.insert(lines.begin() + 40, lines[40]);
         return Joined(lines);
       },
       Found::kCut, 17, 16, 8, 24, 1},
      {"[TAB] typed as characters (a key of the user waited)",
       [](const RunMacro &r, const checker::FileText &k) {
         std::vector<std::string> lines = Lines(RunLog(Upto(r, 17, 8), k, RunEnd::kStopped));
         for (size_t i = 0; i < lines.size(); ++i) {
           if (lines[i].find("[TAB]") == std::string::npos) continue;
           const std::string stamp = lines[i].substr(0, lines[i].find(' ') + 1);
           lines[i] = stamp + "[LB]";
           const char *rest[] = {"{CHAR: T}", "{CHAR: A}", "{CHAR: B}", "{CHAR: ]}"};
           for (int j = 3; j >= 0; --j) lines.insert(lines.begin() + i + 1, stamp + rest[j]);
           break;
         }
         return Joined(lines);
       },
       Found::kCut, 17, 16, 8, 24, 1},
  };
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  for (const CutCase &c : cases) {
    ResumePoint point;
    ASSERT_TRUE(resume_support::Resume(m, keys, c.log(m, keys), &point, &error)) << c.name << ": " << error;
    EXPECT_EQ(c.found, point.found) << c.name << " (line " << point.line << ": " << point.expected << " / " << point.seen << ")";
    EXPECT_EQ(c.next, point.next) << c.name;
    EXPECT_EQ(c.wholeTo, point.wholeTo) << c.name;
    EXPECT_EQ(c.sent, point.sent) << c.name;
    EXPECT_EQ(c.total, point.total) << c.name;
    EXPECT_EQ(c.runs, point.runs) << c.name;
  }
}

TEST(Resume, CutTextReadsAsTyped) {
  RunMacro m;
  m.tpl = "{{Nazwa}}[TAB]{{NIP}}[ENTER]";
  m.csv = Table(20);
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  ResumePoint point;
  ASSERT_TRUE(resume_support::Resume(m, keys, RunLog(Upto(m, 17, 5), keys, RunEnd::kStopped), &point, &error));
  EXPECT_EQ(Found::kCut, point.found);
  EXPECT_EQ("Firma", point.sentText);
  EXPECT_EQ(5u, point.sent);
  EXPECT_TRUE(point.stopped);
  EXPECT_FALSE(point.noEnd);
}

TEST(Resume, StopInsideAWait) {
  RunMacro m;
  m.tpl = "{{Nazwa}}[WAITENTER]{{NIP}}[ENTER]";
  m.csv = Table(5);
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  const size_t wait = m.bytes.find("[WAITENTER]", m.rowStart[2]) + 11;
  ResumePoint point;
  ASSERT_TRUE(resume_support::Resume(m, keys, RunLog(m.bytes.substr(0, wait), keys, RunEnd::kStopped),
                                     &point, &error));
  EXPECT_EQ(Found::kCut, point.found);
  EXPECT_EQ(3u, point.cutRow);
  EXPECT_EQ(7u, point.sent);  // "Firma 3": the no-key code after the command is no key
  EXPECT_EQ(2u, point.wholeTo);
}

TEST(Resume, CutInsideBeforeMeansNothingTyped) {
  RunMacro m;
  m.tpl = "{{Nazwa}}[ENTER]";
  m.csv = Table(3);
  m.before = "START[ENTER]\n";
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  ResumePoint point;
  ASSERT_TRUE(resume_support::Resume(m, keys, RunLog("STA", keys, RunEnd::kStopped), &point, &error));
  EXPECT_EQ(Found::kNothingTyped, point.found);
  EXPECT_EQ(1u, point.next);
}

TEST(Resume, ARestResumedAgainStartsWhereItsHeaderSays) {
  RunMacro m;
  m.tpl = "{{Nazwa}}[TAB]{{NIP}}[ENTER]";
  m.csv = Table(30);
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  const std::string rest = m.bytes.substr(m.rowStart[16], m.rowStart[19] + 3 - m.rowStart[16]);
  const std::string log = merger::LogHeaderLine(17, 30, "t.txt", "d.csv") + "\r\n" +
                          RunLog(rest, keys, RunEnd::kStopped);
  ResumePoint point;
  ASSERT_TRUE(resume_support::Resume(m, keys, log, &point, &error)) << error;
  EXPECT_EQ(Found::kCut, point.found);
  EXPECT_TRUE(point.fromHeader);
  EXPECT_EQ(17u, point.first);
  EXPECT_EQ(30u, point.last);
  EXPECT_EQ(20u, point.cutRow);
  EXPECT_EQ(19u, point.wholeTo);
}

// A spreadsheet's empty rows (";") are not typed but keep their numbers: the
// log lines up with the rows typed, with --keep-empty-rows as well.
TEST(Resume, EmptyRowsKeepTheirNumbers) {
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  for (bool keep : {false, true}) {
    RunMacro m;
    m.tpl = "{{Nazwa}}[TAB]{{NIP}}[ENTER]";
    m.csv = "Nazwa;NIP\nFirma 1;1\n;\n;\nFirma 4;4\nFirma 5;5\n";
    m.keepEmptyRows = keep;
    std::string error;
    ASSERT_TRUE(m.Make(&error)) << error;
    ResumePoint point;
    ASSERT_TRUE(resume_support::Resume(m, keys, RunLog(Upto(m, 4, 3), keys, RunEnd::kStopped), &point,
                                       &error)) << error;
    EXPECT_EQ(Found::kCut, point.found) << keep << " (line " << point.line << ": " << point.seen << ")";
    EXPECT_EQ(4u, point.cutRow) << keep;
    EXPECT_EQ(3u, point.wholeTo) << keep;
    EXPECT_EQ(3u, point.sent) << keep;
    ASSERT_TRUE(resume_support::Resume(m, keys, RunLog(Upto(m, 2, 0), keys, RunEnd::kStopped), &point,
                                       &error)) << error;
    EXPECT_EQ(Found::kWhole, point.found) << keep;
    EXPECT_EQ(keep ? 2u : 4u, point.next) << keep;  // the next row that types anything
  }
}

TEST(Resume, AForeignLogIsRefusedWhereItDiffers) {
  RunMacro m, other;
  m.tpl = other.tpl = "{{Nazwa}}[TAB]{{NIP}}[ENTER]";
  m.csv = Table(5);
  other.csv = Table(5);
  other.csv.replace(other.csv.find("5260001103"), 10, "5260001199");
  std::string error;
  ASSERT_TRUE(m.Make(&error) && other.Make(&error)) << error;
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  ResumePoint point;
  const std::string foreignLog = RunLog(other.bytes, keys, RunEnd::kEndOfFile);
  ASSERT_TRUE(resume_support::Resume(m, keys, foreignLog, &point, &error));
  EXPECT_EQ(Found::kForeign, point.found);
  EXPECT_EQ(3u, point.row);
  EXPECT_EQ("0", point.expected);
  EXPECT_EQ("9", point.seen);
  // Rows 1 and 2 take 19 entries each; the 17th of row 3 differs.
  EXPECT_EQ(2u * 19 + 17, point.line);
}

}  // namespace

namespace {

// ---- Logs as the host and a text editor leave them ---------------------------

std::string Replaced(std::string text, const std::string &from, const std::string &to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

struct ShapeCase {
  const char *name;
  std::function<std::string(const RunMacro &, const checker::FileText &)> log;
  Found found;
  size_t cutRow, sent, runs;
  bool noEnd;
  size_t line;  // kForeign: the line named
};

// Each shape is made from a real played log of the rows "Firma N<Tab>NIP<Enter>".
TEST(Resume, LogShapesReadAsTheRunTheyRecord) {
  RunMacro m;
  m.tpl = "{{Nazwa}}[TAB]{{NIP}}[ENTER]";
  m.csv = Table(30);
  std::string error;
  ASSERT_TRUE(m.Make(&error)) << error;
  auto stopped = [](const RunMacro &r, const checker::FileText &k) {
    return RunLog(Upto(r, 17, 8), k, RunEnd::kStopped);
  };
  auto closed = [](const RunMacro &r, const checker::FileText &k) {
    return RunLog(Upto(r, 17, 8), k, RunEnd::kClosed);
  };
  const std::string nuls(4096, '\0');
  const std::vector<ShapeCase> cases = {
      {"CR LF, as played", stopped, Found::kCut, 17, 8, 1, false, 0},
      {"LF", [&](const RunMacro &r, const checker::FileText &k) { return Replaced(stopped(r, k), "\r\n", "\n"); },
       Found::kCut, 17, 8, 1, false, 0},
      {"CR (once read as nothing typed)",
       [&](const RunMacro &r, const checker::FileText &k) { return Replaced(stopped(r, k), "\r\n", "\r"); },
       Found::kCut, 17, 8, 1, false, 0},
      {"byte order mark, CR LF",
       [&](const RunMacro &r, const checker::FileText &k) { return "\xEF\xBB\xBF" + stopped(r, k); },
       Found::kCut, 17, 8, 1, false, 0},
      {"byte order mark, CR",
       [&](const RunMacro &r, const checker::FileText &k) {
         return "\xEF\xBB\xBF" + Replaced(stopped(r, k), "\r\n", "\r");
       },
       Found::kCut, 17, 8, 1, false, 0},
      {"a byte order mark and a header",
       [&](const RunMacro &r, const checker::FileText &k) {
         return "\xEF\xBB\xBF" + merger::LogHeaderLine(1, 30, "t.txt", "d.csv") + "\r\n" + stopped(r, k);
       },
       Found::kCut, 17, 8, 1, false, 0},
      {"the last line cut short",
       [&](const RunMacro &r, const checker::FileText &k) { return closed(r, k) + "2026-12-07=10:11:12 {CHA"; },
       Found::kCut, 17, 8, 1, true, 0},
      {"the last line cut inside its stamp",
       [&](const RunMacro &r, const checker::FileText &k) { return closed(r, k) + "2026-12"; },
       Found::kCut, 17, 8, 1, true, 0},
      {"a NUL-filled tail",
       [&](const RunMacro &r, const checker::FileText &k) { return closed(r, k) + nuls; },
       Found::kCut, 17, 8, 1, true, 0},
      {"a line cut short, then NUL bytes",
       [&](const RunMacro &r, const checker::FileText &k) {
         return closed(r, k) + "2026-12-07=10:11:12 [TA" + nuls;
       },
       Found::kCut, 17, 8, 1, true, 0},
      {"NUL bytes, then a new run",
       [&](const RunMacro &r, const checker::FileText &k) {
         return RunLog(Upto(r, 10, 3), k, RunEnd::kClosed) + "2026-12-07=10:11:12 {CH" + nuls + stopped(r, k);
       },
       Found::kCut, 17, 8, 2, false, 0},
      {"host closed in row 2, a new run whose first row starts like it",
       [&](const RunMacro &r, const checker::FileText &k) {
         return RunLog(Upto(r, 2, 6), k, RunEnd::kClosed) + stopped(r, k);
       },
       Found::kCut, 17, 8, 2, false, 0},
      {"host closed in row 3, LF line ends",
       [&](const RunMacro &r, const checker::FileText &k) {
         return Replaced(RunLog(Upto(r, 3, 7), k, RunEnd::kClosed) + closed(r, k), "\r\n", "\n");
       },
       Found::kCut, 17, 8, 2, true, 0},
      {"an unreadable line is named",
       [&](const RunMacro &r, const checker::FileText &k) {
         std::vector<std::string> lines = Lines(stopped(r, k));
         lines[40] = "2026-12-07=10:11:12 {NIC: ?}";
         return Joined(lines);
       },
       Found::kForeign, 0, 0, 1, false, 41},
  };
  const checker::FileText keys = resume_support::KeyFile(kKeys);
  for (const ShapeCase &c : cases) {
    ResumePoint point;
    ASSERT_TRUE(resume_support::Resume(m, keys, c.log(m, keys), &point, &error)) << c.name << ": " << error;
    EXPECT_EQ(c.found, point.found) << c.name << " (line " << point.line << ": " << point.expected << " / "
                                    << point.seen << ")";
    EXPECT_EQ(c.runs, point.runs) << c.name;
    if (c.found == Found::kForeign) {
      EXPECT_EQ(c.line, point.line) << c.name;
      continue;
    }
    EXPECT_EQ(c.cutRow, point.cutRow) << c.name;
    EXPECT_EQ(c.sent, point.sent) << c.name;
    EXPECT_EQ(c.noEnd, point.noEnd) << c.name;
  }
}

// ---- The expected entries against the log the player writes ------------------

// The entries that the player's own log writer writes for the merged rows,
// read back: the reading the expected entries stand in for.
std::vector<LogEntry> LoggedEntries(const RunMacro &m, const macro::KeyFileReport &keys) {
  std::unique_ptr<merger::MergedUnits> units = m.Units();
  std::string error, checked;
  EXPECT_TRUE(units->Start(1, SIZE_MAX, &error)) << error;
  for (merger::MacroUnit unit; units->Next(&unit, &error);) checked += unit.checked;
  checker::PlayOptions options;
  options.keepLog = true;
  const std::string log = checker::PlayMacro("m.txt", checked, keys, options).log;
  merger::LogReader reader(log);
  std::vector<LogEntry> entries;
  for (LogEntry e; reader.Next(&e);) entries.push_back(e);
  if (!entries.empty() && entries.back().kind == LogEntryKind::kEnd) entries.pop_back();
  return entries;
}

TEST(ExpectedLog, EntriesAreThoseThePlayersLogHolds) {
  const char *pieces[] = {"x", " ", "ą", "Ł", "{{A}}", "{{B}}", "{{#}}", "[TAB]", "[ENTER]", "[DELAY]",
                          "[WAIT]", "[WAITENTER]", "[HALT]", "[SF11]", "[abc]", "[ab\ncd]", "\n",
                          "[LB]", "[0123456789012345678901]", "[F1]"};
  const char *values[] = {"", "a", "Źle", "1 2", "[x]", "ab[", "%s%d", "zz"};
  const checker::FileText keyFile = resume_support::KeyFile(std::string(kKeys) + "#define F1 0x3B00\n");
  uint64_t state = 12345;
  auto next = [&](size_t n) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<size_t>((state >> 33) % n);
  };
  for (int round = 0; round < 300; ++round) {
    RunMacro m;
    for (size_t i = 0, n = 1 + next(8); i < n; ++i) m.tpl += pieces[next(sizeof pieces / sizeof *pieces)];
    m.csv = "A;B\n";
    for (size_t i = 0, n = 1 + next(6); i < n; ++i)
      m.csv += std::string(values[next(8)]) + ";" + values[next(8)] + "\n";
    if (next(4) == 0) m.before = "B[TAB]";
    if (next(4) == 0) m.after = "[DELAY]E";
    std::string error;
    if (!m.Make(&error)) continue;
    const macro::KeyFileReport keys = checker::BeginPlaying(keyFile);
    const std::vector<LogEntry> logged = LoggedEntries(m, keys);
    std::vector<merger::ExpectedEntry> expected;
    std::vector<size_t> rows;
    {
      std::unique_ptr<merger::MergedUnits> units = m.Units();
      merger::ExpectedLog log(*units);
      ASSERT_TRUE(log.Start(1, SIZE_MAX, &error)) << error;
      for (merger::ExpectedUnit unit; log.Next(&unit, &error);) {
        rows.push_back(unit.row);
        for (const merger::ExpectedEntry &e : unit.entries) {
          EXPECT_EQ(unit.kind == merger::MacroUnit::Kind::kRow ? unit.row : 0, e.row);
          expected.push_back(e);
        }
      }
      EXPECT_EQ("", error) << m.tpl;
    }
    checker::EndPlaying();
    ASSERT_EQ(logged.size(), expected.size()) << "template «" << m.tpl << "» table «" << m.csv << "»";
    for (size_t i = 0; i < logged.size(); ++i) {
      EXPECT_TRUE(logged[i] == expected[i].entry)
          << "entry " << i << " of template «" << m.tpl << "»: logged " << static_cast<int>(logged[i].kind)
          << " " << logged[i].code << " «" << logged[i].text << "», expected "
          << static_cast<int>(expected[i].entry.kind) << " " << expected[i].entry.code << " «"
          << expected[i].entry.text << "»";
      const bool delay = expected[i].entry.kind == LogEntryKind::kName && expected[i].entry.text == "DELAY";
      if (delay) {
        EXPECT_EQ(merger::EntryCommand::kDelay, expected[i].command);
      }
    }
  }
}

}  // namespace
