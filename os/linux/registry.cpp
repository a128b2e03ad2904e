#include "os/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "os/linux/text_file.h"

// The current-user hive is one text file, close to a .reg export so that a
// person can read and mend it:
//
//   [Software\Duskwatch]            a key (its parents exist implicitly)
//   "Confirm"="Yes"                 a string value
//   "Delay"=dword:0000001e          a DWORD value, 1 to 8 hex digits
//   @="text"                        the key's default (unnamed) value
//   ; comment
//
// Inside quotes \\ \" \n \r \t and \xHH stand for special bytes; other bytes
// (UTF-8) are written as they are. Names compare case-insensitively (ASCII)
// and keep the spelling they were first written with.
//
// A line that cannot be parsed is kept as it is on every rewrite and never
// matches anything; a bracketed header that is not a valid key path still
// starts a block, so the lines below it cannot slip into the key above. The
// file is read again on every call and replaced atomically on every change.
// When the file exists but cannot be read, reads answer Failed and writes
// leave it alone and answer Failed.
// A value of the other type reads as Failed (a type mismatch, not a miss).

namespace os::registry {

namespace {

using text_file::EqualsNoCase;
using text_file::TrimBlanks;

using KeyPath = std::vector<std::string>;

constexpr std::size_t kNoHeader = static_cast<std::size_t>(-1);

const char* const kIntroduction[] = {
    "; Duskwatch settings of the current user.",
    "; [Key\\Sub-key] starts a key; below it one value per line: \"Name\"=\"text\", \"Name\"=dword:0000001e,",
    "; @=\"text\" for the key's default value. In quotes: \\\\ \\\" \\n \\r \\t \\xHH.",
};

// "A\B\" and "A\B" name the same key; an empty component or a control
// character makes the path invalid. The empty path is the hive itself.
std::optional<KeyPath> ParsePath(std::string_view path) {
  while (!path.empty() && path.back() == '\\')
    path.remove_suffix(1);
  while (!path.empty() && path.front() == '\\')
    path.remove_prefix(1);
  KeyPath components;
  if (path.empty())
    return components;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find('\\', start);
    std::string_view component = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (component.empty())
      return std::nullopt;
    for (char c : component) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
        return std::nullopt;
    }
    components.emplace_back(component);
    if (end == std::string_view::npos)
      return components;
    start = end + 1;
  }
}

// True when path equals prefix or lies below it.
bool StartsWith(const KeyPath& path, const KeyPath& prefix) {
  if (path.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (!EqualsNoCase(path[i], prefix[i]))
      return false;
  }
  return true;
}

bool SamePath(const KeyPath& a, const KeyPath& b) { return a.size() == b.size() && StartsWith(a, b); }

std::string JoinPath(const KeyPath& path) {
  std::string joined;
  for (const std::string& component : path) {
    if (!joined.empty())
      joined += '\\';
    joined += component;
  }
  return joined;
}

