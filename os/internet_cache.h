#pragma once
// Internet Explorer's stores that the system keeps behind its own calls: the
// URL cache (content, cookie and history entries), the URL history object,
// and the cache's index files that the system holds open while it runs.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace os::internet_cache {

// Bits of an entry's type in the URL cache.
constexpr std::uint32_t kNormalEntry = 0x1;
constexpr std::uint32_t kCookieEntry = 0x100000;
constexpr std::uint32_t kHistoryEntry = 0x200000;

enum class Status {
  Done,
  NotHere,  // no such store on this system: nothing to do, nothing to report
  Failed,   // with the system's code
};

// The stores behind one interface, so that the clean-up can be tested where
// the system's own are empty or stubs.
class Store {
 public:
  virtual ~Store() = default;
  // Walks every entry of every container (content, cookies, history) and
  // deletes those whose type `remove` accepts. Failed when the walk broke
  // off; what was deleted until then stays deleted. An entry that cannot be
  // deleted (in use) is passed over.
  virtual Status Purge(const std::function<bool(std::uint32_t type)>& remove, int& code) = 0;
  // The URL history object's ClearHistory.
  virtual Status ClearHistory(int& code) = 0;
};

// The system's stores.
Store& System();
// The stores the clean-up uses: the system's unless a test put others in.
Store& Current();

// Whether the system has these stores.
bool Present();

// Internet Explorer's executables (for closing it); none where there is none.
const std::vector<const char*>& ProcessNames();

// An index file the system holds open, so it cannot be deleted now: its
// contents are overwritten with zeros and the file is deleted when the
// system next starts. A link or a folder at the path is never touched.
// NotHere where open files do not block deletion; Done when nothing is left
// to do (the file is gone).
Status RetireLockedIndex(const std::string& path, int& code);

namespace testing {
// Null: the system's stores again.
void ReplaceStore(Store* store);
}  // namespace testing

}  // namespace os::internet_cache
