// Internet Explorer does not exist here: its stores are absent, never
// pretended empty.
#include "os/internet_cache.h"

#include <atomic>

namespace os::internet_cache {

namespace {

class NoStore final : public Store {
 public:
  Status Purge(const std::function<bool(std::uint32_t)>&, int& code) override {
    code = 0;
    return Status::NotHere;
  }
  Status ClearHistory(int& code) override {
    code = 0;
    return Status::NotHere;
  }
};

std::atomic<Store*> g_replacement{nullptr};

}  // namespace

Store& System() {
  static NoStore store;
  return store;
}

Store& Current() {
  Store* replacement = g_replacement;
  return replacement ? *replacement : System();
}

bool Present() { return false; }

const std::vector<const char*>& ProcessNames() {
  static const std::vector<const char*> none;
  return none;
}

// An open file does not keep it from being deleted here.
Status RetireLockedIndex(const std::string&, int& code) {
  code = 0;
  return Status::NotHere;
}

namespace testing {
void ReplaceStore(Store* store) { g_replacement = store; }
}  // namespace testing

}  // namespace os::internet_cache
