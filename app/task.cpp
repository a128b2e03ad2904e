#include "app/task.h"

#include <array>

#include "app/task_host.h"
#include "app/task_type.h"

namespace {

// The action flags by task-type index.
constexpr std::array<bool Task::*, kTaskTypeCount> kActionFlags = {
    &Task::m_shutdown, &Task::m_restart, &Task::m_standby, &Task::m_hibernate, &Task::m_logoff,
    &Task::m_alarm,    &Task::m_monitorOff, &Task::m_cleanup, &Task::m_lock, &Task::m_launch,
};

}  // namespace

void Task::ClearActions() {
  for (auto flag : kActionFlags)
    this->*flag = false;
}

int Task::ArmedIndex() const {
  for (std::size_t i = 0; i < kActionFlags.size(); ++i)
    if (this->*kActionFlags[i])
      return static_cast<int>(i);
  return -1;
}

void Task::ArmAction(int index) {
  ClearActions();
  if (index >= 0 && index < kTaskTypeCount)
    this->*kActionFlags[static_cast<std::size_t>(index)] = true;
}

void Task::LogError(int code, const wxString& message) const {
  if (m_host)
    m_host->LogError(code, message, false);
}
