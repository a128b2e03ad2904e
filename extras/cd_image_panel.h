#pragma once
// A panel that paints one of our pictures as its background; it scrolls
// when its content is taller or wider than the room it gets.
#include <wx/bitmap.h>
#include <wx/scrolwin.h>

class CDImagePanel : public wxScrolled<wxPanel> {
 public:
  CDImagePanel(wxWindow* parent, wxWindowID id, const wxBitmap& picture, const wxSize& size = wxDefaultSize);

  // A picture takes no focus; the controls on it do.
  bool AcceptsFocus() const override { return false; }
  bool AcceptsFocusFromKeyboard() const override { return false; }

 private:
  void OnPaint(wxPaintEvent& event);
  wxBitmap m_picture;
  wxBitmap m_scaled;  // the picture at the size it was last painted
  wxSize m_scaledFor;
};
