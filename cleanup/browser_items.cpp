// The browser entries of the clean-up catalogue, in processing order, and the
// browser discovery the clean-up starts with.
#include "cleanup/browser_items.h"

#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/browser_discovery.h"
#include "cleanup/browser_procedures.h"
#include "cleanup/item_context.h"
#include "cleanup/preview.h"
#include "os/browsers.h"
#include "os/folders.h"

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
  RowCounter* Counter() override { return m_context.Previewer(); }
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

// A family's boxes are greyed out only when none of its roots exists.
Availability Present(bool present) { return present ? Availability{} : Availability{false, kNoSuchBrowser}; }
Availability FirefoxPresent() { return Present(!os::browsers::FirefoxRoots().empty()); }
Availability ChromePresent() { return Present(!os::browsers::ChromiumBrowsers().empty()); }
Availability OperaPresent() {
  bool legacy = os::folders::FolderExists(os::browsers::OperaLegacyUserFolder());
  for (const std::string& folder : os::browsers::OperaLegacyInstallFolders())
    legacy = legacy || os::folders::FolderExists(folder);
  return Present(legacy || !os::browsers::OperaBrowsers().empty());
}

}  // namespace

const std::vector<CatalogueEntry>& BrowserCatalogue() {
  static const std::vector<CatalogueEntry> entries = {
      {ItemId::CacheFirefox, Run<FirefoxCache>, FirefoxPresent},
      {ItemId::CookiesFirefox, Run<FirefoxCookies>, FirefoxPresent},
      {ItemId::BrowserHistoryFirefox, Run<FirefoxHistory>, FirefoxPresent},
      {ItemId::DownloadFirefox, Run<FirefoxDownload>, FirefoxPresent},
      {ItemId::SessionFirefox, Run<FirefoxSession>, FirefoxPresent},
      {ItemId::AutoCompleteFirefox, Run<FirefoxAutoComplete>, FirefoxPresent},
      {ItemId::PasswordsFirefox, Run<FirefoxPasswords>, FirefoxPresent},
      {ItemId::CacheOpera, Run<OperaCache>, OperaPresent},
      {ItemId::CookiesOpera, Run<OperaCookies>, OperaPresent},
      {ItemId::BrowserHistoryOpera, Run<OperaHistory>, OperaPresent},
      {ItemId::DownloadOpera, Run<OperaDownload>, OperaPresent},
      {ItemId::SessionOpera, Run<OperaSession>, OperaPresent},
      {ItemId::TypedUrlsOpera, Run<OperaTypedUrls>, OperaPresent},
      {ItemId::PasswordsOpera, Run<OperaPasswords>, OperaPresent},
      {ItemId::CacheChrome, Run<ChromeCache>, ChromePresent},
      {ItemId::BrowserHistoryChrome, Run<ChromeHistory>, ChromePresent},
      {ItemId::CookiesChrome, Run<ChromeCookies>, ChromePresent},
      {ItemId::PasswordsChrome, Run<ChromePasswords>, ChromePresent},
      // No Safari on this platform: the entries stay so task files keep their meaning.
      {ItemId::CacheSafari, nullptr},
      {ItemId::BrowserHistorySafari, nullptr},
      {ItemId::CookiesSafari, nullptr},
      {ItemId::PasswordsSafari, nullptr},
      {ItemId::SafariPreviews, nullptr},
  };
  return entries;
}

void DiscoverBrowsers(Task& task) {
  TaskHost* host = task.Host();
  DiscoverBrowserFields(task, host != nullptr && host->IgnoreBrowserVersion());
}

}  // namespace cleanup
