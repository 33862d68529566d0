// A growable byte buffer in which paths, options and the environment dump
// are assembled. It keeps no terminator; createString() makes a terminated
// copy.
#ifndef LAUNCHER_UTIL_STRINGBUFFER_H
#define LAUNCHER_UTIL_STRINGBUFFER_H

#include <cstdint>

class stringBuffer {
 public:
  stringBuffer();
  ~stringBuffer();
  stringBuffer(const stringBuffer&) = delete;
  stringBuffer& operator=(const stringBuffer&) = delete;

  // Forgets the content but keeps the allocation.
  void clear();
  // Grows the allocation by max(n, 256) bytes.
  void extend(int n);
  void append(char c);
  void append(const char* s);
  // Adds the `n` bytes at `s`, NUL bytes included.
  void append(const char* s, int n);
  // Adds `s` as 7-bit text: a backslash becomes two, each byte 0x01-0x1F
  // and 0x80-0xFF becomes \u00 and two lower-case hex digits.
  void appendUnicode(const char* s);
  // Returns a new terminated copy of the content. The caller frees it.
  char* createString() const;

  int getLength() const { return length; }
  int getCapacity() const { return capacity; }

 private:
  int32_t capacity;
  int32_t length;
  char* buffer;  // new[]; null until the first growth
};

#endif