std::string Quote(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          quoted += "\\x";
          quoted += kHex[byte >> 4];
          quoted += kHex[byte & 0xf];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Reads a quoted string at the start of text (which begins with '"') and
// removes it from text.
std::optional<std::string> Unquote(std::string_view& text) {
  std::string result;
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return result;
    }
    if (c != '\\') {
      result += c;
      continue;
    }
    if (++i >= text.size())
      return std::nullopt;
    switch (text[i]) {
      case '\\': result += '\\'; break;
      case '"': result += '"'; break;
      case 'n': result += '\n'; break;
      case 'r': result += '\r'; break;
      case 't': result += '\t'; break;
      case 'x': {
        if (i + 2 >= text.size())
          return std::nullopt;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
          return std::nullopt;
        result += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

enum class Kind { Other, Blank, Comment, Header, Value };
enum class Type { String, Dword };

struct LineInfo {
  Kind kind = Kind::Other;
  std::optional<KeyPath> path;  // headers; empty when not a valid key path
  std::string name;             // values
  Type type = Type::String;
  std::string text;
  std::uint32_t number = 0;
  std::size_t header = kNoHeader;  // the header line of the block it is in
};

bool ParseValue(std::string_view line, LineInfo& info) {
  if (line.front() == '@') {
    line.remove_prefix(1);
  } else {
    std::optional<std::string> name = Unquote(line);
    if (!name)
      return false;
    info.name = std::move(*name);
  }
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '=')
    return false;
  line = TrimBlanks(line.substr(1));
  if (!line.empty() && line.front() == '"') {
    std::optional<std::string> text = Unquote(line);
    if (!text || !TrimBlanks(line).empty())
      return false;
    info.type = Type::String;
    info.text = std::move(*text);
    return true;
  }
  if (line.size() < 7 || line.size() > 14 || !EqualsNoCase(line.substr(0, 6), "dword:"))
    return false;
  std::uint32_t number = 0;
  for (char c : line.substr(6)) {
    int digit = HexDigit(c);
    if (digit < 0)
      return false;
    number = number * 16 + static_cast<std::uint32_t>(digit);
  }
  info.type = Type::Dword;
  info.number = number;
  return true;
}

LineInfo Classify(const std::string& text) {
  LineInfo info;
  std::string_view line = TrimBlanks(text);
  if (line.empty()) {
    info.kind = Kind::Blank;
  } else if (line.front() == ';') {
    info.kind = Kind::Comment;
  } else if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
    info.kind = Kind::Header;
    info.path = ParsePath(line.substr(1, line.size() - 2));
  } else if ((line.front() == '@' || line.front() == '"') && ParseValue(line, info)) {
    info.kind = Kind::Value;
  }
  return info;
}

struct Store {
  text_file::Lines text;
  std::vector<LineInfo> info;

  void Analyse() {
    info.clear();
    info.reserve(text.lines.size());
    std::size_t header = kNoHeader;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
      LineInfo current = Classify(text.lines[i].text);
      if (current.kind == Kind::Header)
        header = i;
      current.header = header;
      info.push_back(std::move(current));
    }
  }

  // The key path of the block line index lies in, if it is a valid key.
  const KeyPath* Owner(std::size_t index) const {
    std::size_t header = info[index].header;
    return header == kNoHeader || !info[header].path ? nullptr : &*info[header].path;
  }

  bool InKey(std::size_t index, const KeyPath& key) const {
    const KeyPath* owner = Owner(index);
    return owner && SamePath(*owner, key);
  }

  bool HasHeader(const KeyPath& key) const {
    for (const LineInfo& line : info) {
      if (line.kind == Kind::Header && line.path && SamePath(*line.path, key))
        return true;
    }
    return false;
  }

  // A header names a key and, implicitly, all its parents.
  bool KeyExists(const KeyPath& key) const {
    if (key.empty())
      return true;
    for (const LineInfo& line : info) {
      if (line.kind == Kind::Header && line.path && StartsWith(*line.path, key))
        return true;
    }
    return false;
  }

  std::optional<std::size_t> FindValue(const KeyPath& key, std::string_view name) const {
    for (std::size_t i = 0; i < info.size(); ++i) {
      if (info[i].kind == Kind::Value && InKey(i, key) && EqualsNoCase(info[i].name, name))
        return i;
    }
    return std::nullopt;
  }

  // The key's path spelled as the file first spells its existing parts.
  std::string Spelling(const KeyPath& key) const {
    KeyPath spelled = key;
    for (std::size_t depth = 1; depth <= key.size(); ++depth) {
      KeyPath prefix(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(depth));
      for (const LineInfo& line : info) {
        if (line.kind == Kind::Header && line.path && StartsWith(*line.path, prefix)) {
          spelled[depth - 1] = (*line.path)[depth - 1];
          break;
        }
      }
    }
    return JoinPath(spelled);
  }

  void AppendKey(const KeyPath& key) {
    if (text.lines.empty()) {
      for (const char* line : kIntroduction)
        text.Insert(text.lines.size(), line);
    }
    if (!TrimBlanks(text.lines.back().text).empty())
      text.Insert(text.lines.size(), "");
    text.Insert(text.lines.size(), "[" + Spelling(key) + "]");
  }

  void EraseLine(std::size_t index) {
    text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(index));
  }
};

