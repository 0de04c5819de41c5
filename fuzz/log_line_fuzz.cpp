// Fuzz target: WriteLogLine with long formats and long arguments, and the
// key line for any key.
//
// Input: one mode byte, then segments that build the format: literal text
// (its '%' doubled) and directives from the printf set the player uses
// (%s %c %d %u %X with flags, widths and precisions up to 9999), up to four
// of them, each with its argument (a text of up to 4000 bytes, or a
// number).  The line the host receives is compared with the same format
// run through snprintf behind the stamp, cut at 3077 characters.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/playback/macro_log.h"

namespace {

struct Argument {
  bool isText;
  std::string text;
  int number;
};

constexpr int kMaxArguments = 4;

// Calls `write` with the format and the arguments as their own types.
template <typename Write, typename... Done>
void WithArguments(Write write, const char *format, const Argument *arguments, int left,
                   Done... done) {
  if (left == 0) {
    write(format, done...);
  } else if constexpr (sizeof...(Done) < kMaxArguments) {
    if (arguments->isText)
      WithArguments(write, format, arguments + 1, left - 1, done..., arguments->text.c_str());
    else
      WithArguments(write, format, arguments + 1, left - 1, done..., arguments->number);
  }
}

// The formats are built at run time from the input, on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

struct WriteToLog {
  template <typename... Values>
  void operator()(const char *format, Values... values) const {
    WriteLogLine(format, values...);
  }
};

struct FormatExpected {
  std::string *out;
  template <typename... Values>
  void operator()(const char *format, Values... values) const {
    int length = snprintf(nullptr, 0, format, values...);
    FUZZ_CHECK(length >= 0, "the reference format failed");
    std::string text(static_cast<size_t>(length) + 1, '\0');
    snprintf(text.data(), text.size(), format, values...);
    text.pop_back();
    *out = text;
  }
};

#pragma GCC diagnostic pop

// One directive with a flag, width and precision where they mean something
// to its conversion, and its argument.
std::string Directive(fuzz::FuzzInput &input, Argument *argument) {
  struct Conversion {
    char letter;
    const char *flags;
    bool precision;
    bool text;
  };
  static const Conversion kConversions[] = {
      {'s', "-", true, true},     {'c', "-", false, false}, {'d', "-0 +", true, false},
      {'u', "-0", true, false},   {'X', "-0#", true, false},
  };
  uint8_t shape = input.Byte();
  const Conversion &conversion = kConversions[(shape & 7) % 5];
  std::string directive = "%";
  if (shape & 0x08) directive += conversion.flags[input.Byte() % strlen(conversion.flags)];
  if (shape & 0x10) directive += std::to_string(input.U16() % 10000);
  if (conversion.precision && (shape & 0x20))
    directive += "." + std::to_string(input.U16() % 10000);
  directive += conversion.letter;
  argument->isText = conversion.text;
  if (argument->isText) {
    argument->text = input.Bytes(input.U16() % 4001);
    argument->text = argument->text.substr(0, argument->text.find('\0'));
  } else {
    argument->number = static_cast<int>(input.U32());
  }
  return directive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::FuzzInput input(data, size);
  uint8_t mode = input.Byte();

  fuzz::HostFiles files;
  files.logExists = (mode & 1) == 0;
  files.keys =
      "#define ENTER 13\n#define TAB 9\n#define F3 0x3D00\n#define SHIFT_F11 0x8700\n"
      "#define PERCENT_S_%s 0x2500\n";
  fuzz::HostConduct conduct;
  conduct.answers = &input;
  conduct.hostile = (mode & 2) != 0;
  fuzz::InstallHost(files, conduct);
  fuzz::OpenMacroAsStarted();
  if (mode & 4) LoadKeyNameTable();

  for (int line = 0; line < 8 && !input.Empty(); ++line) {
    if (input.OneIn(4)) {
      // The key line for any key value.
      uint32_t key = input.U32();
      uint64_t before = fuzz::Record().logLines;
      WriteKeyLine(static_cast<int32_t>(key));
      if (g_player.logFile != 0)
        FUZZ_CHECK(fuzz::Record().logLines == before + 1, "no key line for %#x", key);
      continue;
    }
    // A format of literal pieces and up to four directives.
    std::string format;
    std::vector<Argument> arguments;
    for (int piece = input.Byte() % 9; piece > 0; --piece) {
      if (input.OneIn(2) && arguments.size() < kMaxArguments) {
        arguments.emplace_back();
        format += Directive(input, &arguments.back());
      } else {
        std::string literal = input.Bytes(input.U16() % 2048);
        for (char c : literal) {
          if (c == 0) break;
          format += c;
          if (c == '%') format += '%';
        }
      }
    }
    uint64_t before = fuzz::Record().logLines;
    WithArguments(WriteToLog(), format.c_str(), arguments.data(), static_cast<int>(arguments.size()));
    if (g_player.logFile == 0) {
      FUZZ_CHECK(fuzz::Record().logLines == before, "a line without a log");
      continue;
    }
    FUZZ_CHECK(fuzz::Record().logLines == before + 1, "no line written");
    if (fuzz::Record().lineConverted) continue;  // the host changed it

    // The same line by the book: stamp, body, cut at 3077 characters; the
    // host prints it up to its first NUL (a %c of 0).
    std::string body;
    WithArguments(FormatExpected{&body}, format.c_str(), arguments.data(),
                  static_cast<int>(arguments.size()));
    std::string expected = fuzz::Record().date + "=" + fuzz::Record().time + " " + body;
    if (expected.size() > fuzz::kLogLineChars) expected.resize(fuzz::kLogLineChars);
    expected = expected.substr(0, expected.find('\0'));
    FUZZ_CHECK(fuzz::Record().lastLogLine == expected, "the line differs from the format's");
  }
  fuzz::FinishHost();
  return 0;
}
