#include "tools/checker/report.h"

#include <inttypes.h>
#include <stdarg.h>

#include <algorithm>
#include <utility>

#include "player/playback/player_texts.h"
#include "tools/texts/check_texts.h"
#include "tools/macro/text_util.h"
#include "tools/lang/console.h"
#include "tools/lang/printf_format.h"

namespace check {

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
const char *SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "note";
}

std::string SeverityText(Severity severity) {
  switch (severity) {
    case Severity::kError: return Say(Msg::kError);
    case Severity::kWarning: return Say(Msg::kWarning);
    case Severity::kNote: return Say(Msg::kNote);
  }
  return Say(Msg::kNote);
}

// The dry run's kind of an item, in the tool's language.
std::string KindText(StreamKind kind) {
  switch (kind) {
    case StreamKind::kCharacter: return Say(Msg::kKindCharacter);
    case StreamKind::kKey: return Say(Msg::kKindKey);
    case StreamKind::kCommand: return Say(Msg::kKindCommand);
    case StreamKind::kText: return Say(Msg::kKindText);
    case StreamKind::kUserEnter: return Say(Msg::kKindEnter);
    case StreamKind::kUserShiftF11: return Say(Msg::kKindShiftF11);
    case StreamKind::kQuestion: return Say(Msg::kKindQuestion);
    case StreamKind::kPassStart: return Say(Msg::kKindRestart);
    case StreamKind::kEnd: return Say(Msg::kKindEnd);
    case StreamKind::kStopped: return Say(Msg::kKindStopped);
  }
  return "";
}

// `text` padded with blanks to `width` characters.
std::string Padded(const std::string &text, size_t width) {
  size_t length = Utf8Length(text);
  return length >= width ? text : text + std::string(width - length, ' ');
}

// "  1:6       text       ": the place and the kind of a dry-run line.
std::string StreamHead(const char *where, const std::string &kind) {
  return "  " + Padded(where, 9) + " " + Padded(kind, 10) + " ";
}

std::string Where(const std::string &file, SourcePosition position) {
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
  const std::string characters = FileBytesToUtf8(line, reading);
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
  std::string utf8 = HostToUtf8(std::string(1, static_cast<char>(code & 0xFF)));
  return "'" + Visible(utf8) + "'";
}

const char *KindName(StreamKind kind) {
  switch (kind) {
    case StreamKind::kCharacter: return "character";
    case StreamKind::kKey: return "key";
    case StreamKind::kCommand: return "command";
    case StreamKind::kText: return "text";
    case StreamKind::kUserEnter: return "enter";
    case StreamKind::kUserShiftF11: return "shift-f11";
    case StreamKind::kQuestion: return "question";
    case StreamKind::kPassStart: return "restart";
    case StreamKind::kEnd: return "end";
    case StreamKind::kStopped: return "stopped";
  }
  return "";
}

std::string Json(const Diagnostic &d) {
  return "{\"file\":" + JsonString(d.file) + ",\"line\":" + std::to_string(d.position.line) +
         ",\"column\":" + std::to_string(d.position.column) + ",\"severity\":\"" +
         SeverityName(d.severity) + "\",\"id\":" + JsonString(d.id) +
         ",\"message\":" + JsonString(d.message) + ",\"hint\":" + JsonString(d.hint) +
         (d.summarized ? ",\"summarized\":true}" : "}");
}

