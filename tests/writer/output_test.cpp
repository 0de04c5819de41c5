// The one writer: device names, the rules of a target, a file whole or
// untouched (full disk, a stop signal, a file that appeared meanwhile),
// standard output through a scratch file, the exclusive create and the
// append to a file that stands.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/os/console.h"
#include "tools/writer/device_name.h"
#include "tools/writer/output_file.h"
#include "tools/writer/why_not.h"
#include "tools/lang/lang.h"

namespace {

namespace fs = std::filesystem;
using writer::Fault;

// A fresh folder of the test's own.
class Folder {
 public:
  Folder() {
    char name[] = "/tmp/tastiro-output-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~Folder() { fs::remove_all(path_); }
  std::string operator/(const std::string &name) const { return path_ + "/" + name; }
  // Every name in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

std::string Read(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Put(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Bytes of `size`, not all alike, so that a lost or doubled block shows.
std::string Bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 1000) % 26);
  return bytes;
}

// A file-size limit for the scope: writes past it fail with EFBIG (the
// writer ignores SIGXFSZ), as on a full disk.
class SizeLimit {
 public:
  explicit SizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_IGN);
  }
  ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  struct rlimit saved_;
};

// Why a write failed, said the same way by both tools: the target's fault,
// else the system's reason, inside "cannot put ... in place" for the rename.
TEST(WhyNot, NamesEachFaultAndReason) {
  struct Case {
    writer::Problem problem;
    const char *english, *polish;
  } cases[] = {
      {{Fault::kFolder, 0}, "it is a folder", "to folder"},
      {{Fault::kReadOnly, EACCES}, "it is read-only", "plik jest tylko do odczytu"},
      {{Fault::kDanglingLink, 0}, "it is a symbolic link to no file", "to dowiązanie do pliku, którego nie ma"},
      {{Fault::kWrite, ENOSPC}, "the disk is full (or the file would be larger than allowed)",
       "brak miejsca na dysku (albo plik byłby większy, niż wolno)"},
      {{Fault::kWrite, EFBIG}, "the disk is full (or the file would be larger than allowed)",
       "brak miejsca na dysku (albo plik byłby większy, niż wolno)"},
      {{Fault::kCreate, ENOENT}, "its folder does not exist", "nie ma takiego folderu"},
      {{Fault::kCreate, EACCES}, "no permission to write there", "brak uprawnień do zapisu w tym miejscu"},
      {{Fault::kWrite, EPIPE}, "the program reading it has closed it (a closed pipe)",
       "program, który je odbierał, już je zamknął (zamknięty potok)"},
      {{Fault::kWrite, 0}, "write error", "błąd zapisu"},
      {{Fault::kPlace, EACCES}, "cannot put the new file in place (no permission to write there)",
       "nie można umieścić nowego pliku na miejscu (brak uprawnień do zapisu w tym miejscu)"},
  };
  for (const Case &c : cases) {
    lang::Set(lang::Language::kPolish);
    EXPECT_EQ(c.polish, writer::WhyNot(c.problem));
    lang::Set(lang::Language::kEnglish);
    EXPECT_EQ(c.english, writer::WhyNot(c.problem));
  }
  EXPECT_NE(std::string::npos, writer::WhyNot({Fault::kDevice, 0}).find("NUL, CON"));
}

TEST(DeviceName, Table) {
  struct Case {
    const char *path;
    bool device;
  };
  const Case cases[] = {
      {"NUL", true},          {"nul", true},           {"Con", true},           {"aux.txt", true},
      {"PRN.log.txt", true},  {"com1", true},          {"LPT9.csv", true},      {"nul .txt", true},
      {"dir/Aux.txt", true},  {"C:\\x\\con.txt", true}, {"C:nul", true},        {"CONOUT$", true},
      {"COM0", false},        {"com10", false},        {"lpt", false},          {"null.txt", false},
      {"console.txt", false}, {"auxiliary", false},    {"aux/file.txt", false}, {"raport.txt", false},
      {"", false},            {"x.nul", false},
  };
  for (const Case &c : cases) EXPECT_EQ(writer::IsDeviceName(c.path), c.device) << c.path;
}

