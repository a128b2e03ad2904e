#pragma once
// Every Task Scheduler call the scheduler makes, reported in order to an
// observer: tests see what was asked even where the service (Wine's) keeps
// nothing and lists nothing.
#include <functional>
#include <string>

namespace os::win::scheduler_calls {

// `call` names the method and, where it sets something, the value
// ("put_DaysInterval 3"); `result` is the HRESULT it returned.
using Observer = std::function<void(const std::string& call, long result)>;

// Replaces the observer; an empty one stops the reports.
void SetObserver(Observer observer);

void Report(const std::string& call, long result);

}  // namespace os::win::scheduler_calls