std::string Json(const StreamItem &item) {
  std::string text = "{\"line\":" + std::to_string(item.position.line) +
                     ",\"column\":" + std::to_string(item.position.column) + ",\"kind\":\"" +
                     KindName(item.kind) + "\",\"pass\":" + std::to_string(item.pass);
  switch (item.kind) {
    case StreamKind::kCharacter:
      text += ",\"code\":" + std::to_string(item.code) +
              ",\"character\":" + JsonString(HostToUtf8(std::string(1, static_cast<char>(item.code))));
      break;
    case StreamKind::kKey:
      text += ",\"code\":" + std::to_string(item.code) + ",\"name\":" + JsonString(FileBytesToUtf8(item.name));
      break;
    case StreamKind::kCommand:
      text += ",\"name\":" + JsonString(FileBytesToUtf8(item.name)) + ",\"effect\":" + JsonString(item.text);
      break;
    case StreamKind::kText:
      text += ",\"text\":" + JsonString(HostToUtf8(item.text));
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
  const std::string utf8 = FileBytesToUtf8(text);
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

Totals Count(const KeyFileReport &keys, const std::vector<MacroReport> &macros) {
  Totals totals;
  auto add = [&](const std::vector<Diagnostic> &list) {
    for (const Diagnostic &d : list) {
      if (d.summarized) {
        ++totals.summarized;
        continue;
      }
      if (d.severity == Severity::kError) ++totals.errors;
      if (d.severity == Severity::kWarning) ++totals.warnings;
    }
  };
  add(keys.diagnostics);
  for (const MacroReport &m : macros) add(m.diagnostics);
  return totals;
}

std::string DiagnosticText(const Diagnostic &d, bool color) {
  Palette p{color};
  const char *tone = d.severity == Severity::kError ? p.Error() : d.severity == Severity::kWarning ? p.Warning() : p.Bold();
  std::string text = std::string(p.Bold()) + Where(d.file, d.position) + ":" + p.Reset() + " " +
                     tone + SeverityText(d.severity) + ":" + p.Reset() + " " + d.message;
  if (!d.id.empty()) text += std::string(" ") + p.Dim() + "[" + d.id + "]" + p.Reset();
  text += "\n";
  if (d.position.line > 0 && !d.sourceLine.empty()) text += Excerpt(d.sourceLine, d.reading, d.position.column, p);
  if (!d.hint.empty()) text += std::string("  ") + p.Hint() + Say(Msg::kHint) + p.Reset() + " " + d.hint + "\n";
  return text;
}

std::string StreamItemText(const StreamItem &item, bool color) {
  Palette p{color};
  char where[32] = "";
  if (item.position.line > 0) snprintf(where, sizeof where, "%d:%d", item.position.line, item.position.column);
  const std::string head = StreamHead(where, KindText(item.kind));
  std::string text = head;
  switch (item.kind) {
    case StreamKind::kCharacter:
      text += CharShown(item.code);
      if ((item.code & 0xFF) < 0x20) text += " " + Hex4(item.code);
      break;
    case StreamKind::kKey:
      text += "[" + FileBytesToUtf8(item.name) + "] " + Hex4(item.code);
      break;
    case StreamKind::kCommand:
      text += "[" + FileBytesToUtf8(item.name) + "]";
      if (!item.text.empty()) text += ": " + item.text;
      break;
    case StreamKind::kText:
      text += "\"" + Visible(HostToUtf8(item.text)) + "\"";
      break;
    case StreamKind::kUserEnter:
      text = head + p.User() + Say(Msg::kUserPressesEnter) + p.Reset();
      break;
    case StreamKind::kUserShiftF11:
      text = head + p.User() + Say(Msg::kUserPressesShiftF11) + p.Reset();
      if (!item.text.empty()) text += ": " + item.text;
      break;
    case StreamKind::kQuestion:
      text = head + p.User() + "\"" + HostToUtf8(kStopQuestion.c_str()) + "\"" +
             p.Reset() + " " + item.text;
      break;
    case StreamKind::kPassStart:
      text += Say(Msg::kPassStarts);
      break;
    case StreamKind::kEnd:
      text += Say(Msg::kEndOfFile);
      break;
    case StreamKind::kStopped:
      text += Say(Msg::kMacroStopped);
      break;
  }
  return text;
}

std::vector<std::string> StreamLines(const std::vector<StreamItem> &stream, bool eachCharacter,
                                     bool color) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < stream.size(); ++i) {
    const StreamItem &item = stream[i];
    if (eachCharacter || item.kind != StreamKind::kCharacter) {
      lines.push_back(StreamItemText(item, color));
      continue;
    }
    // The characters typed one after the other from one line of the file.
    std::string run;
    size_t next = i;
    for (; next < stream.size() && stream[next].kind == StreamKind::kCharacter &&
           stream[next].position.line == item.position.line && stream[next].pass == item.pass;
         ++next)
      run += HostToUtf8(std::string(1, static_cast<char>(stream[next].code & 0xFF)));
    char where[32];
    snprintf(where, sizeof where, "%d:%d", item.position.line, item.position.column);
    lines.push_back(StreamHead(where, Say(Msg::kKindCharacters)) + "\"" + Visible(run) + "\"");
    i = next - 1;
  }
  return lines;
}

