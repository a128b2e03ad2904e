#pragma once
// Times of the Monitor and Wakeup pages.
#include <wx/datetime.h>

// The current time through the clock seam, to the second.
wxDateTime NowToTheSecond();

// The picker's day at the three spins' time.
wxDateTime WakeUpTarget(const wxDateTime& day, int hours, int minutes, int seconds);
