#pragma once
// The "now" commands of the main window and the tray menu.
class Task;
class TaskHost;

// Codes: 1 shut down, 2 restart, 3 stand by, 4 hibernate, 5 log off,
// 6 monitor off, 7 lock. Always forced. True when the system accepted it.
bool RunNowAction(Task& task, TaskHost& host, int code);
