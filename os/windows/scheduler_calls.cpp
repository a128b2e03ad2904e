#include "os/windows/scheduler_calls.h"

#include <mutex>

namespace os::win::scheduler_calls {

namespace {
std::mutex g_mutex;
Observer g_observer;
}  // namespace

void SetObserver(Observer observer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_observer = std::move(observer);
}

void Report(const std::string& call, long result) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_observer)
    g_observer(call, result);
}

}  // namespace os::win::scheduler_calls
