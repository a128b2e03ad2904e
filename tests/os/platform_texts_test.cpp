// Both systems' tables of texts that name the system: complete, and the
// menu labels keep the same mnemonic letter on each.
#include <gtest/gtest.h>

#include <string>

#include "os/platform_texts.h"

namespace {

using os::texts::Row;
using os::texts::Text;

constexpr Row kLinux[] = {
#include "os/linux/platform_texts.inc"
};
constexpr Row kWindows[] = {
#include "os/windows/platform_texts.inc"
};
static_assert(os::texts::IsComplete(kLinux) && os::texts::IsComplete(kWindows));

char Mnemonic(const std::string& label) {
  const auto amp = label.find('&');
  return amp == std::string::npos || amp + 1 >= label.size() ? '\0' : label[amp + 1];
}

TEST(PlatformTextTables, SameMnemonicsAndNoEmptyText) {
  for (std::size_t i = 0; i < std::size(kLinux); ++i) {
    const std::string here = kLinux[i].text;
    const std::string there = kWindows[i].text;
    EXPECT_FALSE(here.empty()) << i;
    EXPECT_EQ(Mnemonic(here), Mnemonic(there)) << here << " / " << there;
    EXPECT_EQ(here.find("Windows"), std::string::npos) << here;
  }
  EXPECT_EQ(Mnemonic(kLinux[static_cast<int>(Text::StartupMenuItem)].text), 'S');
  EXPECT_STREQ(os::texts::Get(Text::ShutdownNow), "Shut down the computer now!");
}

}  // namespace
