#include "os/platform_texts.h"

#include <iterator>

namespace os::texts {

namespace {

constexpr Row kRows[] = {
#include "os/windows/platform_texts.inc"
};
static_assert(IsComplete(kRows), "one row per text, in id order");

}  // namespace

const char* Get(Text id) {
  const auto index = static_cast<std::size_t>(id);
  return index < std::size(kRows) ? kRows[index].text : "";
}

}  // namespace os::texts
