#pragma once
// Duskwatch's own pictures, drawn as SVG in res/art and built into the binary as PNG.
// Call from the GUI thread only; decoded pictures are kept for the rest of the run.
#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/iconbndl.h>

// Tray and status icon of an action code: 0 idle, 1..10 the task type index + 1
// (shut down, restart, stand by, hibernate, log off, alarm, monitor off, clean-up, lock, launch).
// Out of range gives the idle icon. Drawn at 16, 22, 32 and 48 px; other sizes are scaled.
wxIcon TrayIcon(int actionCode, int size = 22);

// The main window's icon at 16, 24, 32, 48, 64 and 128 px.
wxIconBundle MainIconBundle();

// The splash picture, 400 x 250.
wxBitmap LogoBitmap();

// The saved-tasks tool of the main window's toolbar, 24 x 24.
wxBitmap SavedTasksToolBitmap();

// The tools of the saved-tasks dialog, 24 x 24.
enum class SavedTasksDialogTool { Toggle, Delete, OpenFolder };
wxBitmap SavedTasksDialogToolBitmap(SavedTasksDialogTool tool);

enum class ExtrasPage { Alarm, Monitor, Wakeup, Launch };

// The picture of an extras page in its on or off state, 48 x 48.
wxBitmap ExtrasPageBitmap(ExtrasPage page, bool on);

enum class TreeIcon {
  Browsers,          // a browser window: the group of browsers
  InternetExplorer,  // blue globe
  Firefox,           // orange globe
  Opera,             // globe in a red ring
  Chrome,            // three-colour disc
  Safari,            // compass
  System,            // gear: the system items
  Folder,
  Trash,             // waste bin: free space
  History,           // clock with a turning arrow
};

// An icon of the clean-up tree. Drawn at 16 and 32 px; other sizes are scaled.
wxBitmap TreeIconBitmap(TreeIcon icon, int size = 16);

// The extras window's pictures by their resource name: the clean-up tree's
// "bmp_icon…" icons (32 x 32, with "…Selected" states), the panels
// "bmp_Panel…" and the page switch "bmp_ON" / "bmp_OFF". Invalid if unknown.
wxBitmap ExtrasBitmap(const char* resourceName);
