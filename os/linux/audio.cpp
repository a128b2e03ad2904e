// Sound through ALSA's "default" device, which PulseAudio and PipeWire serve
// too. The sound loops on a thread of its own until Stop.
#include "os/audio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include "os/linux/wav.h"

#include <alsa/asoundlib.h>

namespace os::audio {

namespace {

const char kDevice[] = "default";
constexpr unsigned kLatencyMicroseconds = 100000;
// Larger files are not alarm sounds; refusing them keeps memory bounded.
constexpr std::streamoff kMaxFileBytes = 256LL * 1024 * 1024;
// How long a wait for the device may take before the stop flag is looked at again.
constexpr int kWaitMilliseconds = 50;

snd_pcm_format_t AlsaFormat(int bits) {
  switch (bits) {
    case 8: return SND_PCM_FORMAT_U8;
    case 16: return SND_PCM_FORMAT_S16_LE;
    case 24: return SND_PCM_FORMAT_S24_3LE;
    case 32: return SND_PCM_FORMAT_S32_LE;
    default: return SND_PCM_FORMAT_UNKNOWN;
  }
}

// Some outputs (the null device, a file sink) take any amount at once. So
// that such a device does not make the loop spin, writing never gets more
// than half a second ahead of the clock; real devices block long before.
class Pacer {
 public:
  explicit Pacer(int rate) : m_rate(rate), m_start(std::chrono::steady_clock::now()) {}

  // The time to wait before writing more.
  std::chrono::milliseconds Wrote(snd_pcm_uframes_t frames) {
    m_written += frames;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    double ahead = static_cast<double>(m_written) / m_rate - elapsed;
    if (ahead <= 0.5)
      return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(static_cast<long>((ahead - 0.4) * 1000));
  }

 private:
  int m_rate;
  std::chrono::steady_clock::time_point m_start;
  unsigned long long m_written = 0;
};

}  // namespace

struct Player::Impl {
  std::vector<unsigned char> bytes;
  wav::Info info;
  bool ok = false;
  std::thread thread;
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> running{false};

  bool Load(std::vector<unsigned char> data) {
    bytes = std::move(data);
    ok = wav::Parse(bytes.data(), bytes.size(), info);
    if (!ok)
      bytes.clear();
    return ok;
  }

  // Returns early (within about kWaitMilliseconds) once a stop is requested.
  void SleepFor(std::chrono::milliseconds total) {
    auto until = std::chrono::steady_clock::now() + total;
    while (!stopRequested && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::min(total, std::chrono::milliseconds(kWaitMilliseconds)));
  }

  void Loop(snd_pcm_t* pcm) {
    const unsigned char* samples = bytes.data() + info.dataOffset;
    const snd_pcm_uframes_t total = info.frames;
    // 20 ms per write keeps the reaction to Stop quick.
    const snd_pcm_uframes_t chunk = std::max<snd_pcm_uframes_t>(64, static_cast<snd_pcm_uframes_t>(info.sampleRate / 50));
    snd_pcm_uframes_t position = 0;
    Pacer pacer(info.sampleRate);
    while (!stopRequested) {
      snd_pcm_uframes_t count = std::min(chunk, total - position);
      snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples + position * info.frameBytes, count);
      if (written == -EAGAIN) {
        int ready = snd_pcm_wait(pcm, kWaitMilliseconds);
        if (ready < 0 && snd_pcm_recover(pcm, ready, 1) < 0)
          break;
        continue;
      }
      if (written < 0) {
        // Underrun or suspend: recover and go on; anything else ends the sound.
        if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0)
          break;
        continue;
      }
      position += static_cast<snd_pcm_uframes_t>(written);
      if (position >= total)
        position = 0;
      SleepFor(pacer.Wrote(static_cast<snd_pcm_uframes_t>(written)));
    }
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    running = false;
  }

  void Stop() {
    stopRequested = true;
    if (thread.joinable())
      thread.join();
    stopRequested = false;
  }
};

Player::Player() : m_impl(std::make_unique<Impl>()) {}

Player::~Player() { m_impl->Stop(); }

bool Player::LoadFile(const std::string& path) {
  m_impl->Stop();
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size <= 0 || size > kMaxFileBytes) {
    m_impl->Load({});
    return false;
  }
  std::vector<unsigned char> data(static_cast<std::size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(data.data()), size);
  if (in.gcount() != size) {
    m_impl->Load({});
    return false;
  }
  return m_impl->Load(std::move(data));
}

