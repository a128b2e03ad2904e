#include "app/cd_sound.h"

#include "res/alarm_tone.h"

CDSound::CDSound() = default;

CDSound::CDSound(const wxString& path) : m_path(path) {}

// Loaded on first use: most tasks never sound an alarm.
bool CDSound::Load() {
  if (!m_loadTried) {
    m_loadTried = true;
    m_loaded = m_path.empty() ? m_player.LoadMemory(AlarmToneData(), AlarmToneSize())
                              : m_player.LoadFile(m_path.utf8_string());
  }
  return m_loaded;
}

bool CDSound::IsOk() { return Load(); }

bool CDSound::Play() { return Load() && m_player.PlayLooping(); }

void CDSound::Stop() { m_player.Stop(); }

bool CDSound::IsPlaying() const { return m_player.IsPlaying(); }
