#pragma once
// Every text a user can see on a window: labels, titles, choice entries,
// tool-tips, book pages, tool-bar tools and menus (with their help texts),
// each with where it was found. Windows from other folders (the extras
// window, dialogs) are walked the same way.
#include <string>
#include <vector>

#include <wx/bookctrl.h>
#include <wx/ctrlsub.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/toplevel.h>
#include <wx/tooltip.h>

struct VisibleText {
  std::string where;
  std::string text;
};

class VisibleTextWalker {
 public:
  void Add(const std::string& where, const wxString& text) {
    if (!text.empty())
      texts.push_back({where, text.utf8_string()});
  }

  void Walk(wxMenu* menu, const std::string& where) {
    if (!menu)
      return;
    Add(where + " title", menu->GetTitle());
    for (wxMenuItem* item : menu->GetMenuItems()) {
      const std::string here = where + " > " + item->GetItemLabelText().utf8_string();
      Add(here, item->GetItemLabel());
      Add(here + " help", item->GetHelp());
      Walk(item->GetSubMenu(), here);
    }
  }

  void Walk(wxWindow* window) {
    const std::string where = window->GetName().utf8_string() + "#" + std::to_string(window->GetId());
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(window))
      Add(where + " title", top->GetTitle());
    else
      Add(where + " label", window->GetLabel());
    Add(where + " tool-tip", window->GetToolTipText());
    if (auto* items = dynamic_cast<wxItemContainerImmutable*>(window))
      for (unsigned i = 0; i < items->GetCount(); ++i)
        Add(where + " entry", items->GetString(i));
    if (auto* book = dynamic_cast<wxBookCtrlBase*>(window))
      for (std::size_t i = 0; i < book->GetPageCount(); ++i)
        Add(where + " page", book->GetPageText(i));
    if (auto* toolBar = dynamic_cast<wxToolBar*>(window))
      for (std::size_t i = 0; i < toolBar->GetToolsCount(); ++i)
        if (const wxToolBarToolBase* tool = toolBar->GetToolByPos(static_cast<int>(i))) {
          Add(where + " tool", tool->GetLabel());
          Add(where + " tool short help", tool->GetShortHelp());
          Add(where + " tool long help", tool->GetLongHelp());
        }
    if (auto* frame = dynamic_cast<wxFrame*>(window))
      if (wxMenuBar* bar = frame->GetMenuBar())
        for (std::size_t i = 0; i < bar->GetMenuCount(); ++i) {
          Add(where + " menu", bar->GetMenuLabel(i));
          Walk(bar->GetMenu(i), where + " " + bar->GetMenuLabelText(i).utf8_string());
        }
    for (wxWindow* child : window->GetChildren())
      Walk(child);
  }

  std::vector<VisibleText> texts;
};
