#pragma once
// A panel on a private session bus: it owns org.kde.StatusNotifierWatcher,
// records the items that register and reads them back over D-Bus as a panel
// would. The bus lives as long as this object; DBUS_SESSION_BUS_ADDRESS
// points to it meanwhile.
#include <memory>
#include <string>
#include <utility>
#include <vector>

class FakeTrayWatcher {
 public:
  struct Pixmap {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> argb;  // network byte order, as sent
  };

  enum class Mode { Watch, Refuse, None };
  // Refuse: the watcher answers every registration with an error.
  // None: the bus has no watcher (a desktop with no such panel).
  explicit FakeTrayWatcher(Mode mode = Mode::Watch);
  ~FakeTrayWatcher();
  FakeTrayWatcher(const FakeTrayWatcher&) = delete;
  FakeTrayWatcher& operator=(const FakeTrayWatcher&) = delete;

  const std::string& Problem() const { return m_problem; }

  // The bus name of the next item that registers, waiting a few seconds for it; "" if none came.
  std::string WaitForItem();
  // Whether the registered item's name is still on the bus, waiting a few seconds for it to go.
  bool ItemGone();

  std::string ToolTipTitle();
  std::vector<Pixmap> IconPixmaps();
  // The menu's items as (id, label); ids from the item's own menu.
  std::vector<std::pair<int, std::string>> Menu();
  // A click on a menu item, as a panel sends it. False if the item refused it.
  bool Click(int id);
  bool Activate();

  // Runs the main loop (and the toolkit's pending events) for a moment.
  static void Pump();

 private:
  struct State;
  std::unique_ptr<State> m_state;
  std::string m_problem;
};
