#pragma once
// The pictures rendered from res/art at build time, listed by name (the index is generated).
#include <cstddef>
#include <span>

struct EmbeddedArt {
  const char* name;
  const unsigned char* (*data)();
  std::size_t (*size)();
};

std::span<const EmbeddedArt> EmbeddedArtIndex();
