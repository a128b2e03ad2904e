#include "cleanup/preview_command.h"

#include <ostream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/task.h"
#include "app/task_file.h"
#include "app/task_host.h"
#include "cleanup/preview.h"
#include "os/startup.h"

namespace cleanup {

namespace {

constexpr char kUsage[] = "usage: DKWT -preview <task file> [--json]\n";

// No window and no error log: what a run would log is printed instead.
class CommandHost : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool) override { problems.push_back({code, message.utf8_string()}); }
  bool IsTaskFileRun() const override { return true; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return ignoreBrowserVersion; }
  void CloseMainWindow() override {}

  bool ignoreBrowserVersion = false;
  std::vector<PreviewProblem> problems;
};

void PrintProblems(std::ostream& err, const std::string& where, const std::vector<PreviewProblem>& problems) {
  for (const PreviewProblem& problem : problems)
    err << "DKWT -preview: " << where << problem.message << " (code " << problem.code << ")\n";
}

}  // namespace

int RunPreviewCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc < 2)
    return -1;
  // As the other options take their value: "-preview f", "-preview=f", "-preview:f".
  const std::string first = argv[1];
  const std::string option = "-preview";
  std::string path;
  if (first.rfind(option, 0) != 0)
    return -1;
  os::startup::UseStartingConsole();
  if (first.size() > option.size()) {
    if (first[option.size()] != '=' && first[option.size()] != ':')
      return -1;
    path = first.substr(option.size() + 1);
    if (path.empty()) {
      err << kUsage;
      return 2;
    }
  }
  bool json = false;
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--json" && !json) {
      json = true;
    } else if (path.empty() && !argument.empty()) {
      path = argument;
    } else {
      err << kUsage;
      return 2;
    }
  }
  if (path.empty()) {
    err << kUsage;
    return 2;
  }

  CommandHost host;
  Task task(&host);
  task.CheckSystem();
  Settings settings;
  LoadSettings(settings);
  host.ignoreBrowserVersion = settings.m_ignoreBrowserVersion;

  // The names -task runs, and those of the saved (repeated) tasks.
  const wxString file = wxString::FromUTF8(path);
  TaskFileName name;
  TaskFileKeys keys;
  keys.Fill();
  TaskFileState state;
  CleanupSelection selection;
  bool read = ParseTaskFileName(file, false, name) || ParseTaskFileName(file, true, name);
  if (read) {
    state.m_fileTaskIndex = name.typeIndex;
    read = ReadTaskFile(file, keys, task, selection, state);
  }
  if (!read) {
    PrintProblems(err, "", host.problems);
    err << "DKWT -preview: " << path << " is no task file that can be read\n";
    return 1;
  }
  PrintProblems(err, "", host.problems);
  host.problems.clear();

  const Preview preview = RunPreview(selection, task, settings, host);
  PrintProblems(err, "", host.problems);
  for (const PreviewItem& item : preview.items)
    PrintProblems(err, ItemName(item.id) + ": ", item.problems);
  out << (json ? PreviewJson(preview) : PreviewLines(preview));
  out.flush();
  return out ? 0 : 1;
}

}  // namespace cleanup
