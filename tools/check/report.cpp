#include "tools/check/report.h"

#include <inttypes.h>

#include <algorithm>
#include <utility>

#include "player/playback/player_texts.h"
#include "tools/check/text_util.h"

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

const char *SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "note";
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
std::string Excerpt(const std::string &line, int column, const Palette &p) {
  std::string shown;
  std::string pad;
  // The caret stands under the column-th character; a tab above it stays
  // a tab, so that the caret lines up however wide the terminal shows tabs.
  std::string characters = FileBytesToUtf8(line);
  int counted = 1;
  for (size_t i = 0; i < characters.size() && counted < column; ++i) {
    if ((static_cast<uint8_t>(characters[i]) & 0xC0) == 0x80) continue;
    pad += characters[i] == '\t' ? '\t' : ' ';
    ++counted;
  }
  for (char c : FileBytesToUtf8(line))
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
                     tone + SeverityName(d.severity) + ":" + p.Reset() + " " + d.message;
  if (!d.id.empty()) text += std::string(" ") + p.Dim() + "[" + d.id + "]" + p.Reset();
  text += "\n";
  if (d.position.line > 0 && !d.sourceLine.empty()) text += Excerpt(d.sourceLine, d.position.column, p);
  if (!d.hint.empty()) text += std::string("  ") + p.Hint() + "hint:" + p.Reset() + " " + d.hint + "\n";
  return text;
}

std::string StreamItemText(const StreamItem &item, bool color) {
  Palette p{color};
  char where[32] = "";
  if (item.position.line > 0) snprintf(where, sizeof where, "%d:%d", item.position.line, item.position.column);
  char head[64];
  snprintf(head, sizeof head, "  %-9s %-10s ", where, KindName(item.kind));
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
      text = head + std::string(p.User()) + "the user presses Enter" + p.Reset();
      break;
    case StreamKind::kUserShiftF11:
      text = head + std::string(p.User()) + "the user presses Shift+F11" + p.Reset();
      if (!item.text.empty()) text += ": " + item.text;
      break;
    case StreamKind::kQuestion:
      text = head + std::string(p.User()) + "\"" + HostToUtf8(kStopQuestion.c_str()) + "\"" +
             p.Reset() + " " + item.text;
      break;
    case StreamKind::kPassStart:
      text += "playback starts again at the top of the file (second pass)";
      break;
    case StreamKind::kEnd:
      text += "the end of the file ends the macro";
      break;
    case StreamKind::kStopped:
      text += "the macro is stopped";
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
    char head[64];
    snprintf(head, sizeof head, "  %-9s %-10s ", where, "characters");
    lines.push_back(head + ("\"" + Visible(run) + "\""));
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
  return keys.file + ": note: " + std::to_string(count) + (count == 1 ? " finding" : " findings") +
         " about key names that no checked macro uses (" + kinds + ")\n  hint: to list them all: "
         "tastiro-check --keys " + file + "\n";
}

namespace {

void PrintDryRun(FILE *out, const MacroReport &m, const OutputOptions &options) {
  Palette p{options.color};
  fprintf(out, "%s%s:%s dry run, key delay %u ms%s%s\n", p.Bold(), m.file.c_str(), p.Reset(),
          static_cast<unsigned>(options.keyDelay), options.delaySource.empty() ? "" : ", ",
          options.delaySource.c_str());
  for (const std::string &line : StreamLines(m.stream, options.eachCharacter, options.color))
    fprintf(out, "%s\n", line.c_str());
  fprintf(out, "  keys: %u", m.keysPosted);
  if (m.restarts) fprintf(out, " (one pass: %u)", m.keysFirstPass);
  fprintf(out, "; texts typed: %u; commands: %u; user actions: %u\n", m.textsTyped,
          m.commandsRun, m.userActions);
  fprintf(out, "  least playback time: %s", Seconds(m.leastMilliseconds).c_str());
  if (m.restarts) fprintf(out, " for two passes (one pass: %s)", Seconds(m.leastFirstPass).c_str());
  fprintf(out, " = %u %s of %u ms", m.keyPauses, m.keyPauses == 1 ? "pause" : "pauses",
          static_cast<unsigned>(options.keyDelay));
  if (m.delayPauses > 0)
    fprintf(out, " + %u DELAY (%" PRIu64 " ms)", m.delayPauses, m.delayMilliseconds);
  if (m.sleptMilliseconds > 0)
    fprintf(out, " + WAITENTER notices (%" PRIu64 " ms)", m.sleptMilliseconds);
  fprintf(out, "\n");
  if (m.restarts)
    fprintf(out, "  [RESTART] repeats the macro until the user stops it; the check played it twice\n");
}

}  // namespace

