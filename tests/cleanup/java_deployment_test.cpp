// The cache folder named by Java's deployment.properties.
#include <gtest/gtest.h>

#include "cleanup/java_deployment.h"
#include "tests/support/sandbox.h"

namespace {

TEST(JavaDeployment, CacheFolderFromTheLastSettingLine) {
  struct Case {
    const char* text;
    const char* folder;
  };
  const Case cases[] = {
      {"deployment.user.cachedir=/home/a/jc\n", "/home/a/jc"},
      {"  deployment.user.cachedir=C\\:\\\\jc\r\n", "C:\\jc"},
      {"deployment.user.cachedir=/a\ndeployment.user.cachedir=/b\n", "/b"},
      // A commented-out setting, or the key inside another value, names nothing.
      {"#deployment.user.cachedir=/home/a/old\n", ""},
      {"! deployment.user.cachedir=/home/a/old\n", ""},
      {"other.key=x deployment.user.cachedir=/x\n", ""},
  };
  Sandbox sandbox;
  const std::string file = sandbox.Home().string() + "/deployment.properties";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Sandbox::WriteFile(file, c.text);
    EXPECT_EQ(cleanup::JavaCacheDirectory(file), c.folder);
  }
}

}  // namespace