TEST(CheckTarget, Rules) {
  Folder folder;
  Put(folder / "old.txt", "old");
  Put(folder / "locked.txt", "locked");
  chmod((folder / "locked.txt").c_str(), 0444);
  fs::create_directory(folder / "sub");
  fs::create_symlink(folder / "old.txt", folder / "link.txt");
  fs::create_symlink(folder / "none.txt", folder / "dangling.txt");
  fs::create_symlink("/dev/null", folder / "to-null.txt");
  struct Case {
    std::string path;
    bool replace;
    Fault fault;
    bool replaces;
  };
  const Case cases[] = {
      {folder / "new.txt", false, Fault::kNone, false},
      {folder / "old.txt", false, Fault::kExists, false},
      {folder / "old.txt", true, Fault::kNone, true},
      {folder / "link.txt", true, Fault::kNone, true},
      {folder / "locked.txt", true, Fault::kReadOnly, false},
      {folder / "sub", true, Fault::kFolder, false},
      {folder / "dangling.txt", true, Fault::kDanglingLink, false},
      {folder / "to-null.txt", true, Fault::kNotRegular, false},
      {"/dev/null", true, Fault::kNotRegular, false},
      {folder / "Aux.txt", true, Fault::kDevice, false},
  };
  for (const Case &c : cases) {
    writer::Target target;
    writer::Problem problem;
    EXPECT_EQ(writer::CheckTarget(c.path, c.replace, &target, &problem), c.fault == Fault::kNone) << c.path;
    EXPECT_EQ(problem.fault, c.fault) << c.path;
    EXPECT_EQ(target.replaces, c.replaces) << c.path;
  }
  // A link keeps pointing where it did: its target is the file written.
  writer::Target target;
  writer::Problem problem;
  writer::CheckTarget(folder / "link.txt", true, &target, &problem);
  EXPECT_EQ(target.path, fs::canonical(folder / "old.txt").string());
  EXPECT_FALSE(fs::exists(folder / "Aux.txt"));
}

// Writes `bytes` to `path` in runs of `run` bytes; the commit's problem.
writer::Problem WriteFile(const std::string &path, bool replace, const std::string &bytes, size_t run) {
  writer::Target target;
  writer::Problem problem;
  if (!writer::CheckTarget(path, replace, &target, &problem)) return problem;
  writer::Writer writer;
  if (!writer.Open(target, &problem)) return problem;
  for (size_t at = 0; at < bytes.size(); at += run) writer.Write(bytes.data() + at, std::min(run, bytes.size() - at));
  writer.Commit(&problem);
  return problem;
}

TEST(Writer, WholeFileInRunsOfAnySize) {
  Folder folder;
  const std::string bytes = Bytes(3 * writer::Writer::kBlock + 12345);
  for (size_t run : {size_t{1}, size_t{4096}, writer::Writer::kBlock - 1, 2 * writer::Writer::kBlock + 7}) {
    const std::string path = folder / ("out-" + std::to_string(run) + ".txt");
    EXPECT_EQ(WriteFile(path, false, bytes, run).fault, Fault::kNone) << run;
    EXPECT_TRUE(Read(path) == bytes) << run;
  }
  EXPECT_EQ(folder.Names().size(), 4u);  // no temporary file left
}

TEST(Writer, ReplacesKeepingPermissionsAndLinks) {
  Folder folder;
  Put(folder / "old.txt", "an older merge");
  chmod((folder / "old.txt").c_str(), 0640);
  fs::create_symlink("old.txt", folder / "link.txt");
  EXPECT_EQ(WriteFile(folder / "link.txt", true, "new", 3).fault, Fault::kNone);
  EXPECT_EQ(Read(folder / "old.txt"), "new");
  EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
  struct stat st;
  stat((folder / "old.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"link.txt", "old.txt"}));
}

TEST(Writer, NeverReplacesAFileThatAppearedMeanwhile) {
  Folder folder;
  writer::Target target;
  writer::Problem problem;
  ASSERT_TRUE(writer::CheckTarget(folder / "out.txt", false, &target, &problem));
  writer::Writer writer;
  ASSERT_TRUE(writer.Open(target, &problem));
  writer.Write("merged");
  Put(folder / "out.txt", "the user's");
  EXPECT_FALSE(writer.Commit(&problem));
  EXPECT_EQ(problem.fault, Fault::kExists);
  EXPECT_EQ(Read(folder / "out.txt"), "the user's");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.txt"});
}

TEST(Writer, FullDiskLeavesTargetUntouchedAndNoTemporaryFile) {
  Folder folder;
  Put(folder / "old.txt", "an older merge");
  const std::string bytes = Bytes(3 * writer::Writer::kBlock);
  for (size_t run : {size_t{100}, 3 * writer::Writer::kBlock}) {
    writer::Problem problem;
    {
      SizeLimit limit(64 * 1024);
      problem = WriteFile(folder / "old.txt", true, bytes, run);
    }
    EXPECT_EQ(problem.fault, Fault::kWrite) << run;
    EXPECT_TRUE(writer::DiskFull(problem.error)) << problem.error;
    EXPECT_EQ(Read(folder / "old.txt"), "an older merge");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"old.txt"});
  }
}

