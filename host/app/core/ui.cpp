#include "host/app/core/ui.h"

#include <algorithm>

#include "host/app/core/key_codes.h"

namespace volmar {

Layer::~Layer() = default;
bool Layer::TypeText(std::string_view) { return false; }
Screen::~Screen() = default;

Ui::Ui(Keyboard &keyboard, Screen *screen, std::function<uint32_t()> now)
    : keyboard_(keyboard), screen_(screen), now_(std::move(now)) {
  keyboard_.beforeWait = [this]() { Redraw(); };
  keyboard_.onUserKey = [this](uint16_t key) {
    if (key == kKeyEnter || key == kKeyEsc) DismissStanding();
  };
}

void Ui::Push(Layer *layer) { modals_.push_back(layer); }

void Ui::Pop(Layer *layer) {
  auto found = std::find(modals_.begin(), modals_.end(), layer);
  if (found != modals_.end()) modals_.erase(found);
}

void Ui::ShowStanding(std::unique_ptr<Layer> notice) { standing_ = std::move(notice); }

void Ui::DismissStanding() { standing_.reset(); }

void Ui::Redraw() {
  lastRedraw_ = now_();
  if (screen_ == nullptr) return;
  int width = 80, height = 25;
  screen_->Size(width, height);
  canvas_.Resize(width, height);
  if (base_ != nullptr) base_->Draw(canvas_);
  if (standing_ != nullptr) standing_->Draw(canvas_);
  for (Layer *layer : modals_) {
    canvas_.cursorX = canvas_.cursorY = -1;  // a box hides the caret below it
    layer->Draw(canvas_);
  }
  if (presentedOnce_ && canvas_ == presented_) return;
  screen_->Present(canvas_);
  presented_ = canvas_;
  presentedOnce_ = true;
}

uint32_t Ui::NextKey() {
  if (static_cast<uint32_t>(now_() - lastRedraw_) >= kRedrawInterval) Redraw();
  return keyboard_.NextKey();
}

uint32_t Ui::NextTypedKey() {
  if (static_cast<uint32_t>(now_() - lastRedraw_) >= kRedrawInterval) Redraw();
  return keyboard_.NextTypedKey();
}

bool Ui::TypeText(std::string_view hostText) {
  if (!modals_.empty()) return modals_.back()->TypeText(hostText);
  return base_ != nullptr && base_->TypeText(hostText);
}

}  // namespace volmar
