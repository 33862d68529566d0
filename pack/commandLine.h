// The command line of launcher-pack.
#ifndef LAUNCHER_PACK_COMMANDLINE_H
#define LAUNCHER_PACK_COMMANDLINE_H

#include <string>

#include "pack/packer.h"

struct packCommand {
  enum { pack, show, help, version } action = pack;
  packRequest request;  // for pack; launcher "" means the default one
  std::string showFile;
};

// Reads the arguments after argument 0. Options take their value as the
// next argument or after "=" ("-o" also joined: "-oOUT"); "--" ends the
// options. "--help" and "--version" end the reading at once. Throws a
// one-line usage message for an unknown option, a missing or empty value,
// a missing output or archive, a second archive, or "--show" mixed with
// packing options.
packCommand parsePackCommand(int argc, const char* const* argv);

// The text printed by "--help".
extern const char* const packUsage;

#endif
