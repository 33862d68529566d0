// Long command lines: Linux refuses to execute a program when one argument
// exceeds 128 KiB or all of them with the environment exceed the system's
// limit. Java 9 and later read their options from an argument file instead
// ("java @file").
#ifndef LAUNCHER_VM_UNIX_ARGUMENTFILE_H
#define LAUNCHER_VM_UNIX_ARGUMENTFILE_H

#include <string>

// True when `argv` (null-terminated) together with the current environment
// fits the limits of execv.
bool commandLineFits(char* const* argv);

// Returns `argument` quoted for a Java argument file: in double quotes, with
// backslash, double quote and line breaks escaped.
std::string quoteForArgumentFile(const char* argument);

// Writes the arguments `argv` (null-terminated; argv[0], the program, is
// left out) into a new file under /tmp, one quoted argument per line, and
// returns its new path. Throws "Unable to create temporary file." or
// "Failed to write to temporary file.".
char* writeArgumentFile(char* const* argv);

#endif
