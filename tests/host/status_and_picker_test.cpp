// The status line's account of the plug-ins' work, and the order of the F3
// picker's names.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/app/core/editor.h"
#include "host/app/core/file_picker.h"
#include "host/app/core/plugin_activity.h"
#include "host/app/core/text_codec.h"

namespace volmar {
namespace {

TEST(PluginActivity, SaysWhatTheHostCanTellFromItsCalls) {
  struct Case {
    const char *what;
    ActivitySnapshot snapshot;
    uint32_t handedOverAt;  // 0: nothing handed over yet
    uint32_t now;
    const char16_t *shown;
  } cases[] = {
      {"nothing open, nothing held", {0, 0, false}, 0, 5000, u""},
      {"keys handed back while a pause runs", {2, 0x8000, true}, 4990, 5000,
       u"PAUZA: wstrzymane klawisze: 2"},
      {"the plug-in at work (its form or question)", {0, 0x8000, false}, 0, 5000, u"WTYCZKA PRACUJE"},
      {"other bits of the state word say nothing", {0, 0x0001, false}, 0, 5000, u""},
      {"a macro open, keys handed over lately", {0, 0, true}, 4500, 5000, u"MAKRO PISZE"},
      {"a macro open, nothing handed over for a while", {0, 0, true}, 4000, 5000, u"MAKRO CZEKA"},
      {"a macro open before it handed anything over", {0, 0, true}, 0, 5000, u"MAKRO CZEKA"},
      {"the tick count wrapped since the last key", {0, 0, true}, 0xFFFFFF00u, 0x40, u"MAKRO PISZE"},
      {"keys handed over lately, but the macro is closed", {0, 0, false}, 4900, 5000, u""},
      {"a file held open for writing", {0, 0, false, true}, 0, 5000, u"NAGRYWANIE"},
      {"recording while a macro plays", {0, 0, true, true}, 4900, 5000, u"NAGRYWANIE, MAKRO PISZE"},
      {"recording while another plug-in's form is open", {0, 0x8000, false, true}, 0, 5000,
       u"NAGRYWANIE, WTYCZKA PRACUJE"},
  };
  for (const Case &c : cases) {
    PluginActivity activity;
    if (c.handedOverAt != 0) activity.HandedOver(c.handedOverAt);
    EXPECT_EQ(std::u16string(c.shown), activity.Describe(c.snapshot, c.now)) << c.what;
  }
}

TEST(PluginActivity, ShowsMarkedInTheEditorsStatusLine) {
  Editor editor;
  editor.statusText = [] { return std::u16string(u"Wtyczka 'Tastiromatika'"); };
  editor.activityText = [] { return std::u16string(u"MAKRO PISZE"); };
  Canvas canvas;
  canvas.Resize(80, 5);
  editor.Draw(canvas);
  std::u16string status = canvas.Row(4);
  size_t at = status.find(u"MAKRO PISZE");
  ASSERT_NE(std::u16string::npos, at) << Utf16ToUtf8(status);
  EXPECT_LT(at, status.find(u"Wtyczka")) << Utf16ToUtf8(status);
  EXPECT_EQ(Attr(kWhite, kRed), canvas.At(static_cast<int>(at), 4).attr);
  EXPECT_NE(canvas.At(static_cast<int>(at), 4).attr, canvas.At(1, 4).attr);

  editor.activityText = [] { return std::u16string(); };  // nothing to say: no mark
  editor.Draw(canvas);
  EXPECT_EQ(std::u16string::npos, canvas.Row(4).find(u"MAKRO"));
}

// Names given and expected in UTF-8; the picker holds host text.
std::vector<std::string> Sorted(std::vector<std::string> names) {
  for (std::string &name : names) name = Utf8ToHostText(name);
  SortFileNames(names);
  for (std::string &name : names) name = HostTextToUtf8(name);
  return names;
}

TEST(FilePicker, SortsAsPolishReadersExpect) {
  struct Case {
    std::vector<std::string> given, expected;
  } cases[] = {
      {{"żółw.txt", "czekaj.txt"}, {"czekaj.txt", "żółw.txt"}},
      {{"b.txt", "ą.txt", "a.txt"}, {"a.txt", "ą.txt", "b.txt"}},
      {{"m.txt", "ł.txt", "l.txt"}, {"l.txt", "ł.txt", "m.txt"}},
      {{"ż.txt", "ź.txt", "z.txt"}, {"z.txt", "ź.txt", "ż.txt"}},
      {{"ść.txt", "sz.txt", "Ś.txt", "t.txt"}, {"sz.txt", "Ś.txt", "ść.txt", "t.txt"}},
      {{"celina.txt", "Beta.txt", "alfa.txt"}, {"alfa.txt", "Beta.txt", "celina.txt"}},
      {{"Łódź.txt", "lato.txt", "Lwów.txt"}, {"lato.txt", "Lwów.txt", "Łódź.txt"}},
      {{"a.txt", "2.txt", "_.txt"}, {"2.txt", "_.txt", "a.txt"}},
      {{"ab.txt", "a.txt"}, {"a.txt", "ab.txt"}},
      {{"ala.txt", "Ala.txt"}, {"Ala.txt", "ala.txt"}},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.expected, Sorted(c.given));
    std::vector<std::string> reversed(c.given.rbegin(), c.given.rend());
    EXPECT_EQ(c.expected, Sorted(reversed)) << "the order given must not matter";
  }
}

}  // namespace
}  // namespace volmar
