// The host's screen: a stack of layers (the editor at the bottom, standing
// notices over it, then every open box, form or picker), drawn into one
// canvas and handed to the screen when something changed.
//
// Without a screen (the scripted mode) nothing is drawn: boxes print their
// texts through `report` and take their answers from `answers`.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/app/core/canvas.h"
#include "host/app/core/keyboard.h"

namespace volmar {

class Layer {
 public:
  virtual ~Layer();
  virtual void Draw(Canvas &canvas) = 0;
  // HostTypeText while this layer is on top: true when the text was taken.
  virtual bool TypeText(std::string_view hostText);
};

class Screen {
 public:
  virtual ~Screen();
  virtual void Size(int &width, int &height) = 0;
  virtual void Present(const Canvas &canvas) = 0;
};

class Ui {
 public:
  // `screen` null: the scripted mode.
  Ui(Keyboard &keyboard, Screen *screen, std::function<uint32_t()> now);

  Keyboard &keyboard() { return keyboard_; }
  bool scripted() const { return screen_ == nullptr; }

  void SetBase(Layer *base) { base_ = base; }
  void Push(Layer *layer);
  void Pop(Layer *layer);
  bool HasModal() const { return !modals_.empty(); }

  // A notice that stays up while the user goes on working; it goes at the
  // next Enter or Esc the user types, or when another one replaces it.
  void ShowStanding(std::unique_ptr<Layer> notice);
  void DismissStanding();
  bool HasStanding() const { return standing_ != nullptr; }

  // Composes every layer and presents the result when it changed.
  void Redraw();
  // The key loop as every widget runs it: the screen is kept up to date
  // (at most every few tens of milliseconds while keys stream in).
  uint32_t NextKey();
  // The same for the host's own question that only the user may answer
  // (Keyboard::NextTypedKey): no plug-in takes part while it waits.
  uint32_t NextTypedKey();
  // HostTypeText: into the top layer that takes text.
  bool TypeText(std::string_view hostText);

  // Scripted mode: where texts are printed (UTF-8), and the answers for
  // the boxes that ask, first to last (message_box.h says which fit where).
  std::function<void(const std::string &)> report;
  std::deque<std::string> answers;

  static constexpr uint32_t kRedrawInterval = 40;

 private:
  Keyboard &keyboard_;
  Screen *screen_;
  std::function<uint32_t()> now_;
  Layer *base_ = nullptr;
  std::unique_ptr<Layer> standing_;
  std::vector<Layer *> modals_;
  Canvas canvas_, presented_;
  bool presentedOnce_ = false;
  uint32_t lastRedraw_ = 0;
};

// Pushes a layer for the life of the scope.
class ModalScope {
 public:
  ModalScope(Ui &ui, Layer *layer) : ui_(ui), layer_(layer) { ui_.Push(layer_); }
  ~ModalScope() { ui_.Pop(layer_); }
  ModalScope(const ModalScope &) = delete;
  ModalScope &operator=(const ModalScope &) = delete;

 private:
  Ui &ui_;
  Layer *layer_;
};

}  // namespace volmar
