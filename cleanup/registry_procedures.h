#pragma once
// The shared registry procedures of the history items.
#include <string>

namespace cleanup {

// The program's own options key, its contents and the keys above it.
bool IsProtectedKey(const std::string& key);
// Deletes every value of the key (except its default value with skipDefault).
void WipeRegistryValues(const std::string& key, bool skipDefault);
// The saved window information: values "0".."n-1" of StreamMRU, sub-keys
// "0".."m-1" of Streams.
void DeleteNumberedValues();
// Deletes the key with its sub-keys; never a protected one.
bool DeleteKeyTree(const std::string& key);

}  // namespace cleanup
