#pragma once
// A one-shot timer that wakes the machine from stand-by or hibernation.
// Under the dry-run switch arming and cancelling are recorded instead of done.
#include <cstdint>
#include <functional>
#include <memory>

namespace os::waketimer {

enum class Result {
  Ok,
  Unsupported,  // no permission to wake the machine, or no clock that can
  Failed,       // anything else; errorCode says what
};

struct Outcome {
  Result result = Result::Failed;
  int errorCode = 0;  // errno-style
};

class Timer {
 public:
  Timer();
  ~Timer();  // cancels
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Arms the timer `seconds` from now (an armed one is replaced). `fired`
  // runs once on the timer's own thread.
  Outcome Arm(std::int64_t seconds, std::function<void()> fired);
  // Disarms; returns 0 or the errno of a failure. Nothing armed: 0.
  int Cancel();
  bool Armed() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace os::waketimer