TEST(Writer, DiscardedWhenGivenUp) {
  Folder folder;
  writer::Target target;
  writer::Problem problem;
  writer::CheckTarget(folder / "out.txt", false, &target, &problem);
  {
    writer::Writer writer;
    writer.Open(target, &problem);
    writer.Write("half");
    EXPECT_EQ(folder.Names().size(), 1u);  // the temporary file
  }
  EXPECT_TRUE(folder.Names().empty());
}

// A stop signal while a file is being written: the tool ends by the signal
// and its temporary file is gone.
TEST(Writer, StopSignalsRemoveTheTemporaryFile) {
  for (int stop : {SIGINT, SIGTERM, SIGHUP}) {
    Folder folder;
    const pid_t child = fork();
    if (child == 0) {
      writer::Target target;
      writer::Problem problem;
      writer::CheckTarget(folder / "out.txt", false, &target, &problem);
      writer::Writer writer;
      writer.Open(target, &problem);
      writer.Write(Bytes(2 * writer::Writer::kBlock));
      raise(stop);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop) << stop;
    EXPECT_TRUE(folder.Names().empty()) << stop;
  }
}

TEST(Writer, ScratchFileCopiedOutLeavesNothing) {
  Folder folder;
  setenv("TMPDIR", folder.path().c_str(), 1);
  const std::string bytes = Bytes(2 * writer::Writer::kBlock + 99) + "\nlast line without its break";
  writer::Writer writer;
  writer::Problem problem;
  ASSERT_TRUE(writer.OpenScratch(&problem));
  writer.Write(bytes);
  EXPECT_TRUE(folder.Names().empty());  // read back through the open file only
  FILE *copy = fopen((folder / "copy.txt").c_str(), "wb");
  EXPECT_TRUE(writer.CopyTo(copy, &problem));
  fclose(copy);
  EXPECT_TRUE(Read(folder / "copy.txt") == bytes);

  ASSERT_TRUE(writer.OpenScratch(&problem));
  writer.Write(bytes);
  FILE *full = fopen("/dev/full", "wb");
  EXPECT_FALSE(writer.CopyTo(full, &problem));
  EXPECT_EQ(problem.fault, Fault::kWrite);
  fclose(full);
  unsetenv("TMPDIR");
}

TEST(StandardOutput, LostTextIsReported) {
  FILE *full = fopen("/dev/full", "wb");
  EXPECT_TRUE(os::Write(full, "a line\n"));  // still in the stream's buffer
  EXPECT_FALSE(os::Flush(full));
  fclose(full);
}

TEST(CreateExclusive, NeverReplacesOrEmpties) {
  Folder folder;
  writer::Problem problem;
  EXPECT_TRUE(writer::CreateExclusive(folder / "run.log", "header\n", &problem));
  EXPECT_TRUE(writer::WroteAny());  // a later loss on standard output only warns
  EXPECT_EQ(Read(folder / "run.log"), "header\n");
  EXPECT_FALSE(writer::CreateExclusive(folder / "run.log", "again\n", &problem));
  EXPECT_EQ(problem.fault, Fault::kExists);
  EXPECT_EQ(Read(folder / "run.log"), "header\n");
  EXPECT_FALSE(writer::CreateExclusive(folder / "nul.log", "", &problem));
  EXPECT_EQ(problem.fault, Fault::kDevice);
  {
    SizeLimit limit(4096);
    EXPECT_FALSE(writer::CreateExclusive(folder / "big.log", Bytes(8192), &problem));
  }
  EXPECT_EQ(problem.fault, Fault::kWrite);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"run.log"});
}

