#include "app/task_type.h"

namespace {

constexpr std::array<const char*, kTaskTypeCount> kWords = {
    "shutdown", "restart", "standby", "hibernate", "logout", "alarm", "monitorOff", "cleanup", "lock", "file",
};

}  // namespace

wxString TaskTypeWord(int index) {
  if (index < 0 || index >= kTaskTypeCount)
    return wxString();
  return wxString::FromUTF8(kWords[static_cast<std::size_t>(index)]);
}

wxString TaskTypePrefix(int index) {
  wxString word = TaskTypeWord(index);
  return word.empty() ? word : word + "_";
}
