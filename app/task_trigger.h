#pragma once
// When the countdown of a task starts: at once, when a program ends, or once
// the computer has been idle for a while.
#include <cstdint>

#include <wx/string.h>

enum class TriggerType { Now, ProgramEnds, Idle };

struct TaskTrigger {
  static constexpr int kMinMinutes = 1;
  static constexpr int kMaxMinutes = 720;
  static constexpr int kDefaultMinutes = 15;

  TriggerType type = TriggerType::Now;
  wxString program;       // the program's name
  std::uint32_t pid = 0;  // the process chosen in the window; 0: the first of that name
  int minutes = kDefaultMinutes;
};

// The task file's words for the types ("ProgramEnds", "Idle"); empty for Now.
const char* TriggerTypeWord(TriggerType type);
// False for a word that names no start condition.
bool TriggerTypeFromWord(const wxString& word, TriggerType& type);
