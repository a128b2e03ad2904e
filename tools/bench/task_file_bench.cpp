// How long loading and saving a task file takes, and how the profile reader
// scales with the size of the file it searches.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <wx/init.h>

#include "app/extras_pages.h"
#include "app/task.h"
#include "app/task_file.h"
#include "os/profile.h"

namespace {

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / "dkwt-bench";
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

void BM_ReadTaskFile(benchmark::State& state) {
  const auto path = Folder() / "cleanup.stask";
  WriteFile(path,
            "[REMINDER]\nSecondes=10\nMinutes=1\nText=Bye\n[CLEANUP]\nCache=Firefox,Chrome\nCookies=Firefox\n"
            "Free_Space=Temp,RecycleBin,Thumbnails\nHistory=Clipboard,RecentDocumentsList\n[ALARM]\nSecondes=20\n"
            "Volume=50\n[FORCE]\nforced=1\n");
  TaskFileKeys keys;
  keys.Fill();
  for (auto _ : state) {
    Task task;
    CleanupSelection selection;
    TaskFileState file;
    file.m_fileTaskIndex = 7;
    benchmark::DoNotOptimize(ReadTaskFile(wxString::FromUTF8(path.string()), keys, task, selection, file));
  }
}
BENCHMARK(BM_ReadTaskFile);

void BM_SaveTaskFile(benchmark::State& state) {
  Task task;
  task.m_shutdown = true;
  task.m_force = true;
  CleanupSelection selection;
  selection.SelectAll(true);
  ExtrasPages extras;
  const wxString folder = wxString::FromUTF8((Folder() / "tasks").string());
  for (auto _ : state)
    benchmark::DoNotOptimize(SaveTaskFile("Night", folder, task, selection, extras));
}
BENCHMARK(BM_SaveTaskFile);

// A key at the end of a file of n sections.
void BM_ProfileLookup(benchmark::State& state) {
  const auto path = Folder() / "big.ini";
  std::string content;
  for (long i = 0; i < state.range(0); ++i)
    content += "[S" + std::to_string(i) + "]\nkey=value\nother=text\n";
  WriteFile(path, content);
  const std::string last = "S" + std::to_string(state.range(0) - 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(os::profile::GetString(path.string(), last, "other", "$$default"));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProfileLookup)->Range(8, 8 << 10)->Complexity();

}  // namespace

int main(int argc, char** argv) {
  wxInitializer toolkit;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
  return 0;
}
