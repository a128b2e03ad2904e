#include "os/linux/wav.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace os::audio::wav {

namespace {

constexpr std::uint16_t kFormatPcm = 0x0001;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The KSDATAFORMAT_SUBTYPE_PCM GUID after its leading format tag.
constexpr unsigned char kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool ParseFormat(const unsigned char* body, std::size_t size, Info& info) {
  if (size < 16)
    return false;
  std::uint16_t tag = Le16(body);
  std::uint16_t channels = Le16(body + 2);
  std::uint32_t rate = Le32(body + 4);
  std::uint16_t blockAlign = Le16(body + 12);
  std::uint16_t bits = Le16(body + 14);
  if (tag == kFormatExtensible) {
    // cbSize, valid bits, channel mask, then the sub-format GUID.
    if (size < 40 || Le16(body + 16) < 22 || Le16(body + 24) != kFormatPcm ||
        std::memcmp(body + 26, kPcmGuidTail, sizeof kPcmGuidTail) != 0)
      return false;
  } else if (tag != kFormatPcm) {
    return false;
  }
  if (channels < 1 || channels > 8 || rate < 1000 || rate > 768000)
    return false;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return false;
  if (blockAlign != channels * (bits / 8))
    return false;
  info.channels = channels;
  info.sampleRate = static_cast<int>(rate);
  info.bitsPerSample = bits;
  info.frameBytes = blockAlign;
  return true;
}

}  // namespace

bool Parse(const unsigned char* data, std::size_t size, Info& info) {
  info = Info{};
  Info parsed;
  if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return false;
  // Streaming writers leave the RIFF size at 0 or too large; the buffer is the limit then.
  std::uint32_t riffSize = Le32(data + 4);
  std::size_t end = size;
  if (riffSize >= 4 && riffSize <= size - 8)
    end = 8 + static_cast<std::size_t>(riffSize);

  bool haveFormat = false;
  bool haveData = false;
  std::size_t dataOffset = 0;
  std::size_t dataSize = 0;
  std::size_t pos = 12;
  while (pos <= end && end - pos >= 8 && !(haveFormat && haveData)) {
    const unsigned char* header = data + pos;
    std::size_t chunkSize = Le32(header + 4);
    std::size_t body = pos + 8;
    std::size_t available = end - body;
    if (std::memcmp(header, "fmt ", 4) == 0 && !haveFormat) {
      if (chunkSize > available || !ParseFormat(data + body, chunkSize, parsed))
        return false;
      haveFormat = true;
    } else if (std::memcmp(header, "data", 4) == 0 && !haveData) {
      haveData = true;
      dataOffset = body;
      dataSize = std::min(chunkSize, available);
    }
    if (chunkSize > available)
      break;  // a chunk running past the end: nothing after it can be trusted
    pos = body + chunkSize + (chunkSize & 1);
  }
  if (!haveFormat || !haveData)
    return false;
  parsed.dataOffset = dataOffset;
  parsed.frames = dataSize / parsed.frameBytes;
  if (parsed.frames == 0)
    return false;
  info = parsed;
  return true;
}

}  // namespace os::audio::wav
