// Help > Manual opens a local document: the installed HTML manual, the one
// the build made, else the README; with none, it says how to read the man page.
#include "app/manual.h"
#include "tests/ui/frame_fixture.h"
#include "ui/cd_ids.h"

namespace {

namespace fs = std::filesystem;
using Manual = FrameTest;

TEST_F(Manual, FoundBesideTheProgramBestFirst) {
  const fs::path prefix = sandbox.Root() / "prefix";
  const fs::path bin = prefix / "bin";
  fs::create_directories(bin);
  EXPECT_EQ(FindManual(bin.string()), "");
  EXPECT_EQ(FindManual(""), "");
  struct Step {
    fs::path file;  // added before the lookup
    fs::path found;
  };
  const Step steps[] = {
      {prefix / "share/doc/duskwatch/README.md", prefix / "share/doc/duskwatch/README.md"},
      {bin / "share/duskwatch/DKWT.1.html", bin / "share/duskwatch/DKWT.1.html"},
      {prefix / "share/duskwatch/DKWT.1.html", prefix / "share/duskwatch/DKWT.1.html"},
  };
  for (const auto& step : steps) {
    Sandbox::WriteFile(step.file, "manual");
    EXPECT_EQ(FindManual(bin.string()), step.found.string()) << step.file;
  }
}

TEST_F(Manual, MenuOpensTheDocumentOrTellsWhereItIs) {
  const fs::path bin = sandbox.Root() / "usr/bin";
  fs::create_directories(bin);
  frame->m_programFolder = bin.string();
  Menu(ids::kMenuManual, false);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "The manual is not installed.\n\nRead it in a terminal with \"man DKWT\".");
  EXPECT_EQ(DryRun(), "");

  const fs::path html = sandbox.Root() / "usr/share/duskwatch/DKWT.1.html";
  Sandbox::WriteFile(html, "<html></html>");
  Menu(ids::kMenuManual, false);
  EXPECT_EQ(messages.messages.size(), 1u) << "no box when the manual opens";
  EXPECT_EQ(DryRun(), "open path=" + html.string() + "\n");
}

}  // namespace
