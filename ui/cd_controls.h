#pragma once
// Thin wrappers of the toolkit's controls. They add nothing but their own
// class, which keeps the main window's control types recognisable.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

class CDButton : public wxButton {
 public:
  using wxButton::wxButton;
};

class CDChoice : public wxChoice {
 public:
  using wxChoice::wxChoice;
};

class CDMenu : public wxMenu {
 public:
  using wxMenu::wxMenu;
};

class CDMenuBar : public wxMenuBar {
 public:
  using wxMenuBar::wxMenuBar;
};

class CDPanel : public wxPanel {
 public:
  using wxPanel::wxPanel;
};

class CDProgBar : public wxGauge {
 public:
  using wxGauge::wxGauge;
};

class CDRadioButton : public wxRadioButton {
 public:
  using wxRadioButton::wxRadioButton;
};

class CDSpinCtrl : public wxSpinCtrl {
 public:
  using wxSpinCtrl::wxSpinCtrl;
};

class CDStaticText : public wxStaticText {
 public:
  using wxStaticText::wxStaticText;
};

class CDToolBar : public wxToolBar {
 public:
  using wxToolBar::wxToolBar;
};

class CDBoxSizer : public wxBoxSizer {
 public:
  using wxBoxSizer::wxBoxSizer;
};
