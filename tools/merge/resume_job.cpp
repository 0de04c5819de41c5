// The run's log: made beside a merged macro, and read back by
// tastiro-merge TEMPLATE DATA --resume LOG -o REST, which says where the
// logged run stopped and writes the rows still to type.
#include <ctype.h>
#include <errno.h>
#include <stdint.h>
#include <string.h>

#include "host/app/core/paths.h"
#include "host/app/core/text_codec.h"
#include "tools/lang/console.h"
#include "tools/merging/resume_point.h"
#include "tools/output/output_file.h"

#include "tools/merge/merge_command.h"

namespace merge_command {

namespace {

using merge::ResumePoint;

// The log's name by the host's own rule: the macro's extension replaced by
// ".log" ("klienci.txt" gives "klienci.log", "notes.log" gives
// "notes.log.log").  Empty when the host could not name it.
std::string LogName(const std::string &macro) {
  std::u16string wide = volmar::Utf8ToUtf16(macro);
  wide.resize(wide.size() + 16, u'\0');
  if (volmar::AddExtension(&wide[0], static_cast<int32_t>(wide.size()), u".log") != 0) return {};
  return volmar::Utf16ToUtf8(std::u16string(wide.c_str()));
}

// The file a table's bytes are read from, closed with it.
class DataFile : public merge::FileSource {
 public:
  explicit DataFile(FILE *file) : FileSource(file), file_(file) {}
  ~DataFile() override { fclose(file_); }

 private:
  FILE *file_;
};

// The end of what the cut row sent, as the entry in VOLMAR shows it: at
// most `count` characters, "…" in front of a longer text.
std::string Tail(const std::string &text, size_t count) {
  size_t at = text.size();
  for (size_t seen = 0; at > 0 && seen < count; ) {
    --at;
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) ++seen;
  }
  return at == 0 ? text : "\xE2\x80\xA6" + text.substr(at);
}

// What the log says of the last run, on `to`.
void SayPoint(FILE *to, const Arguments &args, const ResumePoint &point) {
  if (point.last == SIZE_MAX)
    lang::Write(to, Format(msg::kResumeLogNoHeader, args.resume.c_str(), point.runs, point.first) + "\n");
  else
    lang::Write(to, Format(msg::kResumeLog, args.resume.c_str(), point.runs, point.first,
                           point.last) + "\n");
  if (point.stopped) lang::Write(to, Format(msg::kResumeStopped) + "\n");
  if (point.noEnd) lang::Write(to, Format(msg::kResumeNoEnd) + "\n");
  if (point.found == ResumePoint::Found::kAllTyped) return;
  if (point.wholeTo == 0)
    lang::Write(to, Format(msg::kResumeNoneWhole) + "\n");
  else if (point.wholeTo == point.first)
    lang::Write(to, Format(msg::kResumeWholeOne, point.wholeTo) + "\n");
  else
    lang::Write(to, Format(msg::kResumeWholeMany, point.first, point.wholeTo) + "\n");
  if (point.found != ResumePoint::Found::kCut) return;
  lang::Write(to, Format(msg::kResumeCut, point.cutRow, point.sent, point.total,
                         Tail(point.sentText, 40).c_str()) + "\n");
  lang::Write(to, Format(msg::kResumeCutCheck) + "\n");
  if (args.skipCut)
    lang::Write(to, Format(msg::kResumeSkipped, point.cutRow) + "\n");
  else
    lang::Write(to, Format(msg::kResumeClearCut, point.cutRow, point.cutRow + 1) + "\n");
}

// A log that is not of this macro: the first place of difference.
int Foreign(const Arguments &args, const ResumePoint &point) {
  const std::string where = point.row > 0 ? Format(msg::kResumeInRow, point.row)
                                          : Format(msg::kResumeOutsideRows);
  const std::string expected = point.expected.empty() ? Format(msg::kResumeMacroEnd)
                                                      : "«" + point.expected + "»";
  return Fail(Format(msg::kResumeForeign, args.resume.c_str(), point.line, where.c_str(),
                     expected.c_str(), ("«" + point.seen + "»").c_str()));
}

// Where the last run of the log stopped.  0, or the exit status.
int FindPoint(const Arguments &args, const Job &job, ResumePoint *point) {
  FILE *log = lang::OpenFile(args.resume, "rb");
  if (log == nullptr)
    return Fail(Format(msg::kResumeCannotReadLog, args.resume.c_str(), strerror(errno)));
  merge::TableOptions options;
  options.delimiter = args.delimiter;
  options.encoding = args.dataEncoding;
  const std::string data = args.files[1];
  merge::MergedUnits units(
      [data]() -> std::unique_ptr<merge::ByteSource> {
        FILE *file = lang::OpenFile(data, "rb");
        if (file == nullptr) return nullptr;
        return std::unique_ptr<merge::ByteSource>(new DataFile(file));
      },
      options, job.sources, job.settings);
  merge::LogReader reader(log);
  std::string error;
  const bool found = merge::FindResumePoint(reader, units, job.keys, 1, point, &error);
  fclose(log);
  if (!found) return ToolError(error);
  return 0;
}

}  // namespace

