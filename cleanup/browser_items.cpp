// The browser rows of the clean-up catalogue, in processing order, and the
// browser discovery the clean-up starts with.
#include "cleanup/browser_items.h"

#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/browser_discovery.h"
#include "cleanup/browser_procedures.h"
#include "cleanup/item_context.h"

namespace cleanup {

namespace {

// The item context seen as the sink the browser procedures write to.
class ContextSink : public BrowserSink {
 public:
  explicit ContextSink(ItemContext& context) : m_context(context) {}
  using BrowserSink::LogError;

  Task& CurrentTask() override { return m_context.CurrentTask(); }
  bool IgnoreBrowserVersion() const override { return m_context.Options().m_ignoreBrowserVersion; }
  BrowserPlaces Places() const override { return BrowserPlaces::System(); }
  wxString Message() const override { return m_context.Row().message; }
  void LogError(int code, const wxString& message) override { m_context.LogError(code, message); }
  CollectResult CollectFolder(const std::string& folder, const CollectOptions& options) override {
    return m_context.CollectFolder(folder, options);
  }
  bool AddFile(const std::string& path) override { return m_context.AddFile(path); }
  int InUseCode() const override {
    const int code = m_context.Row().codes.notOpened;
    return code != 0 ? code : kChromeDatabaseOpenFailed;
  }

 private:
  ItemContext& m_context;
};

template <void (*Procedure)(BrowserSink&)>
void Run(ItemContext& context) {
  ContextSink sink(context);
  Procedure(sink);
}

// Codes of the Firefox cache walk: the cache home's lookup, then a folder
// that cannot be named, opened or walked.
constexpr ItemCodes kFirefoxCacheCodes{kAppDataFailed, kAppDataInvalid, kBrowserNoPath, kBrowserNoPath,
                                       kBrowserNoPath};
constexpr ItemCodes kFirefoxCodes{kAppDataFailed, kAppDataInvalid, kBrowserNoPath, kBrowserNoPath, kBrowserNoPath};
constexpr ItemCodes kOperaCodes{kBrowserNoPath, kBrowserNoPath, kBrowserNoPath, kBrowserNoPath, kBrowserNoPath};

}  // namespace

const std::vector<CatalogueRow>& BrowserCatalogue() {
  static const std::vector<CatalogueRow> rows = {
      {"Cache", "Firefox", Run<FirefoxCache>, "An Error occured while emptying FireFox's Cache.", kFirefoxCacheCodes,
       nullptr},
      {"Cookies", "Firefox", Run<FirefoxCookies>, "An Error occured while deleting FireFox's Cookies.", kFirefoxCodes,
       nullptr},
      {"Browser_History", "Firefox", Run<FirefoxHistory>, "An Error occured while clearing FireFox's History.",
       kFirefoxCodes, nullptr},
      {"Download", "Firefox", Run<FirefoxDownload>, "An Error occured while clearing FireFox's Download History.",
       kFirefoxCodes, nullptr},
      {"Session", "Firefox", Run<FirefoxSession>,
       "An Error occured while clearing FireFox's Session Restore Information.", kFirefoxCodes, nullptr},
      {"Auto_Complete", "Firefox", Run<FirefoxAutoComplete>,
       "An Error occured while clearing FireFox's Auto Complete Forms Information.", kFirefoxCodes, nullptr},
      {"Saved_Usernames_Passwords", "Firefox", Run<FirefoxPasswords>,
       "An Error occured while deleting FireFox's User Names and Passwords.", kFirefoxCodes, nullptr},
      {"Cache", "Opera", Run<OperaCache>, "An Error occured while emptying Opera's cache.", kOperaCodes, nullptr},
      {"Cookies", "Opera", Run<OperaCookies>, "An Error occured while deleting Opera's Cookies.", kOperaCodes, nullptr},
      {"Browser_History", "Opera", Run<OperaHistory>, "An Error occured while deleting Opera's History.", kOperaCodes,
       nullptr},
      {"Download", "Opera", Run<OperaDownload>, "An Error occured while deleting Opera's Download History.",
       kOperaCodes, nullptr},
      {"Session", "Opera", Run<OperaSession>, "An Error occured while deleting Opera's Session Restore.", kOperaCodes,
       nullptr},
      {"Typed_Urls", "Opera", Run<OperaTypedUrls>, "An Error occured while deleting Opera's TypedUrls.", kOperaCodes,
       nullptr},
      {"Saved_Usernames_Passwords", "Opera", Run<OperaPasswords>,
       "An Error occured while deleting Opera's User Names and Passwords.", kOperaCodes, nullptr},
      {"Cache", "Chrome", Run<ChromeCache>, "An Error occured while emptying Chrome's Cache.",
       {10578, 10579, 10582, 10580, 10581}, nullptr},
      {"Browser_History", "Chrome", Run<ChromeHistory>, "An Error occured while deleting Chrome's History.",
       {10585, 10586, 10587, 10580, 10581}, nullptr},
      {"Cookies", "Chrome", Run<ChromeCookies>, "An Error occured while deleting Chrome's Cookies.",
       {10585, 10586, 10587, 0, 0}, nullptr},
      {"Saved_Usernames_Passwords", "Chrome", Run<ChromePasswords>,
       "An Error occured while deleting Chrome's saved passwords and autofill data.", {10585, 10586, 10587, 0, 0},
       nullptr},
      // No Safari on this platform: the rows stay so task files keep their meaning.
      {"Cache", "Safari", nullptr, "An Error occured while deleting Safari's cache file.", {10585, 10586, 10587, 0, 0},
       kNoSuchBrowser},
      {"Browser_History", "Safari", nullptr, "An Error occured while deleting Safari's History.",
       {10585, 10586, 10587, 0, 0}, kNoSuchBrowser},
      {"Cookies", "Safari", nullptr, "An Error occured while deleting Safari's Cookies.", {10585, 10586, 10587, 0, 0},
       kNoSuchBrowser},
      {"Saved_Usernames_Passwords", "Safari", nullptr,
       "An Error occured while deleting Safari's saved passwords and autofill data.", {10585, 10586, 10587, 0, 0},
       kNoSuchBrowser},
      {"Safari_Specific", "Previews", nullptr, "An Error occured while deleting Safari's Webpage Previews.",
       {0, 0, 10587, 0, 0}, kNoSuchBrowser},
  };
  return rows;
}

void DiscoverBrowsers(Task& task) {
  TaskHost* host = task.Host();
  DiscoverBrowserFields(task, host != nullptr && host->IgnoreBrowserVersion());
}

}  // namespace cleanup
