#include "util/stringBuffer.h"

#include <cstring>

stringBuffer::stringBuffer() : capacity(0), length(0), buffer(nullptr) {}

stringBuffer::~stringBuffer() { delete[] buffer; }

void stringBuffer::clear() { length = 0; }

void stringBuffer::extend(int n) {
  int grow = n < 256 ? 256 : n;
  char* grown = new char[capacity + grow];
  if (buffer) {
    memcpy(grown, buffer, length);
    delete[] buffer;
  }
  buffer = grown;
  capacity += grow;
}

void stringBuffer::append(char c) {
  if (length == capacity) extend(1);
  buffer[length++] = c;
}

void stringBuffer::append(const char* s) { append(s, (int)strlen(s)); }

void stringBuffer::append(const char* s, int n) {
  int excess = length + n - capacity;
  if (excess > 0) extend(excess);
  if (n > 0) memcpy(buffer + length, s, n);
  length += n;
}

void stringBuffer::appendUnicode(const char* s) {
  static const char hex[] = "0123456789abcdef";
  const signed char* p = reinterpret_cast<const signed char*>(s);
  for (;;) {
    const signed char* run = p;
    while (*p > 31 && *p != '\\') p++;
    if (p > run) append(reinterpret_cast<const char*>(run), (int)(p - run));
    if (*p == 0) return;
    if (*p == '\\') {
      append("\\\\", 2);
    } else {
      unsigned char byte = (unsigned char)*p;
      char escape[6] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 15]};
      append(escape, 6);
    }
    p++;
  }
}

char* stringBuffer::createString() const {
  char* result = new char[length + 1];
  if (length > 0) memcpy(result, buffer, length);
  result[length] = 0;
  return result;
}
