#pragma once
// Sound output: a looping WAV player and the master volume.
#include <cstddef>
#include <memory>
#include <string>

namespace os::audio {

class Player {
 public:
  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // PCM WAV only. False when the data is not a playable WAV.
  bool LoadFile(const std::string& path);
  bool LoadMemory(const void* data, std::size_t size);
  bool IsOk() const;

  // What the loaded sound is; all zero when nothing playable is loaded.
  struct Format {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    double seconds = 0.0;
  };
  Format LoadedFormat() const;

  // Plays on a thread of the audio layer, from the start, looping until Stop.
  // False when nothing is loaded or the default output cannot be opened.
  bool PlayLooping();
  void Stop();
  bool IsPlaying() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// Master volume, 0.0 to 1.0, of the default mixer's "Master" control (else
// "PCM"). False when there is no such control.
bool SetMasterVolume(double level);
bool MasterVolume(double& level);

}  // namespace os::audio
