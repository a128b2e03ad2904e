// File names are bytes: any name, listed by the preview, must stay one line
// of three fields that gives the name back, and must not break the JSON.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "cleanup/preview.h"
#include "tools/fuzz/fuzz_support.h"

namespace {

std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  cleanup::Preview preview;
  cleanup::PreviewItem item;
  item.id = ItemId::FreeSpaceTemp;
  cleanup::PreviewEntry entry;
  entry.what = "/tmp/" + name;
  entry.bytes = size;
  item.entries.push_back(entry);
  item.problems.push_back({10500, name});
  preview.items.push_back(item);

  const std::string lines = cleanup::PreviewLines(preview);
  const std::size_t first = lines.find('\n');
  FUZZ_CHECK(first != std::string::npos);
  const std::string line = lines.substr(0, first);
  FUZZ_CHECK(std::count(line.begin(), line.end(), '\t') == 2);
  FUZZ_CHECK(Unescaped(line.substr(line.rfind('\t') + 1)) == entry.what);
  FUZZ_CHECK(lines.compare(first + 1, 6, "Total\t") == 0);

  const nlohmann::json document = nlohmann::json::parse(cleanup::PreviewJson(preview), nullptr, false);
  FUZZ_CHECK(!document.is_discarded());
  FUZZ_CHECK(document["total"] == size);
  return 0;
}
