// A list of owned strings that owns its elements.
#ifndef LAUNCHER_UTIL_STRINGARRAY_H
#define LAUNCHER_UTIL_STRINGARRAY_H

#include <cstdint>

class stringArray {
 public:
  stringArray();
  // Frees every element, then the pointer array.
  ~stringArray();
  stringArray(const stringArray&) = delete;
  stringArray& operator=(const stringArray&) = delete;

  // Adds `s` as the last element and takes ownership of it (no copy).
  // A null element is allowed. The pointer array grows geometrically, so
  // that a list of thousands of entries (a directory of jars) costs linear
  // time to build.
  void append(char* s);

  // Frees element `i` and closes the gap, keeping the order of the others.
  // Throws the owned message "stringArray.remove: Array index out of
  // bounds." when `i` is not a valid index; the list is then unchanged.
  void remove(int i);

  int size() const { return count; }

  // Returns the lowest index whose element `compare(s, element)` reports
  // equal (0), or -1.
  int find(const char* s, int (*compare)(const char*, const char*)) const;

  // Returns element `i` itself; the list still owns it. Throws the owned
  // message "stringArray[]: Array index out of bounds." on a bad index.
  char* operator[](int i) const;

 private:
  char** items;  // `capacity` slots, the first `count` used; null when empty
  int32_t count;
  int32_t capacity;
};

#endif
