#pragma once
// Texts that name the system the program runs on: its start-up, its file
// manager, its scheduler. Each platform holds them in a table of its own
// (os/<platform>/platform_texts.inc) with one row per id below; menu labels
// keep the same mnemonic letter on every platform.

#include <cstddef>

namespace os::texts {

enum class Text {
  StartupMenuItem,         // options menu: start with the system
  StartupMenuHelp,
  StartupAdded,            // messages of that toggle
  StartupAddFailed,
  StartupRemoveFailed,
  ContextMenuItem,         // options menu: the right-click commands
  ContextMenuHelp,
  CommandsAdded,           // messages of that toggle (modern and earlier shells)
  CommandsAddedEarlier,
  CommandsAddFailedAdmin,
  CommandsAddFailed,
  CommandsRemoveFailedAdmin,
  CommandsRemoveFailed,
  ShutdownNow,             // tool-tips of the now-buttons and tray menu texts
  RestartNow,
  LockNow,
  ConfirmShutdown,         // questions before a now-command
  ConfirmRestart,
  ConfirmLock,
  StartButtonTip,          // the Start button: repeated tasks go to the scheduler
  InvalidValueHint,        // second line of an immediate command's invalid-value message
  Count
};

struct Row {
  Text id;
  const char* text;
};

// A table has one row per id, in id order.
template <std::size_t N>
constexpr bool IsComplete(const Row (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (static_cast<std::size_t>(rows[i].id) != i || !rows[i].text)
      return false;
  return N == static_cast<std::size_t>(Text::Count);
}

// This platform's text for `id`; never null.
const char* Get(Text id);

}  // namespace os::texts