namespace {

// Adds the header at the end of a log that stood already (kept as it is:
// the player appends to it too).  False with the reason.
bool AppendHeader(const std::string &log, const std::string &header, output::Problem *problem) {
  FILE *file = lang::OpenFile(log, "ab");
  const bool done = file != nullptr && fwrite(header.data(), 1, header.size(), file) == header.size();
  problem->fault = output::Fault::kWrite;
  problem->error = errno;
  if (file != nullptr && fclose(file) != 0) return false;
  return done;
}

}  // namespace

void MakeRunLog(const Arguments &args, size_t first, size_t last, FILE *to) {
  if (args.noLog || args.output.empty() || args.dryRun) return;
  const std::string name = LogName(args.output);
  const char *macro = args.output.c_str();
  if (name.empty()) {
    lang::Write(to, Format(msg::kLogNotMade, macro, macro, Format(msg::kLogNoName).c_str()) + "\n");
    return;
  }
  const std::string header = merge::LogHeaderLine(first, last, args.files[0], args.files[1]) + "\r\n";
  output::Problem problem;
  if (output::CreateExclusive(name, header, &problem)) {
    // (Said on the command line by the docs, not each time.)
    if (args.dropped) lang::Write(to, Format(msg::kLogCreated, macro, name.c_str()) + "\n");
    return;
  }
  // A log that stands is never emptied or replaced; the header marks where
  // this macro's runs begin.
  if (problem.fault == output::Fault::kExists && AppendHeader(name, header, &problem)) {
    lang::Write(to, Format(msg::kLogAppended, macro, name.c_str()) + "\n");
    return;
  }
  lang::Write(to, Format(msg::kLogNotMade, macro, name.c_str(), WriteProblem(problem).c_str()) + "\n");
}

std::string TakeDroppedLog(std::vector<std::string> *files) {
  for (auto file = files->begin(); file != files->end(); ++file) {
    std::string tail = file->size() >= 4 ? file->substr(file->size() - 4) : *file;
    for (char &c : tail) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (tail != ".log") continue;
    std::string log = *file;
    files->erase(file);
    return log;
  }
  return {};
}

int AskToResume(const std::string &log, Arguments *args) {
  if (!lang::AskYes(Format(msg::kDropResumeAsk, log.c_str()))) return 2;
  args->resume = log;
  // The rest's name: the log's with "-reszta", then -reszta-2, ...
  const std::string stem = log.substr(0, log.size() - 4);
  args->output.clear();
  for (int n = 1; n < 1000 && args->output.empty(); ++n) {
    std::string name = stem + "-reszta" + (n > 1 ? "-" + std::to_string(n) : "") + ".txt";
    if (!lang::FileExists(name)) args->output = name;
  }
  if (args->output.empty()) return ToolError(Format(msg::kDropNoName, log.c_str()));
  return 0;
}

int Resume(const Arguments &args) {
  Job job;
  if (int status = PrepareMerge(args, job)) return status;
  ResumePoint point;
  if (int status = FindPoint(args, job, &point)) return status;
  if (point.found == ResumePoint::Found::kForeign) return Foreign(args, point);
  FILE *to = args.output.empty() && !args.dryRun ? stderr : stdout;
  SayPoint(to, args, point);
  size_t next = point.next;
  if (point.found == ResumePoint::Found::kCut && args.skipCut)
    next = point.cutRow < point.last ? point.cutRow + 1 : 0;
  if (point.found == ResumePoint::Found::kAllTyped || next == 0) {
    lang::Write(to, Format(msg::kResumeAllTyped) + "\n");
    return 0;
  }
  if (point.found == ResumePoint::Found::kNothingTyped)
    lang::Write(to, Format(msg::kResumeNothingTyped) + "\n");
  lang::Write(to, Format(msg::kResumeNext, next) + "\n");
  fflush(to);
  Arguments rest = args;
  rest.resume.clear();
  rest.firstRow = static_cast<long>(next);
  rest.lastRow = point.last == SIZE_MAX ? -1 : static_cast<long>(point.last);
  return Merge(rest);
}

}  // namespace merge_command
