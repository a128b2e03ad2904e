// The browser entries of the clean-up catalogue, in processing order, and the
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

}  // namespace

const std::vector<CatalogueEntry>& BrowserCatalogue() {
  static const std::vector<CatalogueEntry> entries = {
      {ItemId::CacheFirefox, Run<FirefoxCache>},
      {ItemId::CookiesFirefox, Run<FirefoxCookies>},
      {ItemId::BrowserHistoryFirefox, Run<FirefoxHistory>},
      {ItemId::DownloadFirefox, Run<FirefoxDownload>},
      {ItemId::SessionFirefox, Run<FirefoxSession>},
      {ItemId::AutoCompleteFirefox, Run<FirefoxAutoComplete>},
      {ItemId::PasswordsFirefox, Run<FirefoxPasswords>},
      {ItemId::CacheOpera, Run<OperaCache>},
      {ItemId::CookiesOpera, Run<OperaCookies>},
      {ItemId::BrowserHistoryOpera, Run<OperaHistory>},
      {ItemId::DownloadOpera, Run<OperaDownload>},
      {ItemId::SessionOpera, Run<OperaSession>},
      {ItemId::TypedUrlsOpera, Run<OperaTypedUrls>},
      {ItemId::PasswordsOpera, Run<OperaPasswords>},
      {ItemId::CacheChrome, Run<ChromeCache>},
      {ItemId::BrowserHistoryChrome, Run<ChromeHistory>},
      {ItemId::CookiesChrome, Run<ChromeCookies>},
      {ItemId::PasswordsChrome, Run<ChromePasswords>},
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
