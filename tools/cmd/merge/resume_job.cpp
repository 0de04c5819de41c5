// The run's log: made beside a merged macro, and read back by
// tastiro-merge TEMPLATE DATA --resume LOG -o REST, which says where the
// logged run stopped and writes the rows still to type.
#include <errno.h>
#include <stdint.h>
#include <string.h>

#include "host/app/core/paths.h"
#include "host/app/core/text_codec.h"
#include "tools/os/console.h"
#include "tools/merger/resume_point.h"
#include "tools/merger/run_log.h"
#include "tools/writer/output_file.h"

#include "tools/reader/source.h"

#include "tools/cmd/merge/merge_command.h"

namespace merge {

using Msg = messages::MergeMsg;

namespace {

using merger::ResumePoint;

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
  auto say = [to](Msg id, std::initializer_list<lang::Arg> values) {
    os::Write(to, Say(id, values) + "\n");
  };
  if (point.last == SIZE_MAX)
    say(Msg::kResumeLogNoHeader, {args.resume, point.runs, point.first});
  else
    say(Msg::kResumeLog, {args.resume, point.runs, point.first, point.last});
  if (point.stopped) say(Msg::kResumeStopped, {});
  if (point.noEnd) say(Msg::kResumeNoEnd, {});
  if (point.found == ResumePoint::Found::kAllTyped) return;
  if (point.wholeTo == 0)
    say(Msg::kResumeNoneWhole, {});
  else if (point.wholeTo == point.first)
    say(Msg::kResumeWholeOne, {point.wholeTo});
  else
    say(Msg::kResumeWholeMany, {point.first, point.wholeTo});
  if (point.found != ResumePoint::Found::kCut) return;
  say(Msg::kResumeCut, {point.cutRow, point.sent, point.total, Tail(point.sentText, 40)});
  say(Msg::kResumeCutCheck, {});
  if (args.skipCut)
    say(Msg::kResumeSkipped, {point.cutRow});
  else
    say(Msg::kResumeClearCut, {point.cutRow, point.cutRow + 1});
}

// A log that is not of this macro: the first place of difference.
int Foreign(const Arguments &args, const ResumePoint &point) {
  const std::string where = point.row > 0 ? Say(Msg::kResumeInRow, {point.row})
                                          : Say(Msg::kResumeOutsideRows);
  const std::string expected = point.expected.empty() ? Say(Msg::kResumeMacroEnd)
                                                      : "«" + point.expected + "»";
  return Fail(Say(Msg::kResumeForeign, {args.resume, point.line, lang::Whole(where), expected,
                                        "«" + point.seen + "»"}));
}

// Where the last run of the log stopped.  0, or the exit status.
int FindPoint(const Arguments &args, const Job &job, ResumePoint *point) {
  reader::FileSource log;
  int openError = 0;
  if (!log.Open(args.resume, &openError))
    return Fail(Say(Msg::kResumeCannotReadLog, {args.resume, strerror(openError)}));
  table::TableOptions options;
  options.delimiter = args.delimiter;
  // The encoding the header was read in (given, or guessed by the reader).
  options.encoding = job.table.page;
  options.strict = args.strict;
  const std::string data = args.files[1];
  merger::MergedUnits units(
      [data]() -> std::unique_ptr<reader::ByteSource> {
        std::unique_ptr<reader::FileSource> file(new reader::FileSource);
        int error = 0;
        if (!file->Open(data, &error)) return nullptr;
        return file;
      },
      options, job.sources, job.settings, args.keepEmptyRows);
  merger::LogReader reader(log);
  std::string error;
  const bool found = merger::FindResumePoint(reader, units, job.keys, 1, point, &error);
  if (!found) return ToolError(error);
  return 0;
}

}  // namespace

// The log's name by the host's own rule: the macro's extension replaced by
// ".log" ("klienci.txt" gives "klienci.log", "notes.log" gives
// "notes.log.log").
std::string RunLogName(const std::string &macro) {
  std::u16string wide = volmar::Utf8ToUtf16(macro);
  wide.resize(wide.size() + 16, u'\0');
  if (volmar::AddExtension(&wide[0], static_cast<int32_t>(wide.size()), u".log") != 0) return {};
  return volmar::Utf16ToUtf8(std::u16string(wide.c_str()));
}

bool MakeRunLog(const Arguments &args, size_t first, size_t last, FILE *to) {
  if (args.noLog || args.output.empty() || args.dryRun) return true;
  const std::string name = RunLogName(args.output);
  if (name.empty()) {
    messages::TellOn(to, messages::Severity::kWarning, args.output, Say(Msg::kLogNotMade, {args.output, Say(Msg::kLogNoName)}));
    return false;
  }
  const std::string header = merger::LogHeaderLine(first, last, args.files[0], args.files[1]) + "\r\n";
  writer::Problem problem;
  if (writer::CreateExclusive(name, header, &problem)) {
    // (Said on the command line by the docs, not each time.)
    if (args.dropped) os::Write(to, Say(Msg::kLogCreated, {args.output, name}) + "\n");
    return true;
  }
  // A log that stands is never emptied or replaced, and only an empty file
  // or a player's log is added to (looked at again: it may have changed
  // since the check before the merge); the header marks where this macro's
  // runs begin.
  std::string why;
  if (problem.fault == writer::Fault::kExists && merger::ExamineLog(name) == merger::StandingLog::kOther) {
    why = Say(Msg::kWhyNotRunLog);
  } else if (problem.fault == writer::Fault::kExists && writer::AppendExisting(name, header, &problem)) {
    os::Write(to, Say(Msg::kLogAppended, {args.output, name}) + "\n");
    return true;
  } else {
    why = writer::WhyNot(problem);
  }
  messages::TellOn(to, messages::Severity::kWarning, args.output, Say(Msg::kLogNotMade, {name, why}));
  return false;
}

int Resume(const Arguments &args) {
  Job job;
  DataInput data;
  if (int status = PrepareJob(args, job, &data)) return status;
  ResumePoint point;
  if (int status = FindPoint(args, job, &point)) return status;
  if (point.found == ResumePoint::Found::kForeign) return Foreign(args, point);
  FILE *to = args.output.empty() && !args.dryRun ? stderr : stdout;
  SayPoint(to, args, point);
  size_t next = point.next;
  if (point.found == ResumePoint::Found::kCut && args.skipCut)
    next = point.cutRow < point.last ? point.cutRow + 1 : 0;
  if (point.found == ResumePoint::Found::kAllTyped || next == 0) {
    os::Write(to, Say(Msg::kResumeAllTyped) + "\n");
    return 0;
  }
  if (point.found == ResumePoint::Found::kNothingTyped)
    os::Write(to, Say(Msg::kResumeNothingTyped) + "\n");
  os::Write(to, Say(Msg::kResumeNext, {next}) + "\n");
  fflush(to);
  Arguments rest = args;
  rest.resume.clear();
  rest.firstRow = static_cast<long>(next);
  rest.lastRow = point.last == SIZE_MAX ? -1 : static_cast<long>(point.last);
  return Merge(rest);
}

}  // namespace merge
