// Writes the built-in alarm tone: one second of stereo 44.1 kHz 16-bit PCM,
// four short beeps alternating between two pitches, then a rest. Every beep
// fades in and out and the second ends in silence, so it loops without clicks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrames = kRate;  // one second
constexpr double kFadeSeconds = 0.006;
constexpr double kPeak = 0.55;

struct Beep {
  double start;
  double length;
  double frequency;
};

constexpr Beep kBeeps[] = {
    {0.00, 0.12, 1046.5},
    {0.16, 0.12, 784.0},
    {0.32, 0.12, 1046.5},
    {0.48, 0.12, 784.0},
};

double Envelope(double t, double length) {
  double edge = std::min(t, length - t);
  if (edge <= 0)
    return 0;
  if (edge >= kFadeSeconds)
    return 1;
  return 0.5 - 0.5 * std::cos(std::numbers::pi * edge / kFadeSeconds);
}

double Sample(int frame) {
  double t = static_cast<double>(frame) / kRate;
  for (const Beep& beep : kBeeps) {
    double local = t - beep.start;
    if (local < 0 || local >= beep.length)
      continue;
    double phase = 2 * std::numbers::pi * beep.frequency * local;
    // A touch of the octave above makes it cut through room noise.
    double wave = (std::sin(phase) + 0.25 * std::sin(2 * phase)) / 1.25;
    return kPeak * Envelope(local, beep.length) * wave;
  }
  return 0;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
    return 2;
  }
  const std::uint32_t dataBytes = kFrames * kChannels * 2;
  std::string wav = "RIFF";
  PutLe(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, kChannels, 2);
  PutLe(wav, kRate, 4);
  PutLe(wav, kRate * kChannels * 2, 4);
  PutLe(wav, kChannels * 2, 2);
  PutLe(wav, 16, 2);
  wav += "data";
  PutLe(wav, dataBytes, 4);
  for (int frame = 0; frame < kFrames; ++frame) {
    auto value = static_cast<std::int16_t>(std::lround(Sample(frame) * 32767));
    for (int channel = 0; channel < kChannels; ++channel)
      PutLe(wav, static_cast<std::uint16_t>(value), 2);
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(wav.data(), static_cast<std::streamsize>(wav.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
