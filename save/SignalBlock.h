#pragma once

#include <signal.h>

#include <initializer_list>

// Private to save/.
namespace kalmoro {

// Blocks signals in the calling thread while it lives. Signals that arrive meanwhile are delivered when
// it ends, or discarded (those that were not pending already) for signals a failing call raises as well
// as reports, like SIGXFSZ with EFBIG.
class SignalBlock {
 public:
  enum class Pending { Deliver, Discard };
  SignalBlock(std::initializer_list<int> signals, Pending pending);
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;
  ~SignalBlock();

 private:
  sigset_t m_blocked;
  sigset_t m_previousMask;
  sigset_t m_pendingBefore;
  Pending m_pending;
};

}  // namespace kalmoro
