// Owned strings: NUL-terminated arrays made with new[] and freed with
// delete[] by their single holder. Every function named create* returns one.
#ifndef LAUNCHER_UTIL_STRINGS_H
#define LAUNCHER_UTIL_STRINGS_H

#include <memory>

// Holds an owned string inside a function so that a thrown message cannot
// leak it. release() hands the string over to a new owner.
typedef std::unique_ptr<char[]> ownedString;

// Returns a new copy of `s`. The caller frees it.
char* createStringCopy(const char* s);

// Returns a new string holding `a` followed by `b`. The caller frees it.
char* createString(const char* a, const char* b);

// Formats a message printf-style into a new owned string of exactly the
// needed size (nothing is cut and nothing overflows) and throws it.
[[noreturn]] void throwMessage(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

#endif
