// Writes a browser-like cache tree: make_cache_tree <folder> [files=50000].
#include <cstdlib>

#include "tools/bench/cache_tree.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_cache_tree <folder> [files]\n");
    return 2;
  }
  MakeCacheTree(argv[1], argc > 2 ? std::atoi(argv[2]) : 50000);
  return 0;
}
