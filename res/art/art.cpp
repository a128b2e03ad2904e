#include "res/art/art.h"

#include <wx/image.h>
#include <wx/module.h>
#include <wx/mstream.h>

#include <array>
#include <map>
#include <string>

#include "res/art/art_index.h"

namespace {

// Decoded pictures by name. Emptied by the module below while the toolkit still runs,
// because bitmaps must not outlive it.
std::map<std::string, wxBitmap>& Cache() {
  static std::map<std::string, wxBitmap> cache;
  return cache;
}

class ArtModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override { Cache().clear(); }

 private:
  wxDECLARE_DYNAMIC_CLASS(ArtModule);
};
wxIMPLEMENT_DYNAMIC_CLASS(ArtModule, wxModule);

wxBitmap Decode(const EmbeddedArt& art) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
    wxImage::AddHandler(new wxPNGHandler);
  wxMemoryInputStream stream(art.data(), art.size());
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG))
    return wxBitmap();
  return wxBitmap(image);
}

// The picture rendered under this name, or an invalid bitmap if there is none.
wxBitmap Picture(const std::string& name) {
  auto& cache = Cache();
  if (auto found = cache.find(name); found != cache.end())
    return found->second;
  wxBitmap bitmap;
  for (const EmbeddedArt& art : EmbeddedArtIndex()) {
    if (name == art.name) {
      bitmap = Decode(art);
      break;
    }
  }
  cache.emplace(name, bitmap);
  return bitmap;
}

// A square picture drawn at a few sizes: the drawn one if it exists, else the next larger
// (or the largest) scaled, since scaling down keeps more detail than scaling up.
template <std::size_t N>
wxBitmap Sized(const std::string& base, const std::array<int, N>& drawn, int size) {
  if (size <= 0)
    size = drawn.front();
  int source = drawn.back();
  for (int candidate : drawn) {
    if (candidate >= size) {
      source = candidate;
      break;
    }
  }
  const std::string sourceName = base + "_" + std::to_string(source);
  if (source == size)
    return Picture(sourceName);
  const std::string scaledName = base + "_" + std::to_string(size);
  auto& cache = Cache();
  if (auto found = cache.find(scaledName); found != cache.end())
    return found->second;
  wxBitmap bitmap = Picture(sourceName);
  if (bitmap.IsOk())
    bitmap = wxBitmap(bitmap.ConvertToImage().Scale(size, size, wxIMAGE_QUALITY_HIGH));
  cache.emplace(scaledName, bitmap);
  return bitmap;
}

wxIcon ToIcon(const wxBitmap& bitmap) {
  wxIcon icon;
  if (bitmap.IsOk())
    icon.CopyFromBitmap(bitmap);
  return icon;
}

constexpr std::array<const char*, 11> kTrayNames = {
    "idle", "shutdown", "restart", "standby", "hibernate", "logoff",
    "alarm", "monitor", "cleanup", "lock", "launch",
};
constexpr std::array<int, 4> kTraySizes = {16, 22, 32, 48};
constexpr std::array<int, 6> kMainIconSizes = {16, 24, 32, 48, 64, 128};
constexpr std::array<int, 2> kTreeSizes = {16, 32};

}  // namespace

wxIcon TrayIcon(int actionCode, int size) {
  if (actionCode < 0 || actionCode >= static_cast<int>(kTrayNames.size()))
    actionCode = 0;
  return ToIcon(Sized(std::string("tray_") + kTrayNames[actionCode], kTraySizes, size));
}

wxIconBundle MainIconBundle() {
  wxIconBundle bundle;
  for (int size : kMainIconSizes) {
    wxIcon icon = ToIcon(Picture("main_icon_" + std::to_string(size)));
    if (icon.IsOk())
      bundle.AddIcon(icon);
  }
  return bundle;
}

wxBitmap LogoBitmap() { return Picture("logo"); }

wxBitmap SavedTasksToolBitmap() { return Picture("tool_saved_tasks"); }

wxBitmap SavedTasksDialogToolBitmap(SavedTasksDialogTool tool) {
  switch (tool) {
    case SavedTasksDialogTool::Toggle:
      return Picture("tool_task_toggle");
    case SavedTasksDialogTool::Delete:
      return Picture("tool_task_delete");
    case SavedTasksDialogTool::OpenFolder:
      break;
  }
  return Picture("tool_tasks_folder");
}

wxBitmap ExtrasPageBitmap(ExtrasPage page, bool on) {
  const char* name = "alarm";
  switch (page) {
    case ExtrasPage::Alarm: name = "alarm"; break;
    case ExtrasPage::Monitor: name = "monitor"; break;
    case ExtrasPage::Wakeup: name = "wakeup"; break;
    case ExtrasPage::Launch: name = "launch"; break;
  }
  return Picture(std::string("page_") + name + (on ? "_on" : "_off"));
}

wxBitmap TreeIconBitmap(TreeIcon icon, int size) {
  const char* name = "browsers";
  switch (icon) {
    case TreeIcon::Browsers: name = "browsers"; break;
    case TreeIcon::InternetExplorer: name = "internet_explorer"; break;
    case TreeIcon::Firefox: name = "firefox"; break;
    case TreeIcon::Opera: name = "opera"; break;
    case TreeIcon::Chrome: name = "chrome"; break;
    case TreeIcon::Safari: name = "safari"; break;
    case TreeIcon::System: name = "system"; break;
    case TreeIcon::Folder: name = "folder"; break;
    case TreeIcon::Trash: name = "trash"; break;
    case TreeIcon::History: name = "history"; break;
  }
  return Sized(std::string("tree_") + name, kTreeSizes, size);
}

wxBitmap ExtrasBitmap(const char* resourceName) { return resourceName ? Picture(resourceName) : wxBitmap(); }
