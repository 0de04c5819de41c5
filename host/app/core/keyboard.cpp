#include "host/app/core/keyboard.h"

#include "host/app/core/key_codes.h"

namespace volmar {

KeyInput::~KeyInput() = default;

bool KeyInput::PumpAndPeek(uint16_t &key) {
  Pump(false);
  return Peek(key);
}

Keyboard::Keyboard(KeyInput &input, std::function<uint32_t()> now)
    : input_(input), now_(std::move(now)) {}

KeyFilter Keyboard::SetFilter(KeyFilter filter) {
  KeyFilter previous = filter_;
  filter_ = filter;
  return previous;
}

int32_t Keyboard::Delay(uint32_t key) {
  uint16_t code = static_cast<uint16_t>(key);
  if (code == kKeyNone || code == 0) return 1;
  // Handed back as it was offered: still the user's key if it was.
  DelayedKey entry{code, now_() + kRedelayMilliseconds, offeredTyped_ && code == offeredKey_};
  if (offeringDelayed_) {
    offeringDelayed_ = false;
    delayed_.push_front(entry);
  } else {
    if (delayed_.size() >= kQueueLimit) return 0;
    delayed_.push_back(entry);
  }
  return 1;
}

uint32_t Keyboard::PendingInput() {
  uint16_t key;
  if (input_.PumpAndPeek(key)) return key;
  return kKeyNone;
}

bool Keyboard::TakeWaiting(uint16_t &key, bool &typed) {
  typed = false;
  if (!NothingPosted()) {
    key = posted_[postedHead_];
    postedHead_ = (postedHead_ + 1) % kQueueLimit;
    --postedCount_;
    return true;
  }
  if (!delayed_.empty() && static_cast<int32_t>(now_() - delayed_.front().due) >= 0) {
    key = delayed_.front().key;
    typed = delayed_.front().typed;
    delayed_.pop_front();
    offeringDelayed_ = true;
    return true;
  }
  input_.Pump(false);
  if (input_.Take(key)) {
    typed = true;
    if (onUserKey) onUserKey(key);
    return true;
  }
  return false;
}

uint16_t Keyboard::Filter(uint16_t key, bool typed) {
  if (filter_ == nullptr) return key;
  // A filter may run the host's key loop (a box, a form), which offers keys
  // of its own: once that loop returns, the key on offer is this one again.
  const uint16_t outerKey = offeredKey_;
  const bool outerTyped = offeredTyped_;
  offeredKey_ = key;
  offeredTyped_ = typed;
  uint16_t result =
      static_cast<uint16_t>(filterCall != nullptr ? filterCall(filter_, key) : filter_(key));
  offeredKey_ = outerKey;
  offeredTyped_ = outerTyped;
  offeringDelayed_ = false;
  return result;
}

uint32_t Keyboard::WaitTime() {
  if (delayed_.empty()) return kIdleWaitMilliseconds;
  int32_t left = static_cast<int32_t>(delayed_.front().due - now_());
  if (left < 1) return 1;
  return left < static_cast<int32_t>(kIdleWaitMilliseconds) ? static_cast<uint32_t>(left)
                                                             : kIdleWaitMilliseconds;
}

uint32_t Keyboard::NextKey() {
  offeringDelayed_ = false;
  // True when the filter has just fed a key: it is taken at once, with no
  // second look at the clock in between.
  bool fed = false;
  for (;;) {
    if (!fed && input_.Aborted()) return kEndOfInput;
    fed = false;
    uint16_t key;
    bool typed;
    if (TakeWaiting(key, typed)) {
      uint16_t result = Filter(key, typed);
      if (result == kKeyNone) continue;
      lastTyped_ = typed && result == key;
      return result;
    }
    // Delayed keys count as waiting: the filter is asked for a key only
    // when none waits at all.  Without a filter nobody can feed one.
    if (delayed_.empty()) {
      uint16_t result = kKeyNone;
      for (int call = 0; filter_ != nullptr && call < kNoKeyCallsBeforeIdle &&
                         result == kKeyNone && NothingPosted() && delayed_.empty();
           ++call)
        result = Filter(kKeyNone, false);
      if (result != kKeyNone) {
        lastTyped_ = false;
        return result;
      }
      if (!NothingPosted()) {
        fed = true;
        continue;
      }
      if (!delayed_.empty()) continue;
      input_.Pump(true);
      if (input_.Peek(key)) continue;
      if (input_.Ended() && !(workPending && workPending())) return kEndOfInput;
    }
    if (beforeWait) beforeWait();
    input_.Wait(WaitTime());
  }
}

uint32_t Keyboard::NextTypedKey() {
  for (;;) {
    if (input_.Aborted()) return kEndOfInput;
    // Quiet: the host waits for the user and does nothing else meanwhile.
    input_.Pump(true);
    uint16_t key;
    if (input_.Take(key)) return key;
    if (input_.Ended()) return kEndOfInput;
    if (beforeWait) beforeWait();
    input_.Wait(kIdleWaitMilliseconds);
  }
}

}  // namespace volmar
