#include "extras/cd_image_panel.h"

#include <wx/dcclient.h>

CDImagePanel::CDImagePanel(wxWindow* parent, wxWindowID id, const wxBitmap& picture, const wxSize& size)
    : m_picture(picture) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Create(parent, id, wxDefaultPosition, size, wxTAB_TRAVERSAL | wxNO_BORDER);
  Bind(wxEVT_PAINT, &CDImagePanel::OnPaint, this);
}

void CDImagePanel::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  DoPrepareDC(dc);
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  if (m_picture.IsOk())
    dc.DrawBitmap(m_picture, 0, 0, true);
}
