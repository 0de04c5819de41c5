#include "host/app/core/file_picker.h"

#include <algorithm>

#include "host/app/core/key_codes.h"
#include "host/app/core/text_codec.h"

namespace volmar {

namespace {

constexpr uint16_t kListAttr = Attr(kBlack, kCyan);
constexpr uint16_t kChosenAttr = Attr(kWhite, kBlue);

class PickerLayer : public Layer {
 public:
  PickerLayer(const std::vector<std::string> &names, const std::string &pattern)
      : names_(names), title_(u"Wybierz plik (" + HostTextToUtf16(pattern) + u")") {}

  void Draw(Canvas &canvas) override {
    int widest = static_cast<int>(title_.size()) + 4;
    for (const std::string &name : names_) widest = std::max(widest, static_cast<int>(name.size()) + 4);
    const int w = std::min(widest, canvas.width() - 4);
    rows_ = std::max(1, std::min(static_cast<int>(std::max<size_t>(names_.size(), 1)), canvas.height() - 8));
    const int h = rows_ + 2;
    const int x = std::max(0, (canvas.width() - w) / 2), y = std::max(0, (canvas.height() - h) / 2);
    if (chosen < top_) top_ = chosen;
    if (chosen >= top_ + rows_) top_ = chosen - rows_ + 1;
    canvas.Frame(x, y, w, h, kListAttr, title_);
    canvas.Shadow(x, y, w, h);
    if (names_.empty()) {
      canvas.Text(x + 2, y + 1, u"(brak plików)", kListAttr, w - 4);
      return;
    }
    for (int row = 0; row < rows_ && top_ + row < static_cast<int>(names_.size()); ++row) {
      int index = top_ + row;
      uint16_t attr = index == chosen ? kChosenAttr : kListAttr;
      canvas.Fill(x + 1, y + 1 + row, w - 2, 1, u' ', attr);
      canvas.Text(x + 2, y + 1 + row, HostTextToUtf16(names_[index]), attr, w - 4);
    }
  }

  int chosen = 0;
  int rows() const { return rows_; }

 private:
  const std::vector<std::string> &names_;
  std::u16string title_;
  int top_ = 0;
  int rows_ = 10;
};

bool StartsWith(const std::string &name, const std::string &prefix) {
  if (prefix.size() > name.size()) return false;
  std::u16string a = HostTextToUtf16(name.substr(0, prefix.size())), b = HostTextToUtf16(prefix);
  for (size_t i = 0; i < a.size(); ++i)
    if (ToLowerCase(a[i]) != ToLowerCase(b[i])) return false;
  return true;
}

// A character's place in the Polish alphabetical order, letter case aside:
// the 26 Latin letters 16 apart, a Polish letter just behind its base one
// (ź before ż); what is not a letter keeps its code and goes first (ASCII)
// or last (anything else).
uint32_t CollationWeight(char16_t c) {
  static const char16_t kPolish[] = u"ąćęłńóśźż";
  static const char kBase[] = "acelnoszz";
  c = ToLowerCase(c);
  if (c >= u'a' && c <= u'z') return 0x100 + (c - u'a') * 16;
  for (int i = 0; kPolish[i] != 0; ++i)
    if (kPolish[i] == c) return 0x100 + (kBase[i] - 'a') * 16 + (c == u'ż' ? 2 : 1);
  return c < 0x80 ? c : 0x10000u + c;
}

}  // namespace

bool FileNameBefore(const std::string &a, const std::string &b) {
  std::u16string x = HostTextToUtf16(a), y = HostTextToUtf16(b);
  for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
    uint32_t wx = CollationWeight(x[i]), wy = CollationWeight(y[i]);
    if (wx != wy) return wx < wy;
  }
  if (x.size() != y.size()) return x.size() < y.size();
  return a < b;  // equal but for letter case: a fixed order all the same
}

void SortFileNames(std::vector<std::string> &names) {
  std::sort(names.begin(), names.end(), FileNameBefore);
}

int32_t RunFilePicker(Ui &ui, const std::vector<std::string> &names, const std::string &pattern) {
  PickerLayer layer(names, pattern);
  ModalScope scope(ui, &layer);
  if (ui.scripted() && ui.report) {
    std::string list = "== wybór pliku: " + HostTextToUtf8(pattern) + " ==\n";
    for (const std::string &name : names) list += HostTextToUtf8(name) + "\n";
    ui.report(list);
  }
  const int last = static_cast<int>(names.size()) - 1;
  std::string typed;
  ui.Redraw();
  for (;;) {
    uint32_t key = ui.NextKey();
    if (key == kEndOfInput || key == kKeyEsc) return -1;
    if (key == kKeyEnter) {
      if (names.empty()) return -1;
      if (ui.scripted() && ui.report) ui.report("-> " + HostTextToUtf8(names[layer.chosen]) + "\n");
      return layer.chosen;
    }
    int page = std::max(1, layer.rows() - 1);
    switch (key) {
      case kKeyUp: layer.chosen--; typed.clear(); break;
      case kKeyDown: layer.chosen++; typed.clear(); break;
      case kKeyPgUp: layer.chosen -= page; typed.clear(); break;
      case kKeyPgDn: layer.chosen += page; typed.clear(); break;
      case kKeyHome: layer.chosen = 0; typed.clear(); break;
      case kKeyEnd: layer.chosen = last; typed.clear(); break;
      case kKeyBackspace: if (!typed.empty()) typed.pop_back(); break;
      default:
        if (IsCharacterKey(key) && key >= 0x20) {
          typed.push_back(static_cast<char>(key));
          for (int i = 0; i <= last; ++i)
            if (StartsWith(names[i], typed)) {
              layer.chosen = i;
              break;
            }
        }
        break;
    }
    layer.chosen = std::clamp(layer.chosen, 0, std::max(0, last));
    ui.Redraw();
  }
}

}  // namespace volmar
