#include "os/profile.h"

#include <optional>

#include "os/linux/text_file.h"

// The file is kept as a list of lines; an edit touches only the lines it is
// about, so comments, unknown lines, blank lines and each line's own line end
// survive. Lines: "[section]", "key=value", ";comment"; anything else (a "["
// without "]", a line without "=", binary garbage) is kept but never matches.
// Keys before the first section header belong to no section.

namespace os::profile {

namespace {

using text_file::EqualsNoCase;
using text_file::TrimBlanks;

enum class Kind { Other, Blank, Comment, Section, Entry };

struct LineInfo {
  Kind kind = Kind::Other;
  std::string name;                    // section or key name, trimmed
  std::size_t valueStart = 0;          // entries: offset just after '='
  std::optional<std::string> section;  // the section the line lies in
};

LineInfo Classify(const std::string& text) {
  LineInfo info;
  std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty()) {
    info.kind = Kind::Blank;
  } else if (trimmed.front() == ';') {
    info.kind = Kind::Comment;
  } else if (trimmed.front() == '[') {
    std::size_t close = trimmed.find(']');
    if (close != std::string_view::npos) {
      info.kind = Kind::Section;
      info.name = std::string(TrimBlanks(trimmed.substr(1, close - 1)));
    }
  } else if (std::size_t equals = text.find('='); equals != std::string::npos) {
    std::string_view key = TrimBlanks(std::string_view(text).substr(0, equals));
    if (!key.empty()) {
      info.kind = Kind::Entry;
      info.name = std::string(key);
      info.valueStart = equals + 1;
    }
  }
  return info;
}

struct Document {
  text_file::Lines text;
  std::vector<LineInfo> info;

  void Analyse() {
    info.clear();
    info.reserve(text.lines.size());
    std::optional<std::string> section;
    for (const text_file::Line& line : text.lines) {
      LineInfo current = Classify(line.text);
      if (current.kind == Kind::Section)
        section = current.name;
      current.section = section;
      info.push_back(std::move(current));
    }
  }

  bool InSection(std::size_t index, std::string_view section) const {
    return info[index].section && EqualsNoCase(*info[index].section, section);
  }

  std::optional<std::size_t> FindEntry(std::string_view section, std::string_view key) const {
    for (std::size_t i = 0; i < info.size(); ++i) {
      if (info[i].kind == Kind::Entry && InSection(i, section) && EqualsNoCase(info[i].name, key))
        return i;
    }
    return std::nullopt;
  }
};

enum class Load { Ok, Missing, Failed };

Load LoadDocument(const std::string& file, Document& document) {
  std::string content;
  switch (text_file::Read(file, content)) {
    case text_file::ReadStatus::Failed:
      return Load::Failed;
    case text_file::ReadStatus::Missing:
      document.Analyse();
      return Load::Missing;
    case text_file::ReadStatus::Ok:
      break;
  }
  document.text = text_file::Split(content);
  document.Analyse();
  return Load::Ok;
}

bool Save(const std::string& file, const Document& document) { return text_file::Replace(file, document.text.Join()); }

// A section name that would not read back as itself is refused.
bool ValidSection(std::string_view section) {
  return !section.empty() && section.find_first_of(std::string_view("]\r\n\0", 4)) == std::string_view::npos;
}

bool ValidKey(std::string_view key) {
  return !key.empty() && key.front() != '[' && key.front() != ';' &&
         key.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

// A line break in a value would end the line early and let the rest pass for
// another key, so such values are refused.
bool ValidValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string Unquote(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

// Reading trims blanks and drops one pair of quotes; quoting the values that
// would lose something that way makes every value read back unchanged.
std::string Encode(const std::string& value) {
  bool needsQuotes = !value.empty() && (text_file::IsBlank(value.front()) || text_file::IsBlank(value.back()) ||
                                        (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
  return needsQuotes ? "\"" + value + "\"" : value;
}

// Length of the UTF-8 sequence at index; a malformed byte counts alone.
std::size_t SequenceLength(std::string_view text, std::size_t index) {
  unsigned char lead = static_cast<unsigned char>(text[index]);
  std::size_t length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  if (length == 1 || index + length > text.size())
    return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[index + k]) & 0xC0) != 0x80)
      return 1;
  }
  return length;
}

// Like a fixed caller buffer: at most bufferSize - 1 characters, never a
// split multi-byte character.
std::string Cut(std::string_view text, std::size_t bufferSize) {
  if (bufferSize == 0)
    return {};
  std::size_t characters = 0;
  std::size_t end = 0;
  while (end < text.size() && characters < bufferSize - 1) {
    end += SequenceLength(text, end);
    ++characters;
  }
  return std::string(text.substr(0, end));
}

}  // namespace