std::string StoreFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/')
    return std::string(config) + "/Duskwatch";
  const char* home = std::getenv("HOME");
  std::string homeFolder = (home && *home) ? home : "";
  if (homeFolder.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
      homeFolder = entry->pw_dir;
  }
  return homeFolder + "/.config/Duskwatch";
}

// Loads the store for a read; NotFound when there is none yet.
Result Load(Store& store) {
  std::string content;
  switch (text_file::Read(StorePath(), content)) {
    case text_file::ReadStatus::Failed:
      return Result::Failed;
    case text_file::ReadStatus::Missing:
      store.Analyse();
      return Result::NotFound;
    case text_file::ReadStatus::Ok:
      break;
  }
  store.text = text_file::Split(content);
  store.Analyse();
  return Result::Ok;
}

// Loads the store for a change: a missing store is simply empty.
bool LoadForChange(Store& store) { return Load(store) != Result::Failed; }

Result Save(const Store& store) {
  std::error_code error;
  std::filesystem::create_directories(StoreFolder(), error);
  if (error)
    return Result::Failed;
  return text_file::Replace(StorePath(), store.text.Join()) ? Result::Ok : Result::Failed;
}

// Loads the store and finds an existing key for a query.
Result OpenKey(Hive hive, const std::string& key, Store& store, KeyPath& path) {
  if (hive != Hive::CurrentUser)
    return Result::NotFound;
  std::optional<KeyPath> parsed = ParsePath(key);
  if (!parsed)
    return Result::NotFound;
  path = std::move(*parsed);
  if (Load(store) == Result::Failed)
    return Result::Failed;
  return store.KeyExists(path) ? Result::Ok : Result::NotFound;
}

Result ReadValue(Hive hive, const std::string& key, const std::string& name, Type type, const LineInfo*& found,
                 Store& store) {
  KeyPath path;
  Result opened = OpenKey(hive, key, store, path);
  if (opened != Result::Ok)
    return opened;
  std::optional<std::size_t> line = store.FindValue(path, name);
  if (!line)
    return Result::NotFound;
  found = &store.info[*line];
  return found->type == type ? Result::Ok : Result::Failed;
}

Result WriteValue(Hive hive, const std::string& key, const std::string& name, const std::string& line) {
  if (hive != Hive::CurrentUser)
    return Result::Failed;
  std::optional<KeyPath> path = ParsePath(key);
  Store store;
  if (!path || !LoadForChange(store))
    return Result::Failed;

  if (std::optional<std::size_t> existing = store.FindValue(*path, name)) {
    // Keep the name as first spelled.
    const LineInfo& info = store.info[*existing];
    std::string replaced = (info.name.empty() ? std::string("@") : Quote(info.name)) + line;
    if (store.text.lines[*existing].text == replaced)
      return Result::Ok;
    store.text.lines[*existing].text = std::move(replaced);
    return Save(store);
  }

  std::string newLine = (name.empty() ? std::string("@") : Quote(name)) + line;
  for (std::size_t header = 0; header < store.info.size(); ++header) {
    const LineInfo& info = store.info[header];
    if (info.kind != Kind::Header || !info.path || !SamePath(*info.path, *path))
      continue;
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < store.info.size() && store.info[i].header == header; ++i) {
      if (store.info[i].kind != Kind::Blank && store.info[i].kind != Kind::Comment)
        insertAt = i + 1;
    }
    store.text.Insert(insertAt, std::move(newLine));
    return Save(store);
  }
  store.AppendKey(*path);
  store.text.Insert(store.text.lines.size(), std::move(newLine));
  return Save(store);
}

