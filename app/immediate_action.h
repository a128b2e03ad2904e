#pragma once
// The power commands of the command line, carried out at once.

// Results of RunImmediateAction.
constexpr int kImmediateDone = 0;
constexpr int kImmediateNoToken = -1;
constexpr int kImmediateNoPrivilege = -2;
constexpr int kImmediateCallFailed = -10;
constexpr int kImmediateDeclined = -1000;

// action: 1 shut down, 2 restart, 3 stand by, 4 hibernate, 5 log off.
// Unless quiet, asks first. Always forced.
int RunImmediateAction(int action, bool quiet);
