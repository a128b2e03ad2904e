#include "os/audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/sandbox.h"

namespace {

using namespace std::chrono_literals;

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Chunk(const std::string& id, const std::string& body) {
  std::string chunk = id;
  PutLe(chunk, static_cast<std::uint32_t>(body.size()), 4);
  chunk += body;
  if (body.size() % 2)
    chunk += '\0';
  return chunk;
}

std::string FormatBody(int channels, int rate, int bits, int tag = 1) {
  std::string body;
  PutLe(body, static_cast<std::uint32_t>(tag), 2);
  PutLe(body, static_cast<std::uint32_t>(channels), 2);
  PutLe(body, static_cast<std::uint32_t>(rate), 4);
  PutLe(body, static_cast<std::uint32_t>(rate * channels * bits / 8), 4);
  PutLe(body, static_cast<std::uint32_t>(channels * bits / 8), 2);
  PutLe(body, static_cast<std::uint32_t>(bits), 2);
  return body;
}

// Samples that differ from frame to frame, so a copy can be recognised.
std::string Samples(std::size_t bytes) {
  std::string data;
  for (std::size_t i = 0; i < bytes; ++i)
    data += static_cast<char>((i * 7 + i / 3) & 0xFF);
  return data;
}

std::string Riff(const std::string& chunks) {
  std::string riff = "RIFF";
  PutLe(riff, static_cast<std::uint32_t>(4 + chunks.size()), 4);
  return riff + "WAVE" + chunks;
}

std::string Wav(int channels, int rate, int bits, std::size_t frames) {
  return Riff(Chunk("fmt ", FormatBody(channels, rate, bits)) +
              Chunk("data", Samples(frames * static_cast<std::size_t>(channels * bits / 8))));
}

bool Loads(const std::string& bytes) {
  os::audio::Player player;
  return player.LoadMemory(bytes.data(), bytes.size()) && player.IsOk();
}

// An ALSA setup without hardware: the default PCM writes raw samples into a
// file over the null device, the default control is the test mixer plugin.
std::filesystem::path UseAlsaSandbox(Sandbox& sandbox, bool withPcm, bool withMixer) {
  auto config = sandbox.Root() / "asound.conf";
  std::string text;
  if (withPcm)
    text += "pcm.!default { type file; slave.pcm { type null }; file \"" + (sandbox.Root() / "out.raw").string() +
            "\"; format \"raw\" }\n";
  if (withMixer)
    text += "ctl.!default { type dkwt_test; file \"" + (sandbox.Root() / "volume").string() +
            "\" }\nctl_type.dkwt_test { lib \"" DKWT_ALSA_TEST_MIXER "\" }\n";
  Sandbox::WriteFile(config, text);
  sandbox.SetEnv("ALSA_CONFIG_PATH", config.string());
  return sandbox.Root() / "out.raw";
}

std::uintmax_t SizeOf(const std::filesystem::path& path) {
  std::error_code error;
  auto size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until)
      return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

}  // namespace

TEST(AudioWav, AcceptsIntegerPcmOfEverySampleSize) {
  for (int bits : {8, 16, 24, 32}) {
    for (int channels : {1, 2, 6}) {
      os::audio::Player player;
      std::string wav = Wav(channels, 22050, bits, 441);
      ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size())) << bits << " bits, " << channels << " channels";
      auto format = player.LoadedFormat();
      EXPECT_EQ(format.sampleRate, 22050);
      EXPECT_EQ(format.channels, channels);
      EXPECT_EQ(format.bitsPerSample, bits);
      EXPECT_NEAR(format.seconds, 0.02, 1e-9);
    }
  }
}

TEST(AudioWav, SkipsUnknownChunksAndReadsExtensibleFormat) {
  // A LIST chunk of odd size before fmt, a fact chunk between fmt and data.
  std::string wav = Riff(Chunk("LIST", "INFOabc") + Chunk("fmt ", FormatBody(2, 44100, 16)) +
                         Chunk("fact", "1234") + Chunk("data", Samples(400)));
  os::audio::Player player;
  ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size()));
  EXPECT_NEAR(player.LoadedFormat().seconds, 100.0 / 44100, 1e-9);

  std::string extensible = FormatBody(2, 48000, 24, 0xFFFE);
  PutLe(extensible, 22, 2);          // cbSize
  PutLe(extensible, 24, 2);          // valid bits
  PutLe(extensible, 3, 4);           // channel mask
  PutLe(extensible, 1, 2);           // PCM sub-format
  extensible += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  ASSERT_TRUE(Loads(Riff(Chunk("fmt ", extensible) + Chunk("data", Samples(60)))));
  std::string floatSubFormat = extensible;
  floatSubFormat[24] = 3;  // IEEE float: not integer PCM
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", floatSubFormat) + Chunk("data", Samples(60)))));
}

