// The browser rows of the clean-up catalogue, in processing order. Each row
// points at its item procedure; a null procedure does nothing.
#include "cleanup/browser_items.h"

namespace cleanup {

const std::vector<CatalogueRow>& BrowserCatalogue() {
  static const std::vector<CatalogueRow> rows = {
      {"Cache", "Firefox", nullptr, "An Error occured while emptying FireFox's Cache.", {}, nullptr},
      {"Cookies", "Firefox", nullptr, "An Error occured while deleting FireFox's Cookies.", {}, nullptr},
      {"Browser_History", "Firefox", nullptr, "An Error occured while clearing FireFox's History.", {}, nullptr},
      {"Download", "Firefox", nullptr, "An Error occured while clearing FireFox's Download History.", {}, nullptr},
      {"Session", "Firefox", nullptr, "An Error occured while clearing FireFox's Session Restore Information.", {},
       nullptr},
      {"Auto_Complete", "Firefox", nullptr,
       "An Error occured while clearing FireFox's Auto Complete Forms Information.", {}, nullptr},
      {"Saved_Usernames_Passwords", "Firefox", nullptr,
       "An Error occured while deleting FireFox's User Names and Passwords.", {}, nullptr},
      {"Cache", "Opera", nullptr, "An Error occured while emptying Opera's cache.", {}, nullptr},
      {"Cookies", "Opera", nullptr, "An Error occured while deleting Opera's Cookies.", {}, nullptr},
      {"Browser_History", "Opera", nullptr, "An Error occured while deleting Opera's History.", {}, nullptr},
      {"Download", "Opera", nullptr, "An Error occured while deleting Opera's Download History.", {}, nullptr},
      {"Session", "Opera", nullptr, "An Error occured while deleting Opera's Session Restore.", {}, nullptr},
      {"Typed_Urls", "Opera", nullptr, "An Error occured while deleting Opera's TypedUrls.", {}, nullptr},
      {"Saved_Usernames_Passwords", "Opera", nullptr,
       "An Error occured while deleting Opera's User Names and Passwords.", {}, nullptr},
      {"Cache", "Chrome", nullptr, "An Error occured while emptying Chrome's Cache.", {10578, 10579, 10582, 10580, 10581},
       nullptr},
      {"Browser_History", "Chrome", nullptr, "An Error occured while deleting Chrome's History.",
       {10585, 10586, 10587, 10580, 10581}, nullptr},
      {"Cookies", "Chrome", nullptr, "An Error occured while deleting Chrome's Cookies.", {10585, 10586, 10587, 0, 0},
       nullptr},
      {"Saved_Usernames_Passwords", "Chrome", nullptr,
       "An Error occured while deleting Chrome's saved passwords and autofill data.", {10585, 10586, 10587, 0, 0},
       nullptr},
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

void DiscoverBrowsers(Task&) {}

}  // namespace cleanup