// The macros' own findings first, then what the key definitions hold that
// matters to them; the rest of the key file summed up.
void PrintText(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options) {
  for (const MacroReport &m : macros) {
    for (const Diagnostic &d : m.diagnostics) fputs(DiagnosticText(d, options.color).c_str(), out);
    if (options.dryRun && m.readable) PrintDryRun(out, m, options);
  }
  for (const Diagnostic &d : keys.diagnostics)
    if (!d.summarized) fputs(DiagnosticText(d, options.color).c_str(), out);
  if (!keys.playerMessage.empty())
    fprintf(out, "%s: note: the player shows: %s\n", keys.file.c_str(), keys.playerMessage.c_str());
  fputs(SummaryOfKeyFindings(keys).c_str(), out);
  Totals totals = Count(keys, macros);
  if (totals.errors + totals.warnings > 0)
    fprintf(out, "%zu warning%s, %zu error%s\n", totals.warnings, totals.warnings == 1 ? "" : "s",
            totals.errors, totals.errors == 1 ? "" : "s");
}

void PrintJson(FILE *out, const KeyFileReport &keys, const std::vector<MacroReport> &macros,
               const OutputOptions &options) {
  Totals totals = Count(keys, macros);
  size_t stored = 0;
  for (const KeyDefinition &d : keys.definitions) stored += d.stored ? 1 : 0;
  fprintf(out, "{\"tool\":\"tastiro-check\",\"keyDelay\":%u,\"keyDelaySource\":%s,\n",
          static_cast<unsigned>(options.keyDelay), JsonString(options.delaySource).c_str());
  fprintf(out, "\"keys\":{\"file\":%s,\"readable\":%s,\"loaded\":%s,\"definitions\":%zu,",
          JsonString(keys.file).c_str(), keys.readable ? "true" : "false",
          keys.loaded ? "true" : "false", stored);
  fprintf(out, "\"playerMessage\":%s,\"diagnostics\":[", JsonString(keys.playerMessage).c_str());
  for (size_t i = 0; i < keys.diagnostics.size(); ++i)
    fprintf(out, "%s\n%s", i ? "," : "", Json(keys.diagnostics[i]).c_str());
  fprintf(out, "]},\n\"macros\":[");
  for (size_t k = 0; k < macros.size(); ++k) {
    const MacroReport &m = macros[k];
    fprintf(out, "%s\n{\"file\":%s,\"readable\":%s,\"error\":%s,\"diagnostics\":[", k ? "," : "",
            JsonString(m.file).c_str(), m.readable ? "true" : "false", JsonString(m.readError).c_str());
    for (size_t i = 0; i < m.diagnostics.size(); ++i)
      fprintf(out, "%s\n%s", i ? "," : "", Json(m.diagnostics[i]).c_str());
    fprintf(out, "],\n\"summary\":{\"keys\":%u,\"keysOnePass\":%u,\"texts\":%u,\"commands\":%u,"
                 "\"userActions\":%u,\"leastMilliseconds\":%" PRIu64 ",\"leastMillisecondsOnePass\":%" PRIu64
                 ",\"keyPauses\":%u,\"delayPauses\":%u,\"sleptMilliseconds\":%" PRIu64
                 ",\"restarts\":%s,\"endless\":%s}",
            m.keysPosted, m.keysFirstPass, m.textsTyped, m.commandsRun, m.userActions,
            m.leastMilliseconds, m.leastFirstPass, m.keyPauses, m.delayPauses, m.sleptMilliseconds,
            m.restarts ? "true" : "false", m.endless ? "true" : "false");
    if (options.dryRun) {
      fprintf(out, ",\n\"stream\":[");
      for (size_t i = 0; i < m.stream.size(); ++i)
        fprintf(out, "%s\n%s", i ? "," : "", Json(m.stream[i]).c_str());
      fprintf(out, "]");
    }
    fprintf(out, "}");
  }
  fprintf(out, "],\n\"warnings\":%zu,\"errors\":%zu,\"summarized\":%zu,\"exitStatus\":%d}\n",
          totals.warnings, totals.errors, totals.summarized, totals.ExitStatus());
}

}  // namespace check
