#include "app/task_trigger.h"

const char* TriggerTypeWord(TriggerType type) {
  switch (type) {
    case TriggerType::ProgramEnds: return "ProgramEnds";
    case TriggerType::Idle: return "Idle";
    case TriggerType::Now: break;
  }
  return "";
}

bool TriggerTypeFromWord(const wxString& word, TriggerType& type) {
  for (TriggerType candidate : {TriggerType::ProgramEnds, TriggerType::Idle}) {
    if (word.IsSameAs(TriggerTypeWord(candidate), false)) {
      type = candidate;
      return true;
    }
  }
  return false;
}
