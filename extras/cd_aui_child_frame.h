#pragma once
// One page of the extras window. A single class serves all six pages: the
// constructor builds the content that its id names (only the members of that
// page are created).
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include <wx/dataview.h>
#include <wx/panel.h>

#include "extras/cleanup_items.h"

class CDAuiMainFrame;
class CDImagePanel;
class wxBitmapToggleButton;
class wxButton;
class wxCheckBox;
class wxDatePickerCtrl;
class wxRadioButton;
class wxSimplebook;
class wxSlider;
class wxSpinCtrl;
class wxTextCtrl;
class wxToggleButton;

class CDAuiChildFrame : public wxPanel {
 public:
  CDAuiChildFrame(CDAuiMainFrame* owner, wxWindow* parent, wxWindowID id, const wxString& caption);

  // ---- Cleanup page ----
  wxDataViewTreeCtrl* m_tree = nullptr;
  wxButton* m_previewButton = nullptr;
  // Lists what the ticked items would delete (the "Preview" button).
  void ShowPreview();
  std::array<wxDataViewItem, 2> m_groupItems;  // "Browsers", "Common"
  std::array<wxDataViewItem, kCleanupLeafCount> m_leafItems;
  wxDataViewItem m_currentItem;
  wxSimplebook* m_panelBook = nullptr;  // page kCleanupLeafCount is the empty one
  std::array<CDImagePanel*, kCleanupLeafCount> m_leafPanels{};
  std::array<wxToggleButton*, kCleanupLeafCount> m_selectAll{};
  // By control id - kFirstCleanupBoxId.
  std::vector<wxCheckBox*> m_boxes;
  std::vector<std::optional<ItemId>> m_boxItems;  // the item of each box
  std::vector<bool> m_boxAvailable;
  std::vector<std::size_t> m_boxLeaf;

  // Panel and full toggle syncs; also used by the window's full toggle.
  void SyncLeafToggle(std::size_t leaf);
  void SyncFullToggle();
  void SetLeaf(std::size_t leaf, bool checked);
  void SetAllBoxes(bool checked);
  bool AnyAvailableChecked(std::size_t leaf) const;
  bool AllAvailableChecked(std::size_t leaf) const;
  // Shows the panel of a tree item (the tree's selection handler).
  void ShowItem(const wxDataViewItem& item);

  // ---- The ON/OFF switch of the Alarm, Monitor, Wakeup and Launch pages ----
  wxBitmapToggleButton* m_switch = nullptr;
  bool m_on = false;
  CDImagePanel* m_picture = nullptr;
  void SetOn(bool on);

  // ---- Alarm page ----
  wxSlider* m_volume = nullptr;
  wxCheckBox* m_defaultPlayTime = nullptr;
  std::array<wxSpinCtrl*, 3> m_alarmSpins{};  // hours, minutes, seconds
  wxCheckBox* m_defaultSound = nullptr;
  wxTextCtrl* m_soundPath = nullptr;  // the picker's text field
  wxButton* m_soundBrowse = nullptr;  // the picker's button

  // ---- Monitor and Wakeup pages ----
  wxRadioButton* m_relative = nullptr;
  wxRadioButton* m_absolute = nullptr;
  std::array<wxSpinCtrl*, 3> m_relativeSpins{};
  std::array<wxSpinCtrl*, 3> m_absoluteSpins{};
  wxDatePickerCtrl* m_date = nullptr;

  // ---- Launch page ----
  wxTextCtrl* m_launchPath = nullptr;
  wxButton* m_browse = nullptr;
  wxCheckBox* m_exitAfterLaunch = nullptr;

  // ---- Options page ----
  wxCheckBox* m_reminderCheck = nullptr;
  bool m_reminderEnabled = false;
  int m_reminderLead = 20;  // seconds
  wxSpinCtrl* m_reminderMinutes = nullptr;
  wxSpinCtrl* m_reminderSeconds = nullptr;
  wxTextCtrl* m_reminderText = nullptr;

 private:
  void BuildCleanup();
  wxWindow* BuildLeafPanel(std::size_t leaf);
  void BuildSwitch(wxSizer* row, int switchId, const char* accessibleName);
  void BuildHeader(wxSizer* page, int switchId, int panelId, const char* panelName, const char* switchName);
  void BuildAlarm();
  void BuildWakeMode(bool monitor);
  void BuildLaunch();
  void BuildOptions();
  wxSpinCtrl* MakeSpin(wxWindow* parent, int id, int max, const wxString& name, const wxString& tip,
                       const char* accessibleName, int initial = 0);
  void Describe(wxWindow* control, const wxString& text, bool clearOnLeave);

  // Handlers.
  void OnTreeSelection(wxDataViewEvent& event);
  void OnBox(wxCommandEvent& event);
  void OnSelectAll(wxCommandEvent& event);
  void OnSwitch(wxCommandEvent& event);
  void OnDefaultPlayTime(wxCommandEvent& event);
  void OnDefaultSound(wxCommandEvent& event);
  void OnSoundBrowse(wxCommandEvent& event);
  void OnRelative(wxCommandEvent& event);
  void OnAbsolute(wxCommandEvent& event);
  void OnBrowse(wxCommandEvent& event);
  void OnReminderCheck(wxCommandEvent& event);

  CDAuiMainFrame* m_owner;

  wxDECLARE_EVENT_TABLE();
};

// Gives a control the name a screen reader reads.
void SetAccessibleName(wxWindow* control, const wxString& name);
