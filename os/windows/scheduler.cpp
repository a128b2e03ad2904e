// Repeated tasks as Task Scheduler 2.0 entries in the folder \DKWT-Tasks: a
// daily or weekly trigger that counts the interval itself from the start
// date, and an action that runs the program with "-i <task file>". Every
// call is reported to the observer of scheduler_calls.h.
#include "os/scheduler.h"

#include <windows.h>

#include <oleauto.h>
#include <taskschd.h>

#include <cstdio>

#include "os/dry_run.h"
#include "os/windows/scheduler_calls.h"
#include "os/windows/wide.h"

// MinGW's taskschd.h lacks the weekly trigger.
MIDL_INTERFACE("5038fc98-82ff-436d-8728-a512a57c9dc1")
IWeeklyTrigger : public ITrigger {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WeeksInterval(short* weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WeeksInterval(short weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};
__CRT_UUID_DECL(IWeeklyTrigger, 0x5038fc98, 0x82ff, 0x436d, 0x87, 0x28, 0xa5, 0x12, 0xa5, 0x7c, 0x9d, 0xc1)

namespace os::scheduler {

namespace {

const CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
const wchar_t kFolderPath[] = L"\\DKWT-Tasks";

template <typename Interface>
class Com {
 public:
  Com() = default;
  ~Com() { Reset(); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  void Reset() {
    if (m_pointer)
      m_pointer->Release();
    m_pointer = nullptr;
  }
  Interface** Out() {
    Reset();
    return &m_pointer;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  Interface* operator->() const { return m_pointer; }
  Interface* Get() const { return m_pointer; }

 private:
  Interface* m_pointer = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(m_text); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return m_text; }
  BSTR* Out() {
    SysFreeString(m_text);
    m_text = nullptr;
    return &m_text;
  }
  std::wstring Text() const { return m_text ? std::wstring(m_text, SysStringLen(m_text)) : std::wstring(); }

 private:
  BSTR m_text = nullptr;
};

// Reports the call and says whether it succeeded.
bool Call(const std::string& call, HRESULT result) {
  win::scheduler_calls::Report(call, static_cast<long>(result));
  return SUCCEEDED(result);
}

bool IsMissing(HRESULT result) {
  return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

VARIANT Empty() {
  VARIANT empty;
  VariantInit(&empty);
  return empty;
}

bool Safe(const std::string& text) { return text.find_first_of(std::string("\r\n\"\0", 4)) == std::string::npos; }

// The service, connected for the current user on this computer.
bool Connect(Com<ITaskService>& service) {
  if (!Call("CoCreateInstance TaskScheduler", CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER,
                                                              __uuidof(ITaskService), service.OutVoid())))
    return false;
  return Call("Connect", service->Connect(Empty(), Empty(), Empty(), Empty()));
}

// Our folder; `missing` tells a folder that is not there from a failure.
bool OpenFolder(ITaskService& service, Com<ITaskFolder>& folder, bool& missing) {
  const HRESULT result = service.GetFolder(Bstr(kFolderPath), folder.Out());
  Call("GetFolder \\DKWT-Tasks", result);
  missing = IsMissing(result);
  return SUCCEEDED(result);
}

bool MakeFolder(ITaskService& service, Com<ITaskFolder>& folder) {
  Com<ITaskFolder> root;
  if (!Call("GetFolder \\", service.GetFolder(Bstr(L"\\"), root.Out())))
    return false;
  // Creating fails when it exists already: then the existing one is taken.
  if (Call("CreateFolder \\DKWT-Tasks", root->CreateFolder(Bstr(kFolderPath), Empty(), folder.Out())))
    return true;
  bool missing = false;
  return OpenFolder(service, folder, missing);
}

std::wstring StartBoundary(const Calendar& calendar) {
  int year = calendar.year, month = calendar.month, day = calendar.day;
  if (year <= 0 || month < 1 || month > 12 || day < 1 || day > 31) {
    SYSTEMTIME today{};
    GetLocalTime(&today);
    year = today.wYear;
    month = today.wMonth;
    day = today.wDay;
  }
  wchar_t text[32];
  std::swprintf(text, 32, L"%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, calendar.hour, calendar.minute,
                calendar.second);
  return text;
}

short Clamp(int value, int high) { return static_cast<short>(value < 1 ? 1 : value > high ? high : value); }

bool SetTrigger(ITaskDefinition& definition, const Calendar& calendar) {
  Com<ITriggerCollection> triggers;
  Com<ITrigger> trigger;
  if (!Call("get_Triggers", definition.get_Triggers(triggers.Out())))
    return false;
  const TASK_TRIGGER_TYPE2 type = calendar.weekly ? TASK_TRIGGER_WEEKLY : TASK_TRIGGER_DAILY;
  if (!Call(calendar.weekly ? "Triggers.Create weekly" : "Triggers.Create daily", triggers->Create(type, trigger.Out())))
    return false;
  const std::wstring start = StartBoundary(calendar);
  // The id only names the trigger: a service that cannot keep it (Wine's)
  // still runs the entry, so its refusal is reported but not fatal.
  Call("put_Id Trigger1", trigger->put_Id(Bstr(L"Trigger1")));
  if (!Call("put_StartBoundary " + win::Narrow(start), trigger->put_StartBoundary(Bstr(start))))
    return false;
  if (!calendar.weekly) {
    Com<IDailyTrigger> daily;
    const short days = Clamp(calendar.every, 365);
    return Call("QueryInterface IDailyTrigger", trigger->QueryInterface(__uuidof(IDailyTrigger), daily.OutVoid())) &&
           Call("put_DaysInterval " + std::to_string(days), daily->put_DaysInterval(days));
  }
  Com<IWeeklyTrigger> weekly;
  const short weeks = Clamp(calendar.every, 52);
  const short mask = static_cast<short>(calendar.weekDays & 0x7f);
  return Call("QueryInterface IWeeklyTrigger", trigger->QueryInterface(__uuidof(IWeeklyTrigger), weekly.OutVoid())) &&
         Call("put_WeeksInterval " + std::to_string(weeks), weekly->put_WeeksInterval(weeks)) &&
         Call("put_DaysOfWeek " + std::to_string(mask), weekly->put_DaysOfWeek(mask));
}

std::wstring Arguments(const std::string& taskFile) { return L"-i \"" + win::Wide(taskFile) + L"\""; }

bool SetAction(ITaskDefinition& definition, const Job& job) {
  Com<IActionCollection> actions;
  Com<IAction> action;
  Com<IExecAction> exec;
  const std::wstring arguments = Arguments(job.taskFile);
  return Call("get_Actions", definition.get_Actions(actions.Out())) &&
         Call("Actions.Create exec", actions->Create(TASK_ACTION_EXEC, action.Out())) &&
         Call("QueryInterface IExecAction", action->QueryInterface(__uuidof(IExecAction), exec.OutVoid())) &&
         Call("put_Path " + job.executable, exec->put_Path(Bstr(win::Wide(job.executable)))) &&
         Call("put_Arguments " + win::Narrow(arguments), exec->put_Arguments(Bstr(arguments)));
}

// Runs on batteries too, and is not stopped when the machine stops idling.
bool SetSettings(ITaskDefinition& definition) {
  Com<ITaskSettings> settings;
  Com<IIdleSettings> idle;
  return Call("get_Settings", definition.get_Settings(settings.Out())) &&
         Call("put_DisallowStartIfOnBatteries 0", settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE)) &&
         Call("put_StopIfGoingOnBatteries 0", settings->put_StopIfGoingOnBatteries(VARIANT_FALSE)) &&
         Call("get_IdleSettings", settings->get_IdleSettings(idle.Out())) &&
         Call("put_StopOnIdleEnd 0", idle->put_StopOnIdleEnd(VARIANT_FALSE));
}

bool Define(ITaskService& service, const Job& job, Com<ITaskDefinition>& definition) {
  Com<IRegistrationInfo> info;
  return Call("NewTask", service.NewTask(0, definition.Out())) &&
         Call("get_RegistrationInfo", definition->get_RegistrationInfo(info.Out())) &&
         Call("put_Author Duskwatch", info->put_Author(Bstr(L"Duskwatch"))) && SetTrigger(*definition.Get(), job.calendar) &&
         SetAction(*definition.Get(), job) && SetSettings(*definition.Get());
}

// The task file of an entry: the quoted path after "-i".
std::string TaskFileOf(IRegisteredTask& task) {
  Com<ITaskDefinition> definition;
  Com<IActionCollection> actions;
  Com<IAction> action;
  Com<IExecAction> exec;
  Bstr arguments;
  if (!Call("get_Definition", task.get_Definition(definition.Out())) ||
      !Call("get_Actions", definition->get_Actions(actions.Out())) ||
      !Call("Actions.get_Item 1", actions->get_Item(1, action.Out())) ||
      !Call("QueryInterface IExecAction", action->QueryInterface(__uuidof(IExecAction), exec.OutVoid())) ||
      !Call("get_Arguments", exec->get_Arguments(arguments.Out())))
    return "";
  const std::wstring text = arguments.Text();
  const std::wstring prefix = L"-i \"";
  if (text.rfind(prefix, 0) != 0 || text.size() < prefix.size() + 1 || text.back() != L'"')
    return "";
  return win::Narrow(text.substr(prefix.size(), text.size() - prefix.size() - 1));
}

// Whether an entry of that name exists (for the dry-run record only).
bool Exists(const std::string& name) {
  win::ComScope com;
  Com<ITaskService> service;
  Com<ITaskFolder> folder;
  Com<IRegisteredTask> task;
  bool missing = false;
  return com.Ok() && Connect(service) && OpenFolder(*service.Get(), folder, missing) &&
         Call("GetTask", folder->GetTask(Bstr(win::Wide(name)), task.Out()));
}

}  // namespace

std::string UnitFolder() { return win::Narrow(kFolderPath); }

std::string UnitBaseName(const std::string& name) { return name; }

int Register(const Job& job) {
  if (job.name.empty() || !Safe(job.name) || job.name.find_first_of("\\/") != std::string::npos ||
      !Safe(job.taskFile) || !Safe(job.executable))
    return kUnsafeText;
  if (dry_run::Active()) {
    Unregister(job.name);
    dry_run::Record("schedule", {{"name", job.name}, {"file", job.taskFile}});
    return kDone;
  }
  win::ComScope com;
  if (!com.Ok())
    return kNoScheduler;
  Com<ITaskService> service;
  if (!Connect(service))
    return kNoScheduler;
  Com<ITaskFolder> folder;
  if (!MakeFolder(*service.Get(), folder))
    return kFolder;
  const Bstr name(win::Wide(job.name));
  Call("DeleteTask", folder->DeleteTask(name, 0));  // an earlier entry of that name; may be absent
  Com<ITaskDefinition> definition;
  if (!Define(*service.Get(), job, definition))
    return kDefine;
  Com<IRegisteredTask> registered;
  VARIANT user = Empty(), password = Empty(), descriptor = Empty();
  if (!Call("RegisterTaskDefinition", folder->RegisterTaskDefinition(name, definition.Get(), TASK_CREATE_OR_UPDATE, user,
                                                                    password, TASK_LOGON_INTERACTIVE_TOKEN, descriptor,
                                                                    registered.Out())))
    return kRegisterEntry;
  return kDone;
}

int Unregister(const std::string& name) {
  if (name.empty() || !Safe(name))
    return kUnsafeText;
  if (dry_run::Active()) {
    if (Exists(name))
      dry_run::Record("unschedule", {{"name", name}});
    return kDone;
  }
  win::ComScope com;
  if (!com.Ok())
    return kNoScheduler;
  Com<ITaskService> service;
  if (!Connect(service))
    return kNoScheduler;
  Com<ITaskFolder> folder;
  bool missing = false;
  if (!OpenFolder(*service.Get(), folder, missing))
    return missing ? kDone : kFolder;
  const HRESULT result = folder->DeleteTask(Bstr(win::Wide(name)), 0);
  Call("DeleteTask", result);
  return (SUCCEEDED(result) || IsMissing(result)) ? kDone : kRemoveEntry;
}

bool List(std::vector<Entry>& entries, int& errorCode) {
  entries.clear();
  errorCode = kDone;
  win::ComScope com;
  Com<ITaskService> service;
  if (!com.Ok() || !Connect(service)) {
    errorCode = kNoScheduler;
    return false;
  }
  Com<ITaskFolder> folder;
  bool missing = false;
  if (!OpenFolder(*service.Get(), folder, missing)) {
    if (missing)
      return true;  // nothing registered yet
    errorCode = kFolder;
    return false;
  }
  Com<IRegisteredTaskCollection> tasks;
  LONG count = 0;
  if (!Call("GetTasks", folder->GetTasks(TASK_ENUM_HIDDEN, tasks.Out())) ||
      !Call("get_Count", tasks->get_Count(&count))) {
    errorCode = kFolder;
    return false;
  }
  for (LONG index = 1; index <= count; ++index) {
    VARIANT item;
    VariantInit(&item);
    item.vt = VT_I4;
    item.lVal = index;
    Com<IRegisteredTask> task;
    Bstr name;
    if (!Call("get_Item", tasks->get_Item(item, task.Out())) || !Call("get_Name", task->get_Name(name.Out())))
      continue;
    entries.push_back({win::Narrow(name.Text()), TaskFileOf(*task.Get()), Backend::TaskScheduler});
  }
  return true;
}

}  // namespace os::scheduler
