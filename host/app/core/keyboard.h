// The host's key loop: where keys wait, and how each one passes the key
// filter chain before the host processes it.
//
// Keys wait in three places, offered in this order:
//   1. keys posted by plug-ins (HostPostKey), first in, first out;
//   2. keys a filter handed back (HostDelayKey), offered again a little
//      later, in the order they were handed back;
//   3. keys the user typed (or the script gives).
// NextKey offers the first waiting key to the installed filter; when no key
// waits it calls the filter with 0xFFFF (so a plug-in can feed keys), a few
// times over, since a plug-in may need more than one call to produce a key
// (a macro byte may feed nothing); when still nothing waits the host is
// idle and waits for input with a short timeout instead of spinning.  The
// filter answers with the key the host is to process, or 0xFFFF when it
// consumed the key.
//
// The host tells a key the user typed from a key a plug-in played: the
// loop remembers where each key came from, also while a filter holds it
// back, so that the host can act on the user's keys alone (its quit
// question, quit_question.h), and ask the user with no plug-in taking part
// (NextTypedKey).
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>

#include "plugin/contract/host_api.h"
#include "plugin/contract/host_values.h"

namespace volmar {

// Where the user's keys come from: the console, or a script.
class KeyInput {
 public:
  virtual ~KeyInput();
  // Moves what has arrived into the input's queue.  `quiet` says that the
  // host has nothing else to do: no key waits and the filter fed none.
  virtual void Pump(bool quiet) = 0;
  virtual bool Peek(uint16_t &key) = 0;
  virtual bool Take(uint16_t &key) = 0;
  // Pump(false), then Peek: what HostKeyPending asks for every key a
  // plug-in plays, in one call.
  virtual bool PumpAndPeek(uint16_t &key);
  // Blocks until input may have arrived, at most `milliseconds`.
  virtual void Wait(uint32_t milliseconds) = 0;
  // True when no more input will come (a script that has run out).
  virtual bool Ended() = 0;
  // True when the host is to stop at once (a script over its time limit).
  virtual bool Aborted() = 0;
};

class Keyboard {
 public:
  // `now` gives milliseconds (GetTickCount in the product).
  Keyboard(KeyInput &input, std::function<uint32_t()> now);

  // HostSetKeyFilter: installs `filter` and returns the one it replaces.
  KeyFilter SetFilter(KeyFilter filter);
  KeyFilter filter() const { return filter_; }

  // HostPostKey: queues a key (its low 16 bits) to come back through the
  // filter as if typed.  The no-key code is taken and dropped: it asks for
  // nothing.  Returns 0 when the queue is full.  Inline: a plug-in posts
  // every key it plays.
  int32_t Post(uint32_t key) {
    uint16_t code = static_cast<uint16_t>(key);
    if (code == host::kNoKey || code == 0) return 1;
    if (postedCount_ >= kQueueLimit) return 0;
    posted_[(postedHead_ + postedCount_++) % kQueueLimit] = code;
    return 1;
  }
  // HostDelayKey: keeps a key to offer again a little later.  A key handed
  // back while it was being offered again keeps its place at the front.
  int32_t Delay(uint32_t key);
  // HostKeyPending: the next waiting key, 0xFFFF only when none waits.
  // Inline up to the input: a plug-in asks it for every key it plays.
  uint32_t Pending() {
    if (postedCount_ != 0) return posted_[postedHead_];
    if (!delayed_.empty()) return delayed_.front().key;
    return PendingInput();
  }
  // Keys a filter handed back that wait to be offered again (the status line).
  size_t DelayedCount() const { return delayed_.size(); }

  // The host's key loop: the next key the host is to process, or
  // kEndOfInput when the input has ended and the host is idle.
  uint32_t NextKey();
  // True when the key NextKey returned last is one the user typed (or the
  // script gave) and the filters handed back as it was; false for a key a
  // plug-in posted or fed, or gave in place of the one it was offered.  A
  // key a filter held back (HostDelayKey) keeps where it came from.
  bool LastKeyTyped() const { return lastTyped_; }
  // The user's next key, straight from the input, for the host's own
  // question that no plug-in may answer: no posted or held key is offered
  // and no filter is called; they wait, as they were, for NextKey.
  // kEndOfInput when the input has ended or the host is to stop.
  uint32_t NextTypedKey();

  // Called before the loop blocks for input (to bring the screen up to date).
  std::function<void()> beforeWait;
  // Called with every key the user typed, before any filter sees it (not
  // with the keys NextTypedKey takes).
  std::function<void(uint16_t)> onUserKey;
  // When set, every filter call goes through it (to measure the calls).
  uint32_t (*filterCall)(KeyFilter filter, uint32_t key) = nullptr;
  // True while plug-ins still have work under way (a macro file open): the
  // loop then does not end when the input has ended.
  std::function<bool()> workPending;

  static constexpr size_t kQueueLimit = 4096;
  static constexpr uint32_t kRedelayMilliseconds = 10;
  static constexpr uint32_t kIdleWaitMilliseconds = 20;
  static constexpr int kNoKeyCallsBeforeIdle = 32;

 private:
  struct DelayedKey {
    uint16_t key;
    uint32_t due;
    bool typed;  // the user typed it
  };
  uint32_t PendingInput();
  bool TakeWaiting(uint16_t &key, bool &typed);
  uint16_t Filter(uint16_t key, bool typed);
  uint32_t WaitTime();
  bool NothingPosted() const { return postedCount_ == 0; }

  KeyInput &input_;
  std::function<uint32_t()> now_;
  KeyFilter filter_ = nullptr;
  // The posted keys: a ring of kQueueLimit keys, postedCount_ of them from
  // postedHead_ on.  Every played key passes through here, so a fixed ring
  // rather than a queue that allocates and frees as it goes.
  uint16_t posted_[kQueueLimit];
  size_t postedHead_ = 0;
  size_t postedCount_ = 0;
  std::deque<DelayedKey> delayed_;
  bool offeringDelayed_ = false;  // a delayed key is being offered again
  // The key the filter is being offered and whether the user typed it: a
  // key the filter hands back to be offered later keeps that.
  uint16_t offeredKey_ = host::kNoKey;
  bool offeredTyped_ = false;
  bool lastTyped_ = false;
};

}  // namespace volmar
