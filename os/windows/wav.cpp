// The WAV parser is plain C++ and the same on every platform: one copy.
#include "os/linux/wav.cpp"
