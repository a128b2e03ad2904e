// Runs one launch in a fresh process for the shell tests: GIO reads the XDG
// folders and MIME data once per process, and the test program's toolkit has
// read them before the test's sandbox existed.
//   dkwt_shell_launcher launch|open <path>
#include <cstdio>
#include <string>

#include "os/shell.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s launch|open <path>\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  int code = 0;
  std::string text;
  bool ok = mode == "open" ? os::shell::OpenFolder(argv[2], code) : os::shell::LaunchDefault(argv[2], code, text);
  if (ok)
    std::printf("ok\n");
  else
    std::printf("fail %d %s\n", code, text.c_str());
  return ok ? 0 : 1;
}