std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, std::size_t bufferSize) {
  std::string_view wantedSection = TrimBlanks(section);
  std::string_view wantedKey = TrimBlanks(key);
  Document document;
  if (wantedSection.empty() || wantedKey.empty() || LoadDocument(file, document) != Load::Ok)
    return Cut(defaultValue, bufferSize);
  std::optional<std::size_t> entry = document.FindEntry(wantedSection, wantedKey);
  if (!entry)
    return Cut(defaultValue, bufferSize);
  const LineInfo& info = document.info[*entry];
  return Cut(Unquote(std::string_view(document.text.lines[*entry].text).substr(info.valueStart)), bufferSize);
}

namespace {

// Sets one key in the loaded document; false when a name or the value
// cannot be written. `changed` tells whether the text changed.
bool Put(Document& document, const std::string& section, const std::string& key, const std::string& value,
         bool& changed) {
  std::string wantedSection(TrimBlanks(section));
  std::string wantedKey(TrimBlanks(key));
  if (!ValidSection(wantedSection) || !ValidKey(wantedKey) || !ValidValue(value))
    return false;
  changed = true;
  if (std::optional<std::size_t> entry = document.FindEntry(wantedSection, wantedKey)) {
    // Keep the key as spelled in the file and the blanks after '='.
    std::string& text = document.text.lines[*entry].text;
    std::size_t valueStart = document.info[*entry].valueStart;
    while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
      ++valueStart;
    std::string replaced = text.substr(0, valueStart) + Encode(value);
    changed = replaced != text;
    text = std::move(replaced);
    return true;
  }

  std::string line = wantedKey + "=" + Encode(value);
  const std::vector<LineInfo>& info = document.info;
  for (std::size_t header = 0; header < info.size(); ++header) {
    if (info[header].kind != Kind::Section || !EqualsNoCase(info[header].name, wantedSection))
      continue;
    // After the section's last line of content: blank lines and comments
    // that trail it usually introduce what follows.
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < info.size() && info[i].kind != Kind::Section; ++i) {
      if (info[i].kind != Kind::Blank && info[i].kind != Kind::Comment)
        insertAt = i + 1;
    }
    document.text.Insert(insertAt, std::move(line));
    return true;
  }

  std::size_t end = document.text.lines.size();
  document.text.Insert(end, "[" + wantedSection + "]");
  document.text.Insert(end + 1, std::move(line));
  return true;
}

}  // namespace

bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  return WriteStrings(file, section, {{key, value}});
}

bool WriteStrings(const std::string& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
  Document document;
  if (LoadDocument(file, document) == Load::Failed)
    return false;
  bool anyChange = false;
  for (const auto& [key, value] : entries) {
    bool changed = false;
    if (!Put(document, section, key, value, changed))
      return false;
    if (!changed)
      continue;
    anyChange = true;
    document.Analyse();  // later keys are looked up in the edited text
  }
  return !anyChange || Save(file, document);
}

bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  std::string_view wantedSection = TrimBlanks(section);
  std::string_view wantedKey = TrimBlanks(key);
  Document document;
  Load loaded = LoadDocument(file, document);
  if (loaded == Load::Failed)
    return false;
  if (loaded == Load::Missing || wantedSection.empty() || wantedKey.empty())
    return true;
  // Every copy goes, or a duplicate further down would surface in its place.
  bool removed = false;
  for (std::size_t i = document.info.size(); i-- > 0;) {
    const LineInfo& info = document.info[i];
    if (info.kind == Kind::Entry && document.InSection(i, wantedSection) && EqualsNoCase(info.name, wantedKey)) {
      document.text.lines.erase(document.text.lines.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return !removed || Save(file, document);
}

bool DeleteSection(const std::string& file, const std::string& section) {
  std::string_view wantedSection = TrimBlanks(section);
  Document document;
  Load loaded = LoadDocument(file, document);
  if (loaded == Load::Failed)
    return false;
  if (loaded == Load::Missing || wantedSection.empty())
    return true;
  bool removed = false;
  for (std::size_t i = document.info.size(); i-- > 0;) {
    if (document.InSection(i, wantedSection)) {
      document.text.lines.erase(document.text.lines.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return !removed || Save(file, document);
}

std::vector<std::string> SectionNames(const std::string& file) {
  std::vector<std::string> names;
  Document document;
  if (LoadDocument(file, document) != Load::Ok)
    return names;
  for (const LineInfo& info : document.info) {
    if (info.kind == Kind::Section && !info.name.empty())
      names.push_back(info.name);
  }
  text_file::KeepFirstNoCase(names);
  return names;
}

std::vector<std::string> KeyNames(const std::string& file, const std::string& section) {
  std::vector<std::string> names;
  std::string_view wantedSection = TrimBlanks(section);
  Document document;
  if (wantedSection.empty() || LoadDocument(file, document) != Load::Ok)
    return names;
  for (std::size_t i = 0; i < document.info.size(); ++i) {
    if (document.info[i].kind == Kind::Entry && document.InSection(i, wantedSection))
      names.push_back(document.info[i].name);
  }
  text_file::KeepFirstNoCase(names);
  return names;
}

}  // namespace os::profile
