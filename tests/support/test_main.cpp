// Test entry point: starts the toolkit (GTK under the test command's Xvfb)
// and makes every toolkit assertion fail the running test.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "tests/support/quiet_toolkit.h"

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " at "
                << file.utf8_string() << ":" << line << ": " << msg.utf8_string();
}

class TestApp : public wxApp {
 public:
  TestApp() { QuietToolkit(); }
  bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (done while building) needs no display.
  if (testing::GTEST_FLAG(list_tests))
    return RUN_ALL_TESTS();
  wxApp::SetInstance(new TestApp());
  if (!wxEntryStart(argc, argv)) {
    fprintf(stderr, "cannot start the toolkit (is DISPLAY set?)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  wxSetAssertHandler(FailOnAssert);
  wxLog::EnableLogging(false);
  int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
