#pragma once
// Control ids of the extras window and its pages.

namespace extras_ids {

constexpr int kWindow = 7000;
constexpr int kCleanupPage = 7001;
constexpr int kAlarmPage = 7002;
constexpr int kMonitorPage = 7003;
constexpr int kWakeupPage = 7004;
constexpr int kLaunchPage = 7005;
constexpr int kOptionsPage = 7006;

constexpr int kCloseButton = 9058;
constexpr int kFullToggle = 9059;
constexpr int kInfoText = 20001;

// Cleanup page.
constexpr int kTree = 9060;
constexpr int kFirstSelectAll = 9061;  // .. 9067, one per leaf
constexpr int kPreviewButton = 9118;

// Alarm page.
constexpr int kAlarmHours = 9068;
constexpr int kAlarmMinutes = 9069;
constexpr int kAlarmSeconds = 9070;
constexpr int kDefaultSound = 9071;
constexpr int kDefaultPlayTime = 9072;
constexpr int kSoundPicker = 9073;
constexpr int kAlarmSwitch = 9074;
constexpr int kAlarmPanel = 8011;
constexpr int kVolume = 9108;  // the slider had no id of its own

// Monitor page.
constexpr int kMonitorSwitch = 9075;
constexpr int kMonitorPanel = 9076;
constexpr int kMonitorRelative = 9077;
constexpr int kMonitorRelativeHours = 9078;  // minutes 9079, seconds 9080
constexpr int kMonitorAbsolute = 9081;
constexpr int kMonitorDate = 9082;
constexpr int kMonitorAbsoluteHours = 9083;  // minutes 9084, seconds 9085

// Wakeup page.
constexpr int kWakeupSwitch = 9086;
constexpr int kWakeupPanel = 9087;
constexpr int kWakeupRelative = 9088;
constexpr int kWakeupRelativeHours = 9089;  // .. 9091
constexpr int kWakeupAbsolute = 9092;
constexpr int kWakeupDate = 9093;
constexpr int kWakeupAbsoluteHours = 9094;  // .. 9096

// Launch page.
constexpr int kLaunchSwitch = 9097;
constexpr int kLaunchPanel = 9098;
constexpr int kLaunchPath = 9099;
constexpr int kBrowse = 9100;
constexpr int kExitAfterLaunch = 9102;

// Options page.
constexpr int kOptionsPanel = 9103;
constexpr int kReminderCheck = 9104;
constexpr int kReminderMinutes = 9105;
constexpr int kReminderSeconds = 9106;
constexpr int kReminderText = 9107;

}  // namespace extras_ids
