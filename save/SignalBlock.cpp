#include "SignalBlock.h"

#include <pthread.h>

#include <ctime>

namespace kalmoro {

SignalBlock::SignalBlock(std::initializer_list<int> signals, Pending pending) : m_pending(pending) {
  sigemptyset(&m_blocked);
  for (const int sig : signals) sigaddset(&m_blocked, sig);
  sigpending(&m_pendingBefore);
  pthread_sigmask(SIG_BLOCK, &m_blocked, &m_previousMask);
}

SignalBlock::~SignalBlock() {
  if (m_pending == Pending::Discard) {
    sigset_t raised;
    sigemptyset(&raised);
    sigset_t now;
    sigpending(&now);
    bool any = false;
    for (int sig = 1; sig < NSIG; ++sig) {
      if (sigismember(&m_blocked, sig) == 1 && sigismember(&now, sig) == 1 &&
          sigismember(&m_pendingBefore, sig) != 1 && sigismember(&m_previousMask, sig) != 1) {
        sigaddset(&raised, sig);
        any = true;
      }
    }
    const timespec noWait{};
    while (any && sigtimedwait(&raised, nullptr, &noWait) > 0) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

}  // namespace kalmoro
