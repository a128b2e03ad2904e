#pragma once
// The alarm sound: the built-in tone or a WAV file, played looping.
#include <wx/string.h>

#include "os/audio.h"

class CDSound {
 public:
  // The built-in tone.
  CDSound();
  // A WAV file.
  explicit CDSound(const wxString& path);

  bool IsOk();
  // Starts looping playback; true when the sound started.
  bool Play();
  void Stop();
  bool IsPlaying() const;

 private:
  bool Load();

  os::audio::Player m_player;
  wxString m_path;  // empty: the built-in tone
  bool m_loadTried = false;
  bool m_loaded = false;
};
