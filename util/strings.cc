#include "util/strings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char* createStringCopy(const char* s) {
  size_t n = strlen(s) + 1;
  char* copy = new char[n];
  memcpy(copy, s, n);
  return copy;
}

char* createString(const char* a, const char* b) {
  size_t na = strlen(a);
  size_t nb = strlen(b) + 1;
  char* result = new char[na + nb];
  memcpy(result, a, na);
  memcpy(result + na, b, nb);
  return result;
}

void throwMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length < 0) length = 0;
  char* message = new char[length + 1];
  vsnprintf(message, length + 1, format, again);
  va_end(again);
  throw message;
}
