// Packaging: joins a launcher image and an application's Java archive into
// one executable whose archive comment carries the launch directives, and
// reads those directives back.
//
// Everything is checked before anything is written: the archive, the
// launcher image, the directives (through the launcher's own configuration
// reader, so a directive the launcher would refuse is refused here), their
// size and the main class. The result is written to a temporary file beside
// the output and renamed over it, so a failure leaves no output behind.
// Failures are thrown as owned message strings.
#ifndef LAUNCHER_PACK_PACKER_H
#define LAUNCHER_PACK_PACKER_H

#include <string>
#include <vector>

#include "vm/javaVm.h"

struct packRequest {
  std::string output;
  std::string launcher;
  std::string mainClass;  // "" when not given
  std::vector<std::string> vmParams;
  std::string directivesFile;  // "" when none
  std::string jar;
};

// Writes request.output (mode 0755): the launcher image, then the jar byte
// for byte except for its comment, which holds the directives: "mainclass"
// (from the request, else from the jar's manifest unless the directives
// file names one), a "vmparam" line for each option, then the lines of the
// directives file.
void packLauncher(const packRequest& request);

// The directive lines for the main class (none when empty) and the VM
// options, each ended by a line feed. Throws when a value is empty or holds
// a line break, which would split it into two directives.
std::string createCommandDirectives(const std::string& mainClass,
                                    const std::vector<std::string>& vmParams);

// The text of a directives file, ended by a line feed when its last line
// lacks one. Throws when it holds a NUL byte, which would end the launcher's
// reading there.
std::string createFileDirectives(const std::string& fileText,
                                 const std::string& fileName);

// Runs directives through the launcher's configuration reader on a launch
// description that runs nothing, as the launcher would read them from an
// executable at `sourceName` (relative paths resolve against its
// directory). The destructor deletes any temporary files that directives
// made.
class directiveCheck {
 public:
  explicit directiveCheck(const std::string& sourceName);
  ~directiveCheck();
  directiveCheck(const directiveCheck&) = delete;
  directiveCheck& operator=(const directiveCheck&) = delete;

  // Carries out `text` one line at a time; throws the reader's message as
  // "<origin>, line N: <message>".
  void check(const std::string& text, const std::string& origin);
  // The main class the directives checked so far set, "" when none.
  std::string mainClass() const;

 private:
  class scratchVm : public javaVm {
   public:
    void run() override {}
  };
  scratchVm vm;
  std::string sourceName;
  int sharedTempFiles;  // entries of HACKtempFileArray before the check
};

// The directives carried by the file at `path`, found exactly as the
// launcher finds them. Throws "'%s' carries no directives..." when it is
// too small for an archive, has no archive comment or an empty one.
std::string readCarriedDirectives(const char* path);

// The launcher image used when none is named: launcher-unix beside this
// program, found through /proc/self/exe, else through `argv0`.
std::string defaultLauncherPath(const char* argv0);

#endif