std::string DwordText(std::uint32_t value) {
  static const char kHex[] = "0123456789abcdef";
  std::string text = "=dword:";
  for (int shift = 28; shift >= 0; shift -= 4)
    text += kHex[(value >> shift) & 0xf];
  return text;
}

}  // namespace

std::string StorePath() { return StoreFolder() + "/HKEY_CURRENT_USER.reg"; }

// An emulation: no program here keeps its histories in it.
bool IsSystemRegistry() { return false; }

Result ReadString(Hive hive, const std::string& key, const std::string& name, std::string& value) {
  Store store;
  const LineInfo* found = nullptr;
  Result result = ReadValue(hive, key, name, Type::String, found, store);
  if (result == Result::Ok)
    value = found->text;
  return result;
}

Result ReadDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t& value) {
  Store store;
  const LineInfo* found = nullptr;
  Result result = ReadValue(hive, key, name, Type::Dword, found, store);
  if (result == Result::Ok)
    value = found->number;
  return result;
}

Result WriteString(Hive hive, const std::string& key, const std::string& name, const std::string& value) {
  return WriteValue(hive, key, name, "=" + Quote(value));
}

Result WriteDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value) {
  return WriteValue(hive, key, name, DwordText(value));
}

Result CreateKey(Hive hive, const std::string& key) {
  if (hive != Hive::CurrentUser)
    return Result::Failed;
  std::optional<KeyPath> path = ParsePath(key);
  Store store;
  if (!path || !LoadForChange(store))
    return Result::Failed;
  if (store.KeyExists(*path))
    return Result::Ok;
  store.AppendKey(*path);
  return Save(store);
}

bool KeyExists(Hive hive, const std::string& key) {
  Store store;
  KeyPath path;
  return OpenKey(hive, key, store, path) == Result::Ok;
}

Result DeleteValue(Hive hive, const std::string& key, const std::string& name) {
  Store store;
  KeyPath path;
  Result opened = OpenKey(hive, key, store, path);
  if (opened != Result::Ok)
    return opened;
  // Every copy goes, or a duplicate further down would surface in its place.
  bool removed = false;
  for (std::size_t i = store.info.size(); i-- > 0;) {
    if (store.info[i].kind == Kind::Value && store.InKey(i, path) && EqualsNoCase(store.info[i].name, name)) {
      store.EraseLine(i);
      removed = true;
    }
  }
  return removed ? Save(store) : Result::NotFound;
}

Result DeleteTree(Hive hive, const std::string& key) {
  Store store;
  KeyPath path;
  Result opened = OpenKey(hive, key, store, path);
  if (opened != Result::Ok)
    return opened;
  if (path.empty())
    return Result::Failed;  // the hive itself cannot go
  for (std::size_t i = store.info.size(); i-- > 0;) {
    const KeyPath* owner = store.Owner(i);
    if (owner && StartsWith(*owner, path))
      store.EraseLine(i);
  }
  return Save(store);
}

Result SubKeys(Hive hive, const std::string& key, std::vector<std::string>& names) {
  names.clear();
  Store store;
  KeyPath path;
  Result opened = OpenKey(hive, key, store, path);
  if (opened != Result::Ok)
    return opened;
  for (const LineInfo& line : store.info) {
    if (line.kind == Kind::Header && line.path && line.path->size() > path.size() && StartsWith(*line.path, path))
      names.push_back((*line.path)[path.size()]);
  }
  text_file::KeepFirstNoCase(names);
  return Result::Ok;
}

Result ValueNames(Hive hive, const std::string& key, std::vector<std::string>& names) {
  names.clear();
  Store store;
  KeyPath path;
  Result opened = OpenKey(hive, key, store, path);
  if (opened != Result::Ok)
    return opened;
  for (std::size_t i = 0; i < store.info.size(); ++i) {
    if (store.info[i].kind == Kind::Value && store.InKey(i, path))
      names.push_back(store.info[i].name);
  }
  text_file::KeepFirstNoCase(names);
  return Result::Ok;
}

}  // namespace os::registry
