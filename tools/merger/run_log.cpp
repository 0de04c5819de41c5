// Reading the player's macro log back, an entry at a time.
#include "tools/merger/run_log.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host/app/core/text_codec.h"
#include "player/playback/player_texts.h"
#include "plugin/keys/key_names.h"
#include "tools/os/console.h"

namespace merger {

namespace {

constexpr char kHeaderStart[] = "# tastiro-merge: wiersze ";
constexpr size_t kPiece = 64 * 1024;
// A line longer than this is no line of the player's (its entries hold at
// most 3077 characters): it is taken in pieces of this size.
constexpr size_t kLongestLine = 64 * 1024;

bool IsDateChar(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '/'; }
bool IsTimeChar(char c) { return (c >= '0' && c <= '9') || c == ':' || c == '.'; }

// The length of the stamp "date=time " at the start of `line`, or 0.
size_t StampLength(const std::string &line) {
  size_t i = 0;
  while (i < line.size() && i < 11 && IsDateChar(line[i])) ++i;
  if (i == 0 || i >= line.size() || line[i] != '=') return 0;
  const size_t timeStart = ++i;
  while (i < line.size() && i - timeStart < 11 && IsTimeChar(line[i])) ++i;
  if (i == timeStart || i >= line.size() || line[i] != ' ') return 0;
  return i + 1;
}

bool Between(const std::string &body, const char *open, std::string *inner) {
  const size_t n = strlen(open);
  if (body.size() < n + 1 || body.compare(0, n, open) != 0 || body.back() != '}') return false;
  *inner = body.substr(n, body.size() - n - 1);
  return true;
}

bool ReadHeader(const std::string &line, LogEntry *entry) {
  if (line.compare(0, strlen(kHeaderStart), kHeaderStart) != 0) return false;
  const char *p = line.c_str() + strlen(kHeaderStart);
  char *end = nullptr;
  const unsigned long first = strtoul(p, &end, 10);
  if (end == p || *end != '-') return false;
  p = end + 1;
  const unsigned long last = strtoul(p, &end, 10);
  if (end == p || first < 1 || last < first) return false;
  entry->kind = LogEntryKind::kHeader;
  entry->first = first;
  entry->last = last;
  return true;
}

}  // namespace

std::string LogHeaderLine(size_t first, size_t last, const std::string &templateName,
                          const std::string &dataName) {
  return kHeaderStart + std::to_string(first) + "-" + std::to_string(last) +
         "; szablon: " + templateName + "; dane: " + dataName;
}

void ReadLogBody(const std::string &body, LogEntry *entry) {
  std::string inner;
  entry->kind = LogEntryKind::kOther;
  entry->code = 0;
  entry->text = body;
  if (body.size() >= 2 && body.front() == '[' && body.back() == ']') {
    inner = body.substr(1, body.size() - 2);
    const uint32_t code = FindKeyCode(volmar::Utf8ToHostText(inner).c_str());
    if (code != 0) {
      entry->kind = LogEntryKind::kKey;
      entry->code = code & 0xFFFF;
      entry->text.clear();
    } else {
      entry->kind = LogEntryKind::kName;
      entry->text = inner;
    }
  } else if (Between(body, "{CHAR: ", &inner)) {
    const std::string host = volmar::Utf8ToHostText(inner);
    if (host.size() != 1) return;  // no single character: left as it stands
    entry->kind = LogEntryKind::kKey;
    entry->code = static_cast<unsigned char>(host[0]);
    entry->text.clear();
  } else if (Between(body, "{KSHORT: 0x", &inner)) {
    char *end = nullptr;
    const unsigned long code = strtoul(inner.c_str(), &end, 16);
    if (inner.size() != 4 || *end != 0) return;
    entry->kind = LogEntryKind::kKey;
    entry->code = static_cast<uint32_t>(code);
    entry->text.clear();
  } else if (Between(body, "{NAPIS: ", &inner)) {
    entry->kind = LogEntryKind::kText;
    entry->text = inner;
  } else if (Between(body, "{KOMUNIKAT: ", &inner)) {
    static const std::string kEnd = volmar::HostTextToUtf8(kEndOfFileText.c_str());
    static const std::string kStop = volmar::HostTextToUtf8(kStoppedText.c_str());
    entry->kind = inner == kEnd || inner == kStop ? LogEntryKind::kEnd : LogEntryKind::kNotice;
    entry->stopped = inner == kStop;
    entry->text = inner;
  }
}

std::string KeyText(uint32_t code) {
  if (code >= 0x20 && code < 0x100 && code != 0x7F)
    return volmar::HostTextToUtf8(std::string(1, static_cast<char>(code)));
  if (const char *name = FindKeyName(code)) return "[" + volmar::HostTextToUtf8(name) + "]";
  char text[16];
  snprintf(text, sizeof text, "[0x%04X]", static_cast<unsigned>(code));
  return text;
}

bool LogReader::Fill() {
  if (source_ == nullptr || failed_) return false;
  text_.erase(0, at_);
  at_ = 0;
  const size_t had = text_.size();
  text_.resize(had + kPiece);
  const size_t got = source_->Read(&text_[had], kPiece);
  text_.resize(had + got);
  if (got == 0 && source_->failed) failed_ = true;
  return got > 0;
}

// The next line of the file, without its line end (LF or CR LF).
bool LogReader::NextLine(std::string *line) {
  size_t end = text_.find('\n', at_);
  while (end == std::string::npos && text_.size() - at_ < kLongestLine && Fill())
    end = text_.find('\n', at_);
  if (at_ >= text_.size()) return false;
  const bool broken = end != std::string::npos && end - at_ < kLongestLine;
  const size_t stop = broken ? end : std::min(text_.size(), at_ + kLongestLine);
  size_t length = stop - at_;
  if (broken && length > 0 && text_[at_ + length - 1] == '\r') --length;
  line->assign(text_, at_, length);
  at_ = broken ? stop + 1 : stop;
  ++lineNumber_;
  return true;
}

bool LogReader::Next(LogEntry *entry) {
  if (!haveLine_ && !NextLine(&line_)) return false;
  haveLine_ = false;
  *entry = LogEntry();
  entry->line = lineNumber_;
  if (ReadHeader(line_, entry)) return true;
  std::string body = line_.substr(StampLength(line_));
  // Lines without a stamp go on with the entry (none can follow a header).
  while (NextLine(&line_)) {
    if (StampLength(line_) != 0 || line_.compare(0, strlen(kHeaderStart), kHeaderStart) == 0) {
      haveLine_ = true;
      break;
    }
    body += "\n" + line_;
  }
  ReadLogBody(body, entry);
  return true;
}

bool StartsAsRunLog(const std::string &head) {
  const size_t start = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const size_t end = head.find_first_of("\r\n", start);
  const std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
  LogEntry header;
  return ReadHeader(line, &header) || StampLength(line) != 0;
}

StandingLog ExamineLog(const std::string &path) {
  namespace fs = std::filesystem;
  std::error_code code;
  const fs::path name = os::Utf8Path(path);
  if (!fs::exists(fs::symlink_status(name, code))) return StandingLog::kNone;
  // (Through a link; never opened unless an ordinary file: a pipe would wait.)
  const fs::file_status status = fs::status(name, code);
  if (code || !fs::is_regular_file(status)) return StandingLog::kNoFile;
  if (fs::file_size(name, code) == 0 && !code) return StandingLog::kEmpty;
  reader::FileSource file;
  int error = 0;
  if (!file.Open(path, &error)) return StandingLog::kNoFile;
  std::string head(4096, '\0');
  head.resize(file.Read(&head[0], head.size()));
  if (file.failed) return StandingLog::kNoFile;
  // Notepad's "empty" UTF-8 file holds its byte order mark.
  if (head == "\xEF\xBB\xBF") return StandingLog::kEmpty;
  return StartsAsRunLog(head) ? StandingLog::kRunLog : StandingLog::kOther;
}

}  // namespace merger
