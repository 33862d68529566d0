// The manifest of a Java archive: where the application names its main
// class.
#ifndef LAUNCHER_PACK_MANIFEST_H
#define LAUNCHER_PACK_MANIFEST_H

#include <optional>
#include <string>

// The value of the attribute `name` in the main section of `manifest`
// (everything before its first empty line), or nothing when absent. Names
// compare without regard to ASCII letter case; lines end in CR LF, LF or
// CR; a line starting with one space continues the previous one. Blanks
// around the value are dropped.
std::optional<std::string> findManifestAttribute(const std::string& manifest,
                                                 const std::string& name);

// The "Main-Class" of the manifest of the archive ending the file at
// `jarPath`, or nothing when the archive has no manifest, its manifest
// names no main class or an empty one. Throws what readArchiveEntry throws.
std::optional<std::string> readManifestMainClass(const char* jarPath);

#endif