TEST(AudioWav, ToleratesStreamedAndCutOffFiles) {
  // RIFF size left at zero by a streaming writer.
  std::string streamed = Wav(1, 8000, 16, 100);
  streamed.replace(4, 4, std::string(4, '\0'));
  EXPECT_TRUE(Loads(streamed));

  // The data chunk claims more than the file holds: play the whole frames present.
  std::string cut = Wav(2, 8000, 16, 100).substr(0, 44 + 4 * 50 + 3);
  os::audio::Player player;
  ASSERT_TRUE(player.LoadMemory(cut.data(), cut.size()));
  EXPECT_NEAR(player.LoadedFormat().seconds, 50.0 / 8000, 1e-9);
}

TEST(AudioWav, RejectsMalformedData) {
  EXPECT_FALSE(Loads(""));
  EXPECT_FALSE(Loads("RIFF"));
  EXPECT_FALSE(Loads(Riff("")));
  std::string notWave = Wav(1, 8000, 16, 10);
  notWave.replace(8, 4, "AVI ");
  EXPECT_FALSE(Loads(notWave));
  EXPECT_FALSE(Loads(Riff(Chunk("data", Samples(40)))));                              // no format
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 8000, 16)))));                    // no data
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 8000, 16)) + Chunk("data", "")))); // no frame
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 8000, 16).substr(0, 14)) + Chunk("data", Samples(40)))));
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 8000, 16, 3)) + Chunk("data", Samples(40)))));  // float
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 8000, 12)) + Chunk("data", Samples(40)))));
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(0, 8000, 16)) + Chunk("data", Samples(40)))));
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(9, 8000, 16)) + Chunk("data", Samples(40)))));
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", FormatBody(1, 0, 16)) + Chunk("data", Samples(40)))));
  std::string badAlign = FormatBody(2, 8000, 16);
  badAlign[12] = 3;
  EXPECT_FALSE(Loads(Riff(Chunk("fmt ", badAlign) + Chunk("data", Samples(40)))));
  // A format chunk whose size runs past the end of the file.
  std::string longFormat = Riff(Chunk("fmt ", FormatBody(1, 8000, 16)));
  longFormat.replace(16, 4, std::string("\xff\xff\xff\xff", 4));
  EXPECT_FALSE(Loads(longFormat));
  // An unknown chunk whose size runs past the end hides the data behind it.
  std::string hugeChunk = Riff(Chunk("fmt ", FormatBody(1, 8000, 16)) + Chunk("junk", "ab") + Chunk("data", "xy"));
  hugeChunk.replace(12 + 8 + 16 + 4, 4, std::string("\xf0\xff\xff\xff", 4));
  EXPECT_FALSE(Loads(hugeChunk));

  // Every cut of a good file either loads or is refused, without reading past
  // the buffer (the sanitizer build checks that).
  std::string good = Riff(Chunk("LIST", "abc") + Chunk("fmt ", FormatBody(2, 8000, 16)) + Chunk("data", Samples(64)));
  for (std::size_t length = 0; length <= good.size(); ++length) {
    std::string prefix = good.substr(0, length);
    os::audio::Player player;
    player.LoadMemory(prefix.data(), prefix.size());
  }
}

TEST(AudioWav, LoadFileAndAFailedLoadLeavesNothingLoaded) {
  Sandbox sandbox;
  auto path = sandbox.Root() / "tone.wav";
  Sandbox::WriteFile(path, Wav(2, 44100, 16, 4410));
  os::audio::Player player;
  ASSERT_TRUE(player.LoadFile(path.string()));
  EXPECT_NEAR(player.LoadedFormat().seconds, 0.1, 1e-9);

  EXPECT_FALSE(player.LoadFile((sandbox.Root() / "missing.wav").string()));
  EXPECT_FALSE(player.IsOk());
  EXPECT_EQ(player.LoadedFormat().sampleRate, 0);
  EXPECT_FALSE(player.PlayLooping());
  EXPECT_FALSE(player.LoadFile(sandbox.Root().string()));  // a folder
  EXPECT_FALSE(player.LoadMemory(nullptr, 10));
}

