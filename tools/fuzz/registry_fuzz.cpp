// The registry-shaped options file: any bytes read without a crash, and a
// value written into any file reads back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "os/registry.h"
#include "tools/fuzz/fuzz_support.h"

using os::registry::Hive;
using os::registry::Result;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("XDG_CONFIG_HOME", fuzz::Scratch().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string key = input.ConsumeRandomLengthString(32);
  const std::string name = input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(32);
  const std::uint32_t number = input.ConsumeIntegral<std::uint32_t>();
  fuzz::WriteFile(os::registry::StorePath(), input.ConsumeRemainingBytesAsString());

  std::string text;
  std::uint32_t dword = 0;
  std::vector<std::string> names;
  os::registry::ReadString(Hive::CurrentUser, key, name, text);
  os::registry::ReadDword(Hive::CurrentUser, key, name, dword);
  os::registry::KeyExists(Hive::CurrentUser, key);
  if (os::registry::SubKeys(Hive::CurrentUser, key, names) == Result::Ok && !names.empty())
    os::registry::ValueNames(Hive::CurrentUser, key + "\\" + names.back(), names);
  os::registry::ValueNames(Hive::CurrentUser, key, names);

  if (os::registry::WriteString(Hive::CurrentUser, key, name, value) == Result::Ok) {
    FUZZ_CHECK(os::registry::ReadString(Hive::CurrentUser, key, name, text) == Result::Ok && text == value);
  }
  if (os::registry::WriteDword(Hive::CurrentUser, key, name, number) == Result::Ok) {
    FUZZ_CHECK(os::registry::ReadDword(Hive::CurrentUser, key, name, dword) == Result::Ok && dword == number);
  }
  if (os::registry::DeleteValue(Hive::CurrentUser, key, name) == Result::Ok)
    FUZZ_CHECK(os::registry::ReadString(Hive::CurrentUser, key, name, text) != Result::Ok);
  if (os::registry::DeleteTree(Hive::CurrentUser, key) == Result::Ok)
    FUZZ_CHECK(!os::registry::KeyExists(Hive::CurrentUser, key) || key.find_first_not_of('\\') == std::string::npos);
  return 0;
}