std::string SummaryOfKeyFindings(const KeyFileReport &keys) {
  std::vector<std::pair<std::string, size_t>> byId;  // in the order first met
  size_t count = 0;
  for (const Diagnostic &d : keys.diagnostics) {
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
  return Say(Msg::kKeyFindingsSummary,
             {keys.file,
              count == 1 ? Say(Msg::kOneFinding) : Say(Msg::kManyFindings, {std::to_string(count)}),
              kinds}) +
         "\n" + Say(Msg::kListThemAll, {file}) + "\n";
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

void DryRunText(std::string &out, const MacroReport &m, const OutputOptions &options) {
  Palette p{options.color};
  const std::string delay = std::to_string(options.keyDelay);
  out += std::string(p.Bold()) + m.file + ":" + p.Reset() + " " + Say(Msg::kDryRunHead, {delay}) +
         (options.delaySource.empty() ? "" : ", ") + options.delaySource + "\n";
  for (const std::string &line : StreamLines(m.stream, options.eachCharacter, options.color))
    out += line + "\n";
  out += Say(Msg::kDryKeys, {std::to_string(m.keysPosted)});
  if (m.restarts) out += Say(Msg::kDryOnePass, {std::to_string(m.keysFirstPass)});
  out += Say(Msg::kDryCounts, {std::to_string(m.textsTyped), std::to_string(m.commandsRun),
                               std::to_string(m.userActions)}) +
         "\n";
  out += Say(Msg::kDryLeastTime, {Seconds(m.leastMilliseconds)});
  if (m.restarts) out += Say(Msg::kDryTwoPasses, {Seconds(m.leastFirstPass)});
  const std::string pauses = m.keyPauses == 1 ? Say(Msg::kOnePause)
                                              : Say(Msg::kManyPauses, {std::to_string(m.keyPauses)});
  out += Say(Msg::kDryPauses, {pauses, delay});
  if (m.delayPauses > 0)
    out += Say(Msg::kDryDelay, {std::to_string(m.delayPauses), std::to_string(m.delayMilliseconds)});
  if (m.sleptMilliseconds > 0) out += Say(Msg::kDryNotices, {std::to_string(m.sleptMilliseconds)});
  out += "\n";
  if (m.restarts) out += Say(Msg::kDryRestart) + "\n";
}

}  // namespace

// The macros' own findings first, then what the key definitions hold that
// matters to them; the rest of the key file summed up.
std::string TextReport(const KeyFileReport &keys, const std::vector<MacroReport> &macros,
                       const OutputOptions &options) {
  std::string out;
  for (const MacroReport &m : macros) {
    for (const Diagnostic &d : m.diagnostics) out += DiagnosticText(d, options.color);
    if (options.dryRun && m.readable) DryRunText(out, m, options);
  }
  for (const Diagnostic &d : keys.diagnostics)
    if (!d.summarized) out += DiagnosticText(d, options.color);
  if (!keys.playerMessage.empty())
    out += Say(Msg::kPlayerShows, {keys.file, keys.playerMessage}) + "\n";
  out += SummaryOfKeyFindings(keys);
  Totals totals = Count(keys, macros);
  if (totals.errors + totals.warnings > 0)
    out += Say(Msg::kTotals,
               {totals.warnings == 1 ? Say(Msg::kOneWarning)
                                     : Say(Msg::kManyWarnings, {std::to_string(totals.warnings)}),
                totals.errors == 1 ? Say(Msg::kOneError)
                                   : Say(Msg::kManyErrors, {std::to_string(totals.errors)})}) +
           "\n";
  return out;
}

std::string JsonReport(const KeyFileReport &keys, const std::vector<MacroReport> &macros,
                       const OutputOptions &options) {
  std::string out;
  Totals totals = Count(keys, macros);
  size_t stored = 0;
  for (const KeyDefinition &d : keys.definitions) stored += d.stored ? 1 : 0;
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
    const MacroReport &m = macros[k];
    Appendf(out, "%s\n{\"file\":%s,\"readable\":%s,\"error\":%s,\"diagnostics\":[", k ? "," : "",
            JsonString(m.file).c_str(), m.readable ? "true" : "false", JsonString(m.readError).c_str());
    for (size_t i = 0; i < m.diagnostics.size(); ++i)
      out += (i ? ",\n" : "\n") + Json(m.diagnostics[i]);
    Appendf(out, "],\n\"summary\":{\"keys\":%u,\"keysOnePass\":%u,\"texts\":%u,\"commands\":%u,"
                 "\"userActions\":%u,\"leastMilliseconds\":%" PRIu64 ",\"leastMillisecondsOnePass\":%" PRIu64
                 ",\"keyPauses\":%u,\"delayPauses\":%u,\"sleptMilliseconds\":%" PRIu64
                 ",\"restarts\":%s,\"endless\":%s}",
            m.keysPosted, m.keysFirstPass, m.textsTyped, m.commandsRun, m.userActions,
            m.leastMilliseconds, m.leastFirstPass, m.keyPauses, m.delayPauses, m.sleptMilliseconds,
            m.restarts ? "true" : "false", m.endless ? "true" : "false");
    if (options.dryRun) {
      out += ",\n\"stream\":[";
      for (size_t i = 0; i < m.stream.size(); ++i) out += (i ? ",\n" : "\n") + Json(m.stream[i]);
      out += "]";
    }
    out += "}";
  }
  Appendf(out, "],\n\"warnings\":%zu,\"errors\":%zu,\"summarized\":%zu,\"exitStatus\":%d}\n",
          totals.warnings, totals.errors, totals.summarized, totals.ExitStatus());
  return out;
}

void PrintText(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options) {
  lang::Write(out, TextReport(keys, macros, options));
}

void PrintJson(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options) {
  lang::Write(out, JsonReport(keys, macros, options));
}

}  // namespace check