// A log that stands gets bytes at its end; nothing else is made or touched.
TEST(AppendExisting, AddsOnlyToAnOrdinaryFileThatStands) {
  Folder folder;
  writer::Problem problem;
  Put(folder / "run.log", "earlier run\r\n");
  EXPECT_TRUE(writer::AppendExisting(folder / "run.log", "header\r\n", &problem));
  EXPECT_EQ(Read(folder / "run.log"), "earlier run\r\nheader\r\n");
  EXPECT_FALSE(writer::AppendExisting(folder / "gone.log", "header\r\n", &problem));
  EXPECT_EQ(problem.fault, Fault::kCreate);
  EXPECT_EQ(problem.error, ENOENT);
  fs::create_directory(folder / "dir.log");
  EXPECT_FALSE(writer::AppendExisting(folder / "dir.log", "header\r\n", &problem));
  EXPECT_EQ(problem.fault, Fault::kFolder);
  ASSERT_EQ(0, mkfifo((folder / "pipe.log").c_str(), 0600));  // no reader: must not wait
  EXPECT_FALSE(writer::AppendExisting(folder / "pipe.log", "header\r\n", &problem));
  EXPECT_EQ(problem.fault, Fault::kNotRegular);
  EXPECT_FALSE(writer::AppendExisting(folder / "aux.log", "", &problem));
  EXPECT_EQ(problem.fault, Fault::kDevice);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"dir.log", "pipe.log", "run.log"}));
}

// Two names are one file by its identity, through links and spellings; an
// output that is an input is found before any work.
TEST(SameFile, ByIdentity) {
  Folder folder;
  Put(folder / "a.txt", "same bytes");
  Put(folder / "copy.txt", "same bytes");
  fs::create_directory(folder / "sub");
  fs::create_hard_link(folder / "a.txt", folder / "hard.txt");
  fs::create_symlink("a.txt", folder / "link.txt");
  fs::create_symlink("link.txt", folder / "chain.txt");
  fs::create_symlink("nowhere", folder / "dangling.txt");
  struct Case {
    std::string other;
    bool same;
  };
  const Case cases[] = {
      {folder / "a.txt", true},          {folder / "./a.txt", true},     {folder / "sub/../a.txt", true},
      {folder / "hard.txt", true},       {folder / "link.txt", true},    {folder / "chain.txt", true},
      {folder / "copy.txt", false},      {folder / "sub", false},        {folder / "dangling.txt", false},
      {folder / "missing.txt", false},   {"", false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(writer::SameFile(folder / "a.txt", c.other), c.same) << c.other;
    EXPECT_EQ(writer::SameFile(c.other, folder / "a.txt"), c.same) << c.other;
    writer::Clash clash;
    EXPECT_EQ(writer::FindClash({folder / "new.txt", c.other}, {"", folder / "a.txt"}, &clash),
              c.same)
        << c.other;
    if (c.same) {
      EXPECT_EQ(clash.output + " " + clash.input, c.other + " " + (folder / "a.txt"));
    }
  }
}

// "-" is standard input: redirected from a file, it is that file.
TEST(FindClash, StandardInputRedirectedFromAFile) {
  Folder folder;
  Put(folder / "d.csv", "Imię\nJan\n");
  Put(folder / "other.csv", "Imię\n");
  const int saved = dup(STDIN_FILENO);
  const int file = open((folder / "d.csv").c_str(), O_RDONLY);
  ASSERT_GE(file, 0);
  dup2(file, STDIN_FILENO);
  close(file);
  writer::Clash clash;
  EXPECT_TRUE(writer::FindClash({folder / "d.csv"}, {"-"}, &clash));
  EXPECT_EQ(clash.input, "-");
  EXPECT_FALSE(writer::FindClash({folder / "other.csv"}, {"-"}, &clash));
  int ends[2];
  ASSERT_EQ(0, pipe(ends));
  dup2(ends[0], STDIN_FILENO);  // a pipe shares no file's identity
  EXPECT_FALSE(writer::FindClash({folder / "d.csv"}, {"-"}, &clash));
  close(ends[0]);
  close(ends[1]);
  dup2(saved, STDIN_FILENO);
  close(saved);
}

// A pipe whose reader has gone is a write error (EPIPE), never the end of
// the tool by SIGPIPE.
TEST(PrepareProcess, AClosedPipeIsAWriteError) {
  writer::PrepareProcess();
  int ends[2];
  ASSERT_EQ(0, pipe(ends));
  close(ends[0]);
  FILE *stream = fdopen(ends[1], "wb");
  ASSERT_NE(stream, nullptr);
  os::Write(stream, "a line\n");
  errno = 0;
  EXPECT_FALSE(os::Flush(stream));
  EXPECT_EQ(errno, EPIPE);
  fclose(stream);
}

}  // namespace