bool Player::LoadMemory(const void* data, std::size_t size) {
  m_impl->Stop();
  if (!data)
    return m_impl->Load({});
  const auto* begin = static_cast<const unsigned char*>(data);
  return m_impl->Load(std::vector<unsigned char>(begin, begin + size));
}

bool Player::IsOk() const { return m_impl->ok; }

Player::Format Player::LoadedFormat() const {
  if (!m_impl->ok)
    return {};
  const wav::Info& info = m_impl->info;
  return {info.sampleRate, info.channels, info.bitsPerSample, static_cast<double>(info.frames) / info.sampleRate};
}

bool Player::PlayLooping() {
  m_impl->Stop();
  if (!m_impl->ok)
    return false;
  const wav::Info& info = m_impl->info;
  snd_pcm_t* pcm = nullptr;
  // Non-blocking, so that a stalled device cannot hold Stop up.
  if (snd_pcm_open(&pcm, kDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
    return false;
  if (snd_pcm_set_params(pcm, AlsaFormat(info.bitsPerSample), SND_PCM_ACCESS_RW_INTERLEAVED,
                         static_cast<unsigned>(info.channels), static_cast<unsigned>(info.sampleRate), 1,
                         kLatencyMicroseconds) < 0) {
    snd_pcm_close(pcm);
    return false;
  }
  m_impl->running = true;
  m_impl->thread = std::thread([impl = m_impl.get(), pcm] { impl->Loop(pcm); });
  return true;
}

void Player::Stop() { m_impl->Stop(); }

bool Player::IsPlaying() const { return m_impl->running; }

namespace {

class Mixer {
 public:
  Mixer() {
    if (snd_mixer_open(&m_handle, 0) < 0) {
      m_handle = nullptr;
      return;
    }
    if (snd_mixer_attach(m_handle, kDevice) < 0 || snd_mixer_selem_register(m_handle, nullptr, nullptr) < 0 ||
        snd_mixer_load(m_handle) < 0) {
      snd_mixer_close(m_handle);
      m_handle = nullptr;
    }
  }
  ~Mixer() {
    if (m_handle)
      snd_mixer_close(m_handle);
  }
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // The master control with a playback volume and a usable range.
  snd_mixer_elem_t* Master(long& minimum, long& maximum) {
    if (!m_handle)
      return nullptr;
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) < 0)
      return nullptr;
    snd_mixer_elem_t* found = nullptr;
    for (const char* name : {"Master", "PCM"}) {
      snd_mixer_selem_id_set_index(id, 0);
      snd_mixer_selem_id_set_name(id, name);
      snd_mixer_elem_t* element = snd_mixer_find_selem(m_handle, id);
      if (element && snd_mixer_selem_has_playback_volume(element) &&
          snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum) == 0 && maximum > minimum) {
        found = element;
        break;
      }
    }
    snd_mixer_selem_id_free(id);
    return found;
  }

 private:
  snd_mixer_t* m_handle = nullptr;
};

}  // namespace

bool SetMasterVolume(double level) {
  if (!std::isfinite(level))
    return false;
  level = std::clamp(level, 0.0, 1.0);
  Mixer mixer;
  long minimum = 0;
  long maximum = 0;
  snd_mixer_elem_t* element = mixer.Master(minimum, maximum);
  if (!element)
    return false;
  long value = minimum + std::lround(level * static_cast<double>(maximum - minimum));
  return snd_mixer_selem_set_playback_volume_all(element, value) == 0;
}

bool MasterVolume(double& level) {
  Mixer mixer;
  long minimum = 0;
  long maximum = 0;
  snd_mixer_elem_t* element = mixer.Master(minimum, maximum);
  if (!element)
    return false;
  // Channels may differ (balance); their mean is what the user hears as the level.
  double sum = 0;
  int channels = 0;
  for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel) {
    auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
    long value = 0;
    if (!snd_mixer_selem_has_playback_channel(element, id) ||
        snd_mixer_selem_get_playback_volume(element, id, &value) < 0)
      continue;
    sum += static_cast<double>(value);
    ++channels;
  }
  if (channels == 0)
    return false;
  level = std::clamp((sum / channels - static_cast<double>(minimum)) / static_cast<double>(maximum - minimum), 0.0, 1.0);
  return true;
}

}  // namespace os::audio
