#pragma once
// The program's icon in the desktop's notification area: the picture and
// tool-tip of the armed action, a menu of commands and a primary action.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/iconbndl.h>

namespace os::tray {

// Where the icon can live, best first.
enum class Kind {
  StatusNotifier,  // an item registered with the panel's StatusNotifierWatcher
  Toolkit,         // the toolkit's own tray icon (XEmbed here, the native one on Windows)
  None,            // no tray: the window stays iconized in the task bar
};

// What the session offers.
struct Desktop {
  bool statusNotifierWatcher = false;
  bool toolkitTray = false;
};

Kind Choose(const Desktop& desktop);

// Looks at the running session (the session bus and the toolkit's tray).
Desktop Probe();

struct MenuItem {
  int id = 0;  // the command id handed back when the item is chosen
  std::string label;
};

struct Handlers {
  // Asked each time a menu is about to be shown; empty means no menu.
  std::function<std::vector<MenuItem>()> menu;
  // A menu item was chosen.
  std::function<void(int id)> command;
  // The icon's primary action (a click on the item, a double-click on the toolkit's icon).
  std::function<void()> activate;
  // Something went wrong after Show() returned (the panel refused the item,
  // the bus went away): the error's code and text, for the error log.
  std::function<void(int code, const std::string& message)> failed;
};

class Icon {
 public:
  virtual ~Icon() = default;
  // Shows the icon or updates its picture and tool-tip. False when it cannot be shown.
  virtual bool Show(const wxIconBundle& pictures, const std::string& toolTip) = 0;
  virtual bool Remove() = 0;
  virtual bool Shown() const = 0;
};

// Null for Kind::None, or when the kind cannot be had in this session.
std::unique_ptr<Icon> Create(Kind kind, Handlers handlers);

}  // namespace os::tray
