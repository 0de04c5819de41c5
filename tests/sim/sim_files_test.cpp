// The simulated host's files: text mode, handles, the C runtime's open.
#include "sim/sim_files.h"

#include <gtest/gtest.h>

#include "plugin/platform/platform.h"

namespace {

// Everything fgetc gives until the end.
std::string ReadAll(sim::Files &files, HostFile handle) {
  std::string bytes;
  for (int32_t c; (c = files.Getc(handle)) >= 0;) bytes += static_cast<char>(c);
  return bytes;
}

TEST(SimFiles, TextModeReadsCrLfAsLfAndWritesLfAsCrLf) {
  struct Case {
    const char *content;
    bool textMode;
    const char *read;
  } cases[] = {
      {"a\r\nb\r\n", true, "a\nb\n"},
      {"a\rb\r", true, "a\rb\r"},      // a lone CR stays
      {"a\r\r\nb", true, "a\r\nb"},     // only the CR right before LF goes
      {"a\r\nb\r\n", false, "a\r\nb\r\n"},
  };
  for (const Case &c : cases) {
    sim::Files files;
    files.Add(u"f", c.content, c.textMode);
    EXPECT_EQ(c.read, ReadAll(files, files.Open(u"f", u"rt"))) << c.content;

    HostFile log = files.Open(u"f", u"rt+");
    ASSERT_EQ(0, files.Seek(log, 0, 2));
    EXPECT_EQ(3, files.Write(log, "x\ny"));
    EXPECT_EQ(c.textMode ? "x\r\ny" : "x\ny", files.Written(u"f")) << c.content;
    EXPECT_EQ(std::string(c.content) + files.Written(u"f"), *files.Content(u"f"));
  }
}

TEST(SimFiles, GetsStopsAfterLineFeedOrRoomAndTellsWhereAndHowMuch) {
  for (bool textMode : {false, true}) {
    sim::Files files;
    files.Add(u"k", std::string("ab\r\nc\0d\nlong line", 17), textMode);
    HostFile h = files.Open(u"k", u"rt");
    char buffer[8];
    int64_t start = -1;
    size_t stored = 0;
    ASSERT_NE(nullptr, files.Gets(buffer, sizeof buffer, h, &start, &stored));
    EXPECT_EQ(textMode ? "ab\n" : "ab\r\n", std::string(buffer, stored));
    EXPECT_EQ(0, start);
    ASSERT_NE(nullptr, files.Gets(buffer, sizeof buffer, h, &start, &stored));
    EXPECT_EQ(std::string("c\0d\n", 4), std::string(buffer, stored)) << "a NUL byte is kept";
    EXPECT_EQ(4, start);
    ASSERT_NE(nullptr, files.Gets(buffer, 5, h, &start, &stored));
    EXPECT_STREQ("long", buffer);
    ASSERT_NE(nullptr, files.Gets(buffer, sizeof buffer, h));
    EXPECT_STREQ(" line", buffer);
    EXPECT_EQ(nullptr, files.Gets(buffer, sizeof buffer, h)) << "at the end";
  }
}

TEST(SimFiles, OpenNeverCreatesAndSetsTheRuntimesErrorNumbers) {
  sim::Files files;
  files.openErrno = 13;
  files.openDosErrno = 5;
  errno = 0;
  _doserrno = 0;
  EXPECT_EQ(0u, files.Open(u"missing", u"rt+"));
  EXPECT_EQ(13, errno);
  EXPECT_EQ(5, _doserrno);
  EXPECT_FALSE(files.Exists(u"missing"));
  EXPECT_EQ(nullptr, files.Content(u"missing"));
}

TEST(SimFiles, HandlesHaveTheirOwnPositionsAndCloseOnce) {
  sim::Files files;
  files.Add(u"m", "abc");
  HostFile first = files.Open(u"m", u"rt");
  HostFile second = files.Open(u"m", u"rt+");
  EXPECT_EQ(1u, first);
  EXPECT_EQ(2u, second);
  EXPECT_EQ('a', files.Getc(first));
  int64_t offset = -1;
  EXPECT_EQ('a', files.Getc(second, &offset));
  EXPECT_EQ(0, offset);
  EXPECT_EQ("rt+", files.Mode(u"m"));
  EXPECT_EQ(1u, files.Position(u"m"));
  EXPECT_EQ(-1, files.Write(first, "x")) << "opened without +";
  EXPECT_EQ(0, files.Close(first));
  EXPECT_EQ(-1, files.Close(first));
  EXPECT_EQ(-1, files.Getc(first));
  EXPECT_EQ(-1, files.Flush(first));
  EXPECT_TRUE(files.IsOpen(u"m"));
  EXPECT_EQ(0, files.Close(second));
  EXPECT_FALSE(files.IsOpen(u"m"));
  EXPECT_EQ(3u, files.Open(u"m", u"rt")) << "handles are not given out twice";
  EXPECT_EQ(7u, files.Open(u"m", u"rt", 7)) << "a fixed handle";
  EXPECT_EQ(0, files.Close(7));
  EXPECT_EQ(7u, files.Open(u"m", u"rt", 7)) << "a fixed handle again";
  files.Remove(u"m");
  EXPECT_EQ(-1, files.Getc(7)) << "a removed file reads nothing through an open handle";
  EXPECT_EQ(0u, files.Open(u"m", u"rt"));
}

TEST(SimFiles, SeekRewindAndWritePastTheEnd) {
  sim::Files files;
  files.Add(u"f", "0123456789");
  HostFile h = files.Open(u"f", u"rt+");
  struct Case {
    int32_t offset, origin, result;
    int32_t next;  // the byte read afterwards
  } cases[] = {{3, 0, 0, '3'}, {2, 1, 0, '6'}, {-1, 2, 0, '9'}, {-20, 1, -1, -1}, {0, 2, 0, -1}};
  for (const Case &c : cases) {
    EXPECT_EQ(c.result, files.Seek(h, c.offset, c.origin)) << c.offset << " " << c.origin;
    if (c.result == 0) {
      EXPECT_EQ(c.next, files.Getc(h)) << c.offset << " " << c.origin;
    }
  }
  EXPECT_EQ(0, files.Rewind(h));
  EXPECT_EQ('0', files.Getc(h));
  files.SetContent(u"f", "ab");  // the open handle sees the new bytes
  ASSERT_EQ(0, files.Seek(h, 4, 0));
  EXPECT_EQ(1, files.Write(h, "z"));
  EXPECT_EQ(std::string("ab\0\0z", 5), *files.Content(u"f"));
}

}  // namespace

