// The recycle bins emptied through the shell. Under Wine the bin is the Unix
// user's trash, so this runs only in the private one that
// recycle_bin_test.sh makes, and checks that it is that one before
// emptying anything.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "os/trash.h"

namespace {

std::filesystem::path FromUnix(const wchar_t* variable) {
  wchar_t value[4096] = L"";
  const DWORD length = GetEnvironmentVariableW(variable, value, 4096);
  if (length == 0 || length >= 4096 || value[0] != L'/')
    return {};
  // Wine's drive Z: is the Unix root.
  return std::filesystem::path(std::wstring(L"Z:") + value).make_preferred();
}

long long ItemsInBins() {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

}  // namespace

TEST(WindowsRecycleBin, EmptiedThroughTheShellAndAnEmptyBinIsNoFailure) {
  const std::filesystem::path sandbox = FromUnix(L"DKWT_BIN_SANDBOX");
  const std::filesystem::path data = FromUnix(L"XDG_DATA_HOME");
  ASSERT_FALSE(sandbox.empty()) << "run by recycle_bin_test.sh only";
  ASSERT_EQ(data, sandbox / "data") << "the bin must be the sandbox's";
  ASSERT_EQ(ItemsInBins(), 0) << "the sandbox's bin starts empty";

  const std::filesystem::path file = sandbox / "files" / "dkwt-bin-probe.txt";
  std::ofstream(file) << "deleted";
  std::wstring from = file.wstring();
  from.push_back(L'\0');  // a list of names, ended by an empty one
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ASSERT_EQ(SHFileOperationW(&operation), 0);
  ASSERT_FALSE(std::filesystem::exists(file));
  // Emptied only when what is in the bin is ours alone, where we put it.
  ASSERT_EQ(ItemsInBins(), 1);
  ASSERT_TRUE(std::filesystem::exists(data / "Trash" / "files" / "dkwt-bin-probe.txt"));

  for (int round = 0; round < 2; ++round) {
    int code = -1;
    EXPECT_EQ(os::trash::EmptySystemBins(code), os::trash::BinResult::Emptied) << round << ": " << code;
    EXPECT_EQ(ItemsInBins(), 0) << round;
  }
  EXPECT_FALSE(std::filesystem::exists(data / "Trash" / "files" / "dkwt-bin-probe.txt"));
}
