#include "tools/checker/report.h"

#include <inttypes.h>
#include <stdarg.h>

#include <algorithm>
#include <utility>

#include "player/playback/player_texts.h"
#include "tools/messages/check_texts.h"
#include "tools/messages/tell.h"
#include "tools/macro/text_util.h"
#include "tools/os/console.h"
#include "tools/lang/printf_format.h"

namespace checker {

using Msg = messages::CheckMsg;

namespace {

// ANSI colours, used only on a terminal.
struct Palette {
  bool on;
  const char *Bold() const { return on ? "\033[1m" : ""; }
  const char *Warning() const { return on ? "\033[1;35m" : ""; }
  const char *Error() const { return on ? "\033[1;31m" : ""; }
  const char *Hint() const { return on ? "\033[32m" : ""; }
  const char *Caret() const { return on ? "\033[1;32m" : ""; }
  const char *User() const { return on ? "\033[1;33m" : ""; }
  const char *Dim() const { return on ? "\033[2m" : ""; }
  const char *Reset() const { return on ? "\033[0m" : ""; }
};

// The JSON's severity, which stays English.
const char *SeverityName(macro::Severity severity) {
  switch (severity) {
    case macro::Severity::kError: return "error";
    case macro::Severity::kWarning: return "warning";
    case macro::Severity::kNote: return "note";
  }
  return "note";
}

// The dry run's kind of an item, in the tool's language.
std::string KindText(macro::StreamKind kind) {
  switch (kind) {
    case macro::StreamKind::kCharacter: return Say(Msg::kKindCharacter);
    case macro::StreamKind::kKey: return Say(Msg::kKindKey);
    case macro::StreamKind::kCommand: return Say(Msg::kKindCommand);
    case macro::StreamKind::kText: return Say(Msg::kKindText);
    case macro::StreamKind::kUserEnter: return Say(Msg::kKindEnter);
    case macro::StreamKind::kUserShiftF11: return Say(Msg::kKindShiftF11);
    case macro::StreamKind::kQuestion: return Say(Msg::kKindQuestion);
    case macro::StreamKind::kPassStart: return Say(Msg::kKindRestart);
    case macro::StreamKind::kEnd: return Say(Msg::kKindEnd);
    case macro::StreamKind::kStopped: return Say(Msg::kKindStopped);
  }
  return "";
}

// `text` padded with blanks to `width` characters.
std::string Padded(const std::string &text, size_t width) {
  size_t length = macro::Utf8Length(text);
  return length >= width ? text : text + std::string(width - length, ' ');
}

// "  1:6       text       ": the place and the kind of a dry-run line.
std::string StreamHead(const char *where, const std::string &kind) {
  return "  " + Padded(where, 9) + " " + Padded(kind, 10) + " ";
}

std::string Where(const std::string &file, macro::SourcePosition position) {
  if (position.line <= 0) return file;
  return file + ":" + std::to_string(position.line) + ":" + std::to_string(position.column);
}

std::string Seconds(uint64_t milliseconds) {
  char text[32];
  snprintf(text, sizeof text, "%" PRIu64 ".%03u s", milliseconds / 1000,
           static_cast<unsigned>(milliseconds % 1000));
  return text;
}

// The source line as a person reads it, with the caret under `column`.
std::string Excerpt(const std::string &line, codec::CodePage reading, int column, const Palette &p) {
  std::string shown;
  std::string pad;
  // The caret stands under the column-th character; a tab above it stays
  // a tab, so that the caret lines up however wide the terminal shows tabs.
  const std::string characters = macro::FileBytesToUtf8(line, reading);
  int counted = 1;
  for (size_t i = 0; i < characters.size() && counted < column; ++i) {
    if ((static_cast<uint8_t>(characters[i]) & 0xC0) == 0x80) continue;
    pad += characters[i] == '\t' ? '\t' : ' ';
    ++counted;
  }
  for (char c : characters)
    shown += (static_cast<uint8_t>(c) < 0x20 && c != '\t') ? '?' : c;
  return "  " + shown + "\n  " + pad + p.Caret() + "^" + p.Reset() + "\n";
}

std::string CharShown(uint32_t code) {
  std::string utf8 = macro::HostToUtf8(std::string(1, static_cast<char>(code & 0xFF)));
  return "'" + macro::Visible(utf8) + "'";
}

const char *KindName(macro::StreamKind kind) {
  switch (kind) {
    case macro::StreamKind::kCharacter: return "character";
    case macro::StreamKind::kKey: return "key";
    case macro::StreamKind::kCommand: return "command";
    case macro::StreamKind::kText: return "text";
    case macro::StreamKind::kUserEnter: return "enter";
    case macro::StreamKind::kUserShiftF11: return "shift-f11";
    case macro::StreamKind::kQuestion: return "question";
    case macro::StreamKind::kPassStart: return "restart";
    case macro::StreamKind::kEnd: return "end";
    case macro::StreamKind::kStopped: return "stopped";
  }
  return "";
}

std::string Json(const macro::Diagnostic &d) {
  return "{\"file\":" + JsonString(d.file) + ",\"line\":" + std::to_string(d.position.line) +
         ",\"column\":" + std::to_string(d.position.column) + ",\"severity\":\"" +
         SeverityName(d.severity) + "\",\"id\":" + JsonString(d.id) +
         ",\"message\":" + JsonString(d.message) + ",\"hint\":" + JsonString(d.hint) +
         (d.summarized ? ",\"summarized\":true}" : "}");
}

std::string Json(const macro::StreamItem &item) {
  std::string text = "{\"line\":" + std::to_string(item.position.line) +
                     ",\"column\":" + std::to_string(item.position.column) + ",\"kind\":\"" +
                     KindName(item.kind) + "\",\"pass\":" + std::to_string(item.pass);
  switch (item.kind) {
    case macro::StreamKind::kCharacter:
      text += ",\"code\":" + std::to_string(item.code) +
              ",\"character\":" + JsonString(macro::HostToUtf8(std::string(1, static_cast<char>(item.code))));
      break;
    case macro::StreamKind::kKey:
      text += ",\"code\":" + std::to_string(item.code) + ",\"name\":" + JsonString(macro::FileBytesToUtf8(item.name));
      break;
    case macro::StreamKind::kCommand:
      text += ",\"name\":" + JsonString(macro::FileBytesToUtf8(item.name)) + ",\"effect\":" + JsonString(item.text);
      break;
    case macro::StreamKind::kText:
      text += ",\"text\":" + JsonString(macro::HostToUtf8(item.text));
      break;
    default:
      if (!item.text.empty()) text += ",\"note\":" + JsonString(item.text);
      break;
  }
  return text + "}";
}

}  // namespace

std::string JsonString(const std::string &text) {
  // Whatever reached a message from a file's bytes, the JSON stays UTF-8.
  const std::string utf8 = macro::FileBytesToUtf8(text);
  std::string out = "\"";
  char hex[8];
  for (char c : utf8) {
    uint8_t byte = static_cast<uint8_t>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          snprintf(hex, sizeof hex, "\\u%04x", byte);
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

Totals Count(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros) {
  Totals totals;
  auto add = [&](const std::vector<macro::Diagnostic> &list) {
    for (const macro::Diagnostic &d : list) {
      if (d.summarized) {
        ++totals.summarized;
        continue;
      }
      if (d.severity == macro::Severity::kError) ++totals.errors;
      if (d.severity == macro::Severity::kWarning) ++totals.warnings;
    }
  };
  add(keys.diagnostics);
  for (const macro::MacroReport &m : macros) {
    add(m.diagnostics);
    totals.warnings += m.warningsNotKept;
  }
  return totals;
}

std::string DiagnosticText(const macro::Diagnostic &d, bool color) {
  Palette p{color};
  const char *tone = d.severity == macro::Severity::kError ? p.Error() : d.severity == macro::Severity::kWarning ? p.Warning() : p.Bold();
  std::string text = std::string(p.Bold()) + Where(d.file, d.position) + ":" + p.Reset() + " " +
                     tone + messages::SeverityWord(d.severity) + ":" + p.Reset() + " " + d.message;
  if (!d.id.empty()) text += std::string(" ") + p.Dim() + "[" + d.id + "]" + p.Reset();
  text += "\n";
  if (d.position.line > 0 && !d.sourceLine.empty()) text += Excerpt(d.sourceLine, d.reading, d.position.column, p);
  if (!d.hint.empty()) text += std::string("  ") + p.Hint() + Say(Msg::kHint) + p.Reset() + " " + d.hint + "\n";
  return text;
}

std::string StreamItemText(const macro::StreamItem &item, bool color) {
  Palette p{color};
  char where[32] = "";
  if (item.position.line > 0) snprintf(where, sizeof where, "%d:%d", item.position.line, item.position.column);
  const std::string head = StreamHead(where, KindText(item.kind));
  std::string text = head;
  switch (item.kind) {
    case macro::StreamKind::kCharacter:
      text += CharShown(item.code);
      if ((item.code & 0xFF) < 0x20) text += " " + macro::Hex4(item.code);
      break;
    case macro::StreamKind::kKey:
      text += "[" + macro::FileBytesToUtf8(item.name) + "] " + macro::Hex4(item.code);
      break;
    case macro::StreamKind::kCommand:
      text += "[" + macro::FileBytesToUtf8(item.name) + "]";
      if (!item.text.empty()) text += ": " + item.text;
      break;
    case macro::StreamKind::kText:
      text += "\"" + macro::Visible(macro::HostToUtf8(item.text)) + "\"";
      break;
    case macro::StreamKind::kUserEnter:
      text = head + p.User() + Say(Msg::kUserPressesEnter) + p.Reset();
      break;
    case macro::StreamKind::kUserShiftF11:
      text = head + p.User() + Say(Msg::kUserPressesShiftF11) + p.Reset();
      if (!item.text.empty()) text += ": " + item.text;
      break;
    case macro::StreamKind::kQuestion:
      text = head + p.User() + "\"" + macro::HostToUtf8(kStopQuestion.c_str()) + "\"" +
             p.Reset() + " " + item.text;
      break;
    case macro::StreamKind::kPassStart:
      text += Say(Msg::kPassStarts);
      break;
    case macro::StreamKind::kEnd:
      text += Say(Msg::kEndOfFile);
      break;
    case macro::StreamKind::kStopped:
      text += Say(Msg::kMacroStopped);
      break;
  }
  return text;
}

void StreamLineMaker::Add(const macro::StreamItem &item) {
  const bool character = !eachCharacter_ && item.kind == macro::StreamKind::kCharacter;
  if (!run_.empty() &&
      (!character || item.position.line != runAt_.line || item.pass != runPass_))
    End();
  if (!character) {
    line_(StreamItemText(item, color_));
    return;
  }
  // The characters typed one after the other from one line of the file.
  if (run_.empty()) {
    runAt_ = item.position;
    runPass_ = item.pass;
  }
  run_ += macro::HostToUtf8(std::string(1, static_cast<char>(item.code & 0xFF)));
}

void StreamLineMaker::End() {
  if (run_.empty()) return;
  char where[32];
  snprintf(where, sizeof where, "%d:%d", runAt_.line, runAt_.column);
  line_(StreamHead(where, Say(Msg::kKindCharacters)) + "\"" + macro::Visible(run_) + "\"");
  run_.clear();
}

std::vector<std::string> StreamLines(const std::vector<macro::StreamItem> &stream, bool eachCharacter,
                                     bool color) {
  std::vector<std::string> lines;
  StreamLineMaker maker(eachCharacter, color,
                        [&lines](const std::string &line) { lines.push_back(line); });
  for (const macro::StreamItem &item : stream) maker.Add(item);
  maker.End();
  return lines;
}

std::string SummaryOfKeyFindings(const macro::KeyFileReport &keys) {
  std::vector<std::pair<std::string, size_t>> byId;  // in the order first met
  size_t count = 0;
  for (const macro::Diagnostic &d : keys.diagnostics) {
    if (!d.summarized) continue;
    ++count;
    auto known = std::find_if(byId.begin(), byId.end(), [&](const auto &e) { return e.first == d.id; });
    if (known == byId.end()) byId.push_back({d.id, 1});
    else ++known->second;
  }
  if (count == 0) return std::string();
  std::string kinds;
  for (const auto &[id, n] : byId) kinds += (kinds.empty() ? "" : ", ") + std::to_string(n) + " " + id;
  std::string file = keys.file.find(' ') != std::string::npos ? "\"" + keys.file + "\"" : keys.file;
  return messages::Tell(messages::Severity::kNote, keys.file,
                        Say(Msg::kKeyFindingsSummary, {lang::Whole(Say(Msg::kFindings, {count})), kinds})) +
         "\n" + Say(Msg::kListThemAll, {file, os::ToolCommand("tastiro-check")}) + "\n";
}

namespace {

// printf into a string.
void Appendf(std::string &out, const char *format, ...) TASTIRO_PRINTF(2, 3);
void Appendf(std::string &out, const char *format, ...) {
  char buffer[1024];
  va_list values;
  va_start(values, format);
  int n = vsnprintf(buffer, sizeof buffer, format, values);
  va_end(values);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(values, format);
  vsnprintf(&big[0], big.size(), format, values);
  va_end(values);
  big.resize(static_cast<size_t>(n));
  out += big;
}

// Where a report goes: appended to `text`, which (with a stream) is
// written out and emptied whenever it has grown, so that a long dry run
// goes out as it is made and is never kept whole.
struct ReportOut {
  std::string &text;
  FILE *file = nullptr;
  void Piece() {
    if (file == nullptr || text.size() < 64 * 1024) return;
    os::Write(file, text);
    text.clear();
  }
};

// Each item of macro `index`'s stream, from `source` or as kept.
void EachItem(const macro::MacroReport &m, size_t index, const StreamSource &source,
              const std::function<void(const macro::StreamItem &)> &each) {
  if (source) {
    source(index, each);
    return;
  }
  for (const macro::StreamItem &item : m.stream) each(item);
}

void DryRunText(ReportOut &report, const macro::MacroReport &m, size_t index, const StreamSource &source,
                const OutputOptions &options) {
  std::string &out = report.text;
  Palette p{options.color};
  const std::string delay = std::to_string(options.keyDelay);
  out += std::string(p.Bold()) + m.file + ":" + p.Reset() + " " + Say(Msg::kDryRunHead, {delay}) +
         (options.delaySource.empty() ? "" : ", ") + options.delaySource + "\n";
  StreamLineMaker lines(options.eachCharacter, options.color, [&report](const std::string &line) {
    report.text += line + "\n";
    report.Piece();
  });
  EachItem(m, index, source, [&lines](const macro::StreamItem &item) { lines.Add(item); });
  lines.End();
  out += Say(Msg::kDryKeys, {std::to_string(m.keysPosted)});
  if (m.restarts) out += Say(Msg::kDryOnePass, {std::to_string(m.keysFirstPass)});
  out += Say(Msg::kDryCounts, {std::to_string(m.textsTyped), std::to_string(m.commandsRun),
                               std::to_string(m.userActions)}) +
         "\n";
  out += Say(Msg::kDryLeastTime, {Seconds(m.leastMilliseconds)});
  if (m.restarts) out += Say(Msg::kDryTwoPasses, {Seconds(m.leastFirstPass)});
  const std::string pauses = Say(Msg::kPauses, {m.keyPauses});
  out += Say(Msg::kDryPauses, {pauses, delay});
  if (m.delayPauses > 0)
    out += Say(Msg::kDryDelay, {std::to_string(m.delayPauses), std::to_string(m.delayMilliseconds)});
  if (m.sleptMilliseconds > 0) out += Say(Msg::kDryNotices, {std::to_string(m.sleptMilliseconds)});
  out += "\n";
  if (m.restarts) out += Say(Msg::kDryRestart) + "\n";
}

// The macros' own findings first, then what the key definitions hold that
// matters to them; the rest of the key file summed up.
void TextReportTo(ReportOut &report, const macro::KeyFileReport &keys,
                  const std::vector<macro::MacroReport> &macros, const OutputOptions &options,
                  const StreamSource &source) {
  std::string &out = report.text;
  for (size_t k = 0; k < macros.size(); ++k) {
    const macro::MacroReport &m = macros[k];
    for (const macro::Diagnostic &d : m.diagnostics) out += DiagnosticText(d, options.color);
    if (m.warningsNotKept > 0)
      out += messages::Tell(messages::Severity::kNote, m.file,
                            Say(Msg::kFindingsNotListed,
                                {std::to_string(m.warningsNotKept), std::to_string(m.diagnostics.size())})) +
             "\n";
    if (options.dryRun && m.readable) DryRunText(report, m, k, source, options);
  }
  for (const macro::Diagnostic &d : keys.diagnostics)
    if (!d.summarized) out += DiagnosticText(d, options.color);
  if (!keys.playerMessage.empty())
    out += messages::Tell(messages::Severity::kNote, keys.file, Say(Msg::kPlayerShows, {keys.playerMessage})) + "\n";
  out += SummaryOfKeyFindings(keys);
  Totals totals = Count(keys, macros);
  if (totals.errors + totals.warnings > 0)
    out += Say(Msg::kTotals,
               {lang::Whole(Say(Msg::kWarnings, {totals.warnings})),
                lang::Whole(Say(Msg::kErrors, {totals.errors}))}) +
           "\n";
}

void JsonReportTo(ReportOut &report, const macro::KeyFileReport &keys,
                  const std::vector<macro::MacroReport> &macros, const OutputOptions &options,
                  const StreamSource &source) {
  std::string &out = report.text;
  Totals totals = Count(keys, macros);
  size_t stored = 0;
  for (const macro::KeyDefinition &d : keys.definitions) stored += d.stored ? 1 : 0;
  Appendf(out, "{\"tool\":\"tastiro-check\",\"keyDelay\":%u,\"keyDelaySource\":%s,\n",
          static_cast<unsigned>(options.keyDelay), JsonString(options.delaySource).c_str());
  Appendf(out, "\"keys\":{\"file\":%s,\"readable\":%s,\"loaded\":%s,\"definitions\":%zu,",
          JsonString(keys.file).c_str(), keys.readable ? "true" : "false",
          keys.loaded ? "true" : "false", stored);
  Appendf(out, "\"playerMessage\":%s,\"diagnostics\":[", JsonString(keys.playerMessage).c_str());
  for (size_t i = 0; i < keys.diagnostics.size(); ++i)
    out += (i ? ",\n" : "\n") + Json(keys.diagnostics[i]);
  out += "]},\n\"macros\":[";
  for (size_t k = 0; k < macros.size(); ++k) {
    const macro::MacroReport &m = macros[k];
    Appendf(out, "%s\n{\"file\":%s,\"readable\":%s,\"error\":%s,\"diagnostics\":[", k ? "," : "",
            JsonString(m.file).c_str(), m.readable ? "true" : "false", JsonString(m.readError).c_str());
    for (size_t i = 0; i < m.diagnostics.size(); ++i)
      out += (i ? ",\n" : "\n") + Json(m.diagnostics[i]);
    Appendf(out, "],\n\"notListed\":%zu,\"summary\":{", m.warningsNotKept);
    Appendf(out, "\"keys\":%u,\"keysOnePass\":%u,\"texts\":%u,\"commands\":%u,"
                 "\"userActions\":%u,\"leastMilliseconds\":%" PRIu64 ",\"leastMillisecondsOnePass\":%" PRIu64
                 ",\"keyPauses\":%u,\"delayPauses\":%u,\"sleptMilliseconds\":%" PRIu64
                 ",\"restarts\":%s,\"endless\":%s}",
            m.keysPosted, m.keysFirstPass, m.textsTyped, m.commandsRun, m.userActions,
            m.leastMilliseconds, m.leastFirstPass, m.keyPauses, m.delayPauses, m.sleptMilliseconds,
            m.restarts ? "true" : "false", m.endless ? "true" : "false");
    if (options.dryRun) {
      out += ",\n\"stream\":[";
      bool first = true;
      EachItem(m, k, source, [&](const macro::StreamItem &item) {
        out += (first ? "\n" : ",\n") + Json(item);
        first = false;
        report.Piece();
      });
      out += "]";
    }
    out += "}";
  }
  Appendf(out, "],\n\"warnings\":%zu,\"errors\":%zu,\"summarized\":%zu,\"exitStatus\":%d}\n",
          totals.warnings, totals.errors, totals.summarized, totals.ExitStatus());
}

}  // namespace

// The report `to` writes, handed on to `out` in pieces as it grows (none:
// kept whole); what is left of it.
using ReportTo = void (*)(ReportOut &, const macro::KeyFileReport &, const std::vector<macro::MacroReport> &,
                          const OutputOptions &, const StreamSource &);
std::string Reported(ReportTo to, FILE *out, const macro::KeyFileReport &keys,
                     const std::vector<macro::MacroReport> &macros, const OutputOptions &options,
                     const StreamSource &source) {
  std::string text;
  ReportOut report{text, out};
  to(report, keys, macros, options, source);
  return text;
}

std::string TextReport(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
                       const OutputOptions &options) {
  return Reported(TextReportTo, nullptr, keys, macros, options, nullptr);
}

std::string JsonReport(const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
                       const OutputOptions &options) {
  return Reported(JsonReportTo, nullptr, keys, macros, options, nullptr);
}

void PrintText(FILE *out, const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
               const OutputOptions &options, const StreamSource &source) {
  os::Write(out, Reported(TextReportTo, out, keys, macros, options, source));
}

void PrintJson(FILE *out, const macro::KeyFileReport &keys, const std::vector<macro::MacroReport> &macros,
               const OutputOptions &options, const StreamSource &source) {
  os::Write(out, Reported(JsonReportTo, out, keys, macros, options, source));
}

}  // namespace checker
