#include "pack/manifest.h"

#include <strings.h>

#include <vector>

#include "pack/zipArchive.h"

namespace {

// The logical lines of the main section, continuations joined.
std::vector<std::string> mainSectionLines(const std::string& manifest) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < manifest.size()) {
    size_t end = manifest.find_first_of("\r\n", at);
    if (end == std::string::npos) end = manifest.size();
    std::string line = manifest.substr(at, end - at);
    at = end + 1;
    if (manifest.compare(end, 2, "\r\n") == 0) at++;
    if (line.empty()) break;
    if (line[0] == ' ' && !lines.empty())
      lines.back() += line.substr(1);
    else
      lines.push_back(line);
  }
  return lines;
}

std::string trimBlanks(const std::string& s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::string> findManifestAttribute(const std::string& manifest,
                                                 const std::string& name) {
  for (const std::string& line : mainSectionLines(manifest)) {
    size_t colon = line.find(':');
    if (colon != name.size() ||
        strncasecmp(line.c_str(), name.c_str(), colon) != 0)
      continue;
    return trimBlanks(line.substr(colon + 1));
  }
  return std::nullopt;
}

std::optional<std::string> readManifestMainClass(const char* jarPath) {
  std::optional<std::string> manifest =
      readArchiveEntry(jarPath, "META-INF/MANIFEST.MF");
  if (!manifest) return std::nullopt;
  std::optional<std::string> mainClass =
      findManifestAttribute(*manifest, "Main-Class");
  if (!mainClass || mainClass->empty()) return std::nullopt;
  return mainClass;
}
