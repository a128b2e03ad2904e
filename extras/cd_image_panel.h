#pragma once
// A panel that paints one of our pictures as its background; it scrolls
// when its content is taller or wider than the room it gets.
#include <wx/bitmap.h>
#include <wx/scrolwin.h>

class CDImagePanel : public wxScrolled<wxPanel> {
 public:
  CDImagePanel(wxWindow* parent, wxWindowID id, const wxBitmap& picture, const wxSize& size = wxDefaultSize);

 private:
  void OnPaint(wxPaintEvent& event);
  wxBitmap m_picture;
};
