#include "extras/wake_up_time.h"

#include <chrono>

#include "app/clock.h"

wxDateTime NowToTheSecond() { return wxDateTime(std::chrono::system_clock::to_time_t(CurrentClock().Now())); }

wxDateTime WakeUpTarget(const wxDateTime& day, int hours, int minutes, int seconds) {
  wxDateTime target = day.IsValid() ? day : NowToTheSecond();
  target.ResetTime();
  target.SetHour(static_cast<wxDateTime::wxDateTime_t>(hours));
  target.SetMinute(static_cast<wxDateTime::wxDateTime_t>(minutes));
  target.SetSecond(static_cast<wxDateTime::wxDateTime_t>(seconds));
  return target;
}