namespace {

// The recorder's modes: "w" makes a file afresh, "a" makes a missing one and
// writes behind what an existing one holds; "r" never makes one.  A full
// disk fails every write and flush; a folder that takes no new file fails
// the making.
TEST(SimFiles, WriteAndAppendModesMakeFilesAsTheRuntimeDoes) {
  sim::Files files;
  EXPECT_EQ(0u, files.Open(u"new", u"rb"));
  HostFile made = files.Open(u"new", u"wb");
  ASSERT_NE(0u, made);
  EXPECT_EQ(2, files.Write(made, "ab"));
  EXPECT_EQ(0, files.Flush(made));
  EXPECT_EQ("ab", *files.Content(u"new"));

  files.Add(u"old", "kept");
  HostFile appended = files.Open(u"old", u"ab");
  EXPECT_EQ(1, files.Write(appended, "+"));
  EXPECT_EQ("kept+", *files.Content(u"old"));
  HostFile afresh = files.Open(u"old", u"wb");
  EXPECT_EQ(1, files.Write(afresh, "x"));
  EXPECT_EQ("x", *files.Content(u"old"));

  files.failWrites = true;
  EXPECT_EQ(-1, files.Write(afresh, "y"));
  EXPECT_EQ(-1, files.Flush(afresh));
  files.failCreate = true;
  EXPECT_EQ(0u, files.Open(u"other", u"ab"));
  EXPECT_FALSE(files.Exists(u"other"));
}

}  // namespace