TEST(AudioPlayback, LoopsTheSamplesUntilStopped) {
  Sandbox sandbox;
  auto sink = UseAlsaSandbox(sandbox, true, false);
  // One second of sound, so more than one loop's bytes prove it looped.
  const std::size_t loopBytes = 44100 * 4;
  std::string wav = Wav(2, 44100, 16, 44100);
  std::string samples = wav.substr(44);
  ASSERT_EQ(samples.size(), loopBytes);

  os::audio::Player player;
  ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size()));
  auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(player.PlayLooping());
  EXPECT_TRUE(player.IsPlaying());

  ASSERT_TRUE(WaitFor([&] { return SizeOf(sink) >= 4096; }, 5s));
  EXPECT_EQ(Sandbox::ReadFile(sink).substr(0, 4096), samples.substr(0, 4096));

  std::this_thread::sleep_until(started + 1500ms);
  EXPECT_TRUE(player.IsPlaying());
  ASSERT_TRUE(WaitFor([&] { return SizeOf(sink) > loopBytes + 4096; }, 5s));
  std::string written = Sandbox::ReadFile(sink);
  EXPECT_EQ(written.substr(loopBytes, 4096), samples.substr(0, 4096)) << "the second loop starts from the beginning";

  auto stopping = std::chrono::steady_clock::now();
  player.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
  EXPECT_FALSE(player.IsPlaying());
  auto stoppedSize = SizeOf(sink);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(SizeOf(sink), stoppedSize);
  // The player does not race ahead of the clock on a sink that takes everything.
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_LT(static_cast<double>(stoppedSize), (seconds + 1.0) * loopBytes);
}

TEST(AudioPlayback, PlayingAgainRestartsAndDestructionStops) {
  Sandbox sandbox;
  auto sink = UseAlsaSandbox(sandbox, true, false);
  std::string wav = Wav(1, 8000, 8, 800);
  {
    os::audio::Player player;
    ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size()));
    ASSERT_TRUE(player.PlayLooping());
    ASSERT_TRUE(WaitFor([&] { return SizeOf(sink) >= 200; }, 5s));
    ASSERT_TRUE(player.PlayLooping());
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(WaitFor([&] { return SizeOf(sink) >= 200; }, 5s));
    EXPECT_EQ(Sandbox::ReadFile(sink).substr(0, 200), wav.substr(44, 200));
    // Loading while playing stops the sound first.
    ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size()));
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_TRUE(player.PlayLooping());
  }
  auto size = SizeOf(sink);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(SizeOf(sink), size);
}

TEST(AudioPlayback, FailsWithoutAnOutputDevice) {
  Sandbox sandbox;
  UseAlsaSandbox(sandbox, false, false);
  std::string wav = Wav(2, 44100, 16, 100);
  os::audio::Player player;
  ASSERT_TRUE(player.LoadMemory(wav.data(), wav.size()));
  EXPECT_FALSE(player.PlayLooping());
  EXPECT_FALSE(player.IsPlaying());
  player.Stop();
}

TEST(AudioVolume, SetsAndReadsTheMasterControl) {
  Sandbox sandbox;
  UseAlsaSandbox(sandbox, true, true);
  auto store = sandbox.Root() / "volume";
  // The test mixer's range is 0..87.
  ASSERT_TRUE(os::audio::SetMasterVolume(0.5));
  EXPECT_EQ(Sandbox::ReadFile(store), "44 44\n");
  double level = -1;
  ASSERT_TRUE(os::audio::MasterVolume(level));
  EXPECT_NEAR(level, 44.0 / 87, 1e-9);

  ASSERT_TRUE(os::audio::SetMasterVolume(1.0));
  EXPECT_EQ(Sandbox::ReadFile(store), "87 87\n");
  ASSERT_TRUE(os::audio::SetMasterVolume(0.0));
  EXPECT_EQ(Sandbox::ReadFile(store), "0 0\n");
  ASSERT_TRUE(os::audio::SetMasterVolume(7.5));  // out of range: clamped
  EXPECT_EQ(Sandbox::ReadFile(store), "87 87\n");
  EXPECT_FALSE(os::audio::SetMasterVolume(std::nan("")));
  EXPECT_EQ(Sandbox::ReadFile(store), "87 87\n");

  // Balanced differently: the level is the channels' mean.
  Sandbox::WriteFile(store, "20 60\n");
  ASSERT_TRUE(os::audio::MasterVolume(level));
  EXPECT_NEAR(level, 40.0 / 87, 1e-9);
}

TEST(AudioVolume, FailsWithoutAMixer) {
  Sandbox sandbox;
  UseAlsaSandbox(sandbox, true, false);
  double level = 0.25;
  EXPECT_FALSE(os::audio::SetMasterVolume(0.5));
  EXPECT_FALSE(os::audio::MasterVolume(level));
  EXPECT_EQ(level, 0.25);
}
