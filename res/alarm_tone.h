#pragma once
// The built-in alarm tone "ALARM": a WAV of our own, built into the binary.
#include <cstddef>

const unsigned char* AlarmToneData();
std::size_t AlarmToneSize();
