#pragma once
// RIFF/WAVE PCM parsing for the player. The data comes from files the user
// picks, so every length is checked against the buffer before it is used.
#include <cstddef>

namespace os::audio::wav {

struct Info {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;       // container size: 8, 16, 24 or 32
  std::size_t frameBytes = 0;  // block alignment
  std::size_t dataOffset = 0;  // start of the samples in the buffer
  std::size_t frames = 0;      // whole frames present (a cut-off file plays what it has)
};

// False when the buffer is not integer PCM WAV with at least one frame.
bool Parse(const unsigned char* data, std::size_t size, Info& info);

}  // namespace os::audio::wav
