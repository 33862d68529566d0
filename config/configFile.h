// One configuration source and the interpreter of its directives, which act
// on a launch description. A source is a file, or a text handed in whole
// (the comment of the archive appended to the executable).
#ifndef LAUNCHER_CONFIG_CONFIGFILE_H
#define LAUNCHER_CONFIG_CONFIGFILE_H

class javaVm;

class configFile {
 public:
  // File source: takes over `name` and reads the whole file now. Throws
  // "Unable to open '%s'" when it cannot be read.
  configFile(char* name, javaVm* vm);
  // Handed-in text: takes over `name` and `text` (a writable owned buffer).
  configFile(char* name, javaVm* vm, char* text);
  // Frees the strings; the launch description is not touched.
  ~configFile();
  configFile(const configFile&) = delete;
  configFile& operator=(const configFile&) = delete;

  // Borrowed; the source's path (the executable's for the archive comment).
  const char* getName() const { return name; }
  // Borrowed; the canonical directory against which relative paths resolve.
  const char* getDirectory() const { return directory; }

  // Carries out every directive of the text in order, nested sources depth
  // first; throws the first failure. Cuts the text in place, so a source is
  // parsed once. A source that includes itself, directly or through others,
  // ends with "Configuration '%s' includes itself.".
  void parse();
  // Carries out one trimmed line (writable; it is cut in place).
  void parseLine(char* line);

  // The directory directives take the raw argument; addJars adds to the boot
  // path when `boot` is non-zero, else to the class path.
  void includeDir(const char* argument);
  void addJars(const char* argument, int boot);
  void copyEnvironment(const char* variable);
  // Writes the environment to a new dump file, passes its path to Java as
  // "-Dtavimor.exportenv=" and registers it for deletion.
  void exportEnvironment();

 private:
  javaVm* vm;       // borrowed; outlives this object
  char* name;       // owned
  char* directory;  // owned
  char* text;       // owned
};

// Carries out a directive that the common table does not know. Returns 0
// when it did, any other value when it does not know it either. One per
// deliverable; both currently know none and return -1.
int specialDirective(javaVm* vm, configFile* source, const char* keyword,
                     const char* argument);

#endif
