// The alarm through waveOut: one buffer that the device loops by itself (no
// thread of ours), so Stop only resets the device. The master volume is the
// default render endpoint's, through Core Audio.
#include "os/audio.h"

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <mmsystem.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "os/linux/wav.h"
#include "os/windows/wide.h"

namespace os::audio {

namespace {

// Larger files are not alarm sounds; refusing them keeps memory bounded.
constexpr std::streamoff kMaxFileBytes = 256LL * 1024 * 1024;

const GUID kPcmSubFormat = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const CLSID kDeviceEnumeratorClass = {0xbcde0395, 0xe52f, 0x467c, {0x8e, 0x3d, 0xc4, 0x57, 0x92, 0x91, 0x69, 0x2e}};
const IID kDeviceEnumeratorInterface = {0xa95664d2, 0x9614, 0x4f35, {0xa7, 0x46, 0xde, 0x8d, 0xb6, 0x36, 0x17, 0xe6}};
const IID kEndpointVolumeInterface = {0x5cdf2c82, 0x841e, 0x4546, {0x97, 0x22, 0x0c, 0xf7, 0x40, 0x78, 0x22, 0x9a}};

WAVEFORMATEXTENSIBLE WaveFormat(const wav::Info& info) {
  WAVEFORMATEXTENSIBLE format{};
  WAVEFORMATEX& basic = format.Format;
  basic.nChannels = static_cast<WORD>(info.channels);
  basic.nSamplesPerSec = static_cast<DWORD>(info.sampleRate);
  basic.wBitsPerSample = static_cast<WORD>(info.bitsPerSample);
  basic.nBlockAlign = static_cast<WORD>(info.frameBytes);
  basic.nAvgBytesPerSec = basic.nSamplesPerSec * basic.nBlockAlign;
  if (info.channels <= 2 && info.bitsPerSample <= 16) {
    basic.wFormatTag = WAVE_FORMAT_PCM;
    return format;
  }
  // More channels or deeper samples must be described the extensible way.
  basic.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  basic.cbSize = sizeof format - sizeof basic;
  format.Samples.wValidBitsPerSample = basic.wBitsPerSample;
  format.dwChannelMask = 0;
  format.SubFormat = kPcmSubFormat;
  return format;
}

template <typename Interface>
class ComPointer {
 public:
  ~ComPointer() {
    if (m_pointer)
      m_pointer->Release();
  }
  Interface** Out() { return &m_pointer; }
  Interface* operator->() const { return m_pointer; }
  explicit operator bool() const { return m_pointer != nullptr; }

 private:
  Interface* m_pointer = nullptr;
};

// Runs `use` on the default output's endpoint volume; false when there is none.
template <typename Use>
bool WithEndpointVolume(Use use) {
  win::ComScope com;
  if (!com.Ok())
    return false;
  ComPointer<IMMDeviceEnumerator> enumerator;
  ComPointer<IMMDevice> device;
  ComPointer<IAudioEndpointVolume> volume;
  if (FAILED(CoCreateInstance(kDeviceEnumeratorClass, nullptr, CLSCTX_INPROC_SERVER, kDeviceEnumeratorInterface,
                              reinterpret_cast<void**>(enumerator.Out()))) ||
      FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Out())) ||
      FAILED(device->Activate(kEndpointVolumeInterface, CLSCTX_INPROC_SERVER, nullptr,
                              reinterpret_cast<void**>(volume.Out()))))
    return false;
  return use(*volume.operator->());
}

}  // namespace

struct Player::Impl {
  std::vector<unsigned char> bytes;
  wav::Info info;
  bool ok = false;
  HWAVEOUT device = nullptr;
  WAVEHDR header{};

  bool Load(std::vector<unsigned char> data) {
    bytes = std::move(data);
    ok = wav::Parse(bytes.data(), bytes.size(), info);
    if (!ok)
      bytes.clear();
    return ok;
  }

  void Stop() {
    if (!device)
      return;
    waveOutReset(device);
    waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
    device = nullptr;
    header = WAVEHDR{};
  }
};

Player::Player() : m_impl(std::make_unique<Impl>()) {}

Player::~Player() { m_impl->Stop(); }

bool Player::LoadFile(const std::string& path) {
  m_impl->Stop();
  std::ifstream in(win::Wide(path).c_str(), std::ios::binary | std::ios::ate);
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
  const std::size_t length = info.frames * info.frameBytes;
  if (length == 0 || length > MAXDWORD)
    return false;
  WAVEFORMATEXTENSIBLE format = WaveFormat(info);
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format.Format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
    return false;
  WAVEHDR& header = m_impl->header;
  header = WAVEHDR{};
  header.lpData = reinterpret_cast<LPSTR>(m_impl->bytes.data() + info.dataOffset);
  header.dwBufferLength = static_cast<DWORD>(length);
  header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  header.dwLoops = MAXDWORD;  // a one-second tone repeated for over a hundred years
  if (waveOutPrepareHeader(device, &header, sizeof header) != MMSYSERR_NOERROR) {
    waveOutClose(device);
    return false;
  }
  if (waveOutWrite(device, &header, sizeof header) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device, &header, sizeof header);
    waveOutClose(device);
    return false;
  }
  m_impl->device = device;
  return true;
}

void Player::Stop() { m_impl->Stop(); }

bool Player::IsPlaying() const { return m_impl->device != nullptr && !(m_impl->header.dwFlags & WHDR_DONE); }

bool SetMasterVolume(double level) {
  if (!std::isfinite(level))
    return false;
  const float scalar = static_cast<float>(level < 0.0 ? 0.0 : level > 1.0 ? 1.0 : level);
  return WithEndpointVolume(
      [scalar](IAudioEndpointVolume& volume) { return SUCCEEDED(volume.SetMasterVolumeLevelScalar(scalar, nullptr)); });
}

bool MasterVolume(double& level) {
  float scalar = 0.0f;
  if (!WithEndpointVolume(
          [&scalar](IAudioEndpointVolume& volume) { return SUCCEEDED(volume.GetMasterVolumeLevelScalar(&scalar)); }))
    return false;
  level = scalar;
  return true;
}

}  // namespace os::audio
