#pragma once
// The current user's settings store, shaped like a registry hive: keys with
// sub-keys (separated by a backslash), and named string or DWORD values.
// Names compare case-insensitively. Where the store is emulated (Linux) only
// the current-user hive exists; other hives answer "not found".
#include <cstdint>
#include <string>
#include <vector>

namespace os::registry {

enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

enum class Result { Ok, NotFound, Failed };

// Key paths are relative to the hive, e.g. "Software\\Duskwatch\\" (a trailing
// backslash is ignored).
Result ReadString(Hive hive, const std::string& key, const std::string& name, std::string& value);
Result ReadDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t& value);
// Creates the key (and its parents) when needed.
Result WriteString(Hive hive, const std::string& key, const std::string& name, const std::string& value);
Result WriteDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value);
Result CreateKey(Hive hive, const std::string& key);
bool KeyExists(Hive hive, const std::string& key);
Result DeleteValue(Hive hive, const std::string& key, const std::string& name);
// Deletes the key with all its sub-keys; NotFound when it did not exist.
Result DeleteTree(Hive hive, const std::string& key);
Result SubKeys(Hive hive, const std::string& key, std::vector<std::string>& names);
Result ValueNames(Hive hive, const std::string& key, std::vector<std::string>& names);

// Whether the store is the system's own registry, where the system and its
// applets keep their histories (not an emulation of it).
bool IsSystemRegistry();

// Where the current-user store lives (for messages and tests).
std::string StorePath();

}  // namespace os::registry
