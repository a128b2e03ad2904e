#pragma once
// The shared registry procedures of the history items.
#include <string>

namespace cleanup {

class PreviewRecorder;

// With a recorder nothing is deleted: it is told what would be.

// The program's own options key, its contents and the keys above it.
bool IsProtectedKey(const std::string& key);
// Deletes every value of the key (except its default value with skipDefault).
void WipeRegistryValues(const std::string& key, bool skipDefault, PreviewRecorder* preview = nullptr);
// The saved window information: values "0".."n-1" of StreamMRU, sub-keys
// "0".."m-1" of Streams.
void DeleteNumberedValues(PreviewRecorder* preview = nullptr);
// Deletes the key with its sub-keys; never a protected one.
bool DeleteKeyTree(const std::string& key, PreviewRecorder* preview = nullptr);

}  // namespace cleanup
