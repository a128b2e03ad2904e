#include "extras/cd_image_panel.h"

#include <algorithm>

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
  const wxSize area(std::max(GetClientSize().x, GetVirtualSize().x), std::max(GetClientSize().y, GetVirtualSize().y));
  if (!m_picture.IsOk() || area.x <= 0 || area.y <= 0) {
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    return;
  }
  // The picture covers the whole panel, keeping its proportions and its
  // bottom-right corner, where the drawings put their motif.
  if (m_scaled.IsOk() ? m_scaledFor != area : true) {
    const double factor = std::max(static_cast<double>(area.x) / m_picture.GetWidth(),
                                   static_cast<double>(area.y) / m_picture.GetHeight());
    const int width = std::max(1, static_cast<int>(m_picture.GetWidth() * factor + 0.5));
    const int height = std::max(1, static_cast<int>(m_picture.GetHeight() * factor + 0.5));
    m_scaled = factor == 1.0 ? m_picture
                             : wxBitmap(m_picture.ConvertToImage().Scale(width, height, wxIMAGE_QUALITY_HIGH));
    m_scaledFor = area;
  }
  dc.DrawBitmap(m_scaled, area.x - m_scaled.GetWidth(), area.y - m_scaled.GetHeight(), true);
}
