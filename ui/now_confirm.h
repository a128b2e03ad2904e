#pragma once
// The question asked before a now-command of the main window or the tray.
class wxWindow;

// Codes 1..7 as RunNowAction takes them. With warnings on, asks OK/Cancel
// (monitor off never asks); true when the command may go ahead.
bool ConfirmNowAction(int code, bool showWarnings, wxWindow* parent = nullptr);
