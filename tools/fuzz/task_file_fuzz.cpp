// Task files come from disk and from the scheduler's command line: any bytes
// must give a clean yes or no, never a crash.
#include <cstdint>
#include <fstream>
#include <string>

#include <wx/init.h>

#include "app/task.h"
#include "app/task_file.h"
#include "os/profile.h"
#include "tools/fuzz/fuzz_support.h"

namespace {

std::string TempFile() { return fuzz::Scratch() + "/task.stask"; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer toolkit;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(TempFile(), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  TaskFileKeys keys;
  keys.Fill();
  // The task type decides which sections are read; the last byte picks it.
  Task task;
  CleanupSelection selection;
  TaskFileState state;
  state.m_fileTaskIndex = size > 0 ? data[size - 1] % 10 : 0;
  if (ReadTaskFile(wxString::FromUTF8(TempFile()), keys, task, selection, state)) {
    // An accepted start condition is always one the window could have saved.
    const TaskTrigger& trigger = task.m_trigger;
    if (trigger.type == TriggerType::ProgramEnds && trigger.program.empty())
      __builtin_trap();
    if (trigger.type == TriggerType::Idle &&
        (trigger.minutes < TaskTrigger::kMinMinutes || trigger.minutes > TaskTrigger::kMaxMinutes))
      __builtin_trap();
  }
  // The same bytes as a write: the profile writer must keep the file readable.
  os::profile::WriteString(TempFile(), "FORCE", "forced", "1");
  os::profile::GetString(TempFile(), "FORCE", "forced", "$$default");

  TaskFileName name;
  const wxString path = wxString::FromUTF8(bytes.data(), bytes.size());
  ParseTaskFileName(path, true, name);
  ParseTaskFileName(path, false, name);
  return 0;
}
