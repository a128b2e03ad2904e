#include "res/alarm_tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "os/audio.h"

namespace {

// The 16-bit samples of the tone's data chunk.
std::basic_string<std::int16_t> ToneSamples() {
  const unsigned char* data = AlarmToneData();
  std::size_t size = AlarmToneSize();
  for (std::size_t pos = 12; pos + 8 <= size;) {
    std::size_t length = data[pos + 4] | (data[pos + 5] << 8) | (data[pos + 6] << 16) |
                         (static_cast<std::size_t>(data[pos + 7]) << 24);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      std::basic_string<std::int16_t> samples;
      for (std::size_t i = pos + 8; i + 1 < pos + 8 + length && i + 1 < size; i += 2)
        samples += static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
      return samples;
    }
    pos += 8 + length + (length & 1);
  }
  return {};
}

}  // namespace

TEST(AlarmTone, IsAboutOneSecondOfStereoCdAudio) {
  os::audio::Player player;
  ASSERT_TRUE(player.LoadMemory(AlarmToneData(), AlarmToneSize()));
  auto format = player.LoadedFormat();
  EXPECT_EQ(format.sampleRate, 44100);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.bitsPerSample, 16);
  EXPECT_GE(format.seconds, 0.9);
  EXPECT_LE(format.seconds, 1.1);
}

TEST(AlarmTone, IsAudibleAndLoopsWithoutAClick) {
  auto samples = ToneSamples();
  ASSERT_EQ(samples.size(), 44100u * 2);
  int peak = 0;
  for (std::int16_t sample : samples)
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  EXPECT_GT(peak, 8000);
  EXPECT_LT(peak, 32767) << "clipped";
  // Both ends quiet, so the jump from the last frame to the first is inaudible.
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_LT(std::abs(static_cast<int>(samples[i])), 200);
    EXPECT_LT(std::abs(static_cast<int>(samples[samples.size() - 1 - i])), 200);
  }
}
