// WAV files the user picks for the alarm: any bytes give a clean yes or no,
// and a yes never points past the buffer. Started with DKWT_FUZZ_SEEDS=<dir>
// it first writes a few valid files there as a seed corpus (the project keeps
// no binary files).
#include <cstdlib>
#include <cstring>

#include "os/linux/wav.h"
#include "tools/fuzz/fuzz_support.h"

namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, unsigned value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

// A PCM file with an optional extra chunk before the samples.
std::string Wave(unsigned channels, unsigned rate, unsigned bits, unsigned frames, bool extensible, bool listChunk) {
  std::string format;
  Put16(format, extensible ? 0xFFFE : 1);
  Put16(format, channels);
  Put32(format, rate);
  Put32(format, rate * channels * bits / 8);
  Put16(format, channels * bits / 8);
  Put16(format, bits);
  if (extensible) {
    Put16(format, 22);
    Put16(format, bits);
    Put32(format, 3);
    static const unsigned char kPcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    format.append(reinterpret_cast<const char*>(kPcm), sizeof kPcm);
  }
  std::string body = "WAVEfmt ";
  Put32(body, static_cast<unsigned>(format.size()));
  body += format;
  if (listChunk) {
    body += "LIST";
    Put32(body, 5);
    body += "INFOx";
    body += '\0';  // pad byte of the odd chunk
  }
  body += "data";
  const unsigned bytes = frames * channels * bits / 8;
  Put32(body, bytes);
  for (unsigned i = 0; i < bytes; ++i)
    body += static_cast<char>(i * 37);
  std::string file = "RIFF";
  Put32(file, static_cast<unsigned>(body.size()));
  return file + body;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* folder = std::getenv("DKWT_FUZZ_SEEDS");
  if (!folder || !*folder)
    return 0;
  const std::string seeds[] = {
      Wave(1, 8000, 8, 16, false, false),  Wave(2, 44100, 16, 8, false, true), Wave(2, 48000, 24, 4, true, false),
      Wave(6, 96000, 32, 2, true, true),   Wave(1, 22050, 16, 3, false, false).substr(0, 50),
  };
  int index = 0;
  for (const std::string& seed : seeds)
    fuzz::WriteFile(std::string(folder) + "/seed-" + std::to_string(index++) + ".wav", seed);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  os::audio::wav::Info info;
  if (!os::audio::wav::Parse(data, size, info))
    return 0;
  FUZZ_CHECK(info.frames > 0 && info.frameBytes > 0);
  FUZZ_CHECK(info.dataOffset <= size && info.frames * info.frameBytes <= size - info.dataOffset);
  // Touch every sample byte: ASan stops a read past the buffer.
  volatile unsigned sum = 0;
  for (std::size_t i = 0; i < info.frames * info.frameBytes; ++i)
    sum = sum + data[info.dataOffset + i];
  return 0;
}
