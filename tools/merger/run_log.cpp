// Reading the player's macro log back, an entry at a time.
#include "tools/merger/run_log.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

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

// Readings of bodies kept: key names and characters of more than a byte.
struct LogReader::Cache {
  std::unordered_map<std::string, LogEntry> bodies;
};

LogReader::~LogReader() { delete cache_; }

const char *LogReader::lineEnd() const {
  switch (lineEnd_) {
    case LineEnd::kLf: return "\n";
    case LineEnd::kCr: return "\r";
    default: return "\r\n";
  }
}

bool LogReader::Fill() {
  if (ended_ || source_ == nullptr || failed_) return false;
  text_.erase(0, at_);
  at_ = 0;
  const size_t had = text_.size();
  text_.resize(had + kPiece);
  const size_t got = source_->Read(&text_[had], kPiece);
  text_.resize(had + got);
  if (got == 0) {
    ended_ = true;
    if (source_->failed) failed_ = true;
  }
  return got > 0;
}

// The line end of the log, from its first piece: the most frequent of
// CR LF, a lone LF and a lone CR (a key's own CR or LF inside an entry is
// rarer than the line ends), CR LF first on a tie, then LF.
void LogReader::Decide() {
  while (!ended_ && text_.size() - at_ < kPiece && Fill()) {
  }
  if (!started_) {
    started_ = true;
    if (text_.compare(at_, 3, "\xEF\xBB\xBF") == 0) at_ += 3;
  }
  size_t crlf = 0, lf = 0, cr = 0;
  const size_t end = std::min(text_.size(), at_ + kPiece);
  for (size_t i = at_; i < end; ++i) {
    if (text_[i] == '\n') {
      ++lf;
    } else if (text_[i] == '\r') {
      if (i + 1 < text_.size() && text_[i + 1] == '\n') {
        ++crlf;
        ++i;
      } else {
        ++cr;
      }
    }
  }
  lineEnd_ = crlf >= lf && crlf >= cr ? LineEnd::kCrLf : lf >= cr ? LineEnd::kLf : LineEnd::kCr;
}

// The next line of the file, without its line end; `cut` when the file or
// a run of NUL bytes ended it.
bool LogReader::NextLine(std::string *line, bool *cut) {
  if (lineEnd_ == LineEnd::kUnknown) Decide();
  const char stop = lineEnd_ == LineEnd::kCr ? '\r' : '\n';
  for (;;) {
    // NUL bytes between lines are passed over.
    while (at_ < text_.size() && text_[at_] == '\0') ++at_;
    if (at_ < text_.size() || !Fill()) break;
  }
  if (at_ >= text_.size()) return false;
  size_t end = 0, scanned = at_;
  bool tooLong = false;
  for (;;) {
    const char *base = text_.data();
    const size_t left = text_.size() - scanned;
    const char *hit = static_cast<const char *>(memchr(base + scanned, stop, left));
    const size_t before = hit != nullptr ? static_cast<size_t>(hit - (base + scanned)) : left;
    if (const void *nul = memchr(base + scanned, '\0', before)) hit = static_cast<const char *>(nul);
    if (hit != nullptr) {
      end = static_cast<size_t>(hit - base);
      break;
    }
    if (text_.size() - at_ >= kLongestLine) {
      end = text_.size();
      break;
    }
    const size_t relative = text_.size() - at_;
    if (!Fill()) {
      end = text_.size();
      break;
    }
    scanned = at_ + relative;
  }
  if (end - at_ > kLongestLine) {
    end = at_ + kLongestLine;
    tooLong = true;
  } else if (end - at_ == kLongestLine && end == text_.size()) {
    tooLong = true;
  }
  const bool ended = !tooLong && end < text_.size() && text_[end] == stop;
  size_t length = end - at_;
  if (ended && lineEnd_ == LineEnd::kCrLf && length > 0 && text_[at_ + length - 1] == '\r') --length;
  line->assign(text_, at_, length);
  *cut = !ended && !tooLong;
  at_ = ended ? end + 1 : end;
  ++lineNumber_;
  return true;
}

void LogReader::ReadBody(const std::string &body, LogEntry *entry) {
  entry->code = 0;
  entry->stopped = false;
  // A character below 128 as a key: the host text is ASCII there.
  if (body.size() == 9 && body.compare(0, 7, "{CHAR: ") == 0 && body[8] == '}' &&
      static_cast<unsigned char>(body[7]) < 0x80 && body[7] != 0) {
    entry->kind = LogEntryKind::kKey;
    entry->code = static_cast<unsigned char>(body[7]);
    entry->text.clear();
    return;
  }
  const bool name = !body.empty() && body[0] == '[';
  const bool character = body.compare(0, 7, "{CHAR: ") == 0;
  if (!name && !character) {
    ReadLogBody(body, entry);
    return;
  }
  if (cache_ == nullptr) cache_ = new Cache;
  auto found = cache_->bodies.find(body);
  if (found == cache_->bodies.end()) {
    if (cache_->bodies.size() >= 4096) cache_->bodies.clear();
    LogEntry read;
    ReadLogBody(body, &read);
    found = cache_->bodies.emplace(body, read).first;
  }
  entry->kind = found->second.kind;
  entry->code = found->second.code;
  entry->text = found->second.text;
}

bool LogReader::Next(LogEntry *entry) {
  for (;;) {
    bool cut = false;
    if (haveLine_) {
      cut = lineCut_;
    } else if (!NextLine(&line_, &cut)) {
      return false;
    }
    haveLine_ = false;
    entry->kind = LogEntryKind::kOther;
    entry->first = entry->last = 0;
    entry->line = lineNumber_;
    if (ReadHeader(line_, entry)) return true;
    body_.assign(line_, StampLength(line_), std::string::npos);
    // Lines without a stamp go on with the entry (none can follow a header);
    // a line cut short begins an entry of its own.
    while (!cut && NextLine(&line_, &lineCut_)) {
      if (lineCut_ || StampLength(line_) != 0 ||
          line_.compare(0, strlen(kHeaderStart), kHeaderStart) == 0) {
        haveLine_ = true;
        break;
      }
      body_ += '\n';
      body_ += line_;
    }
    ReadBody(body_, entry);
    // A cut line that reads as no entry never went out: left out.
    if (cut && entry->kind == LogEntryKind::kOther) continue;
    return true;
  }
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
