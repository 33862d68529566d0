#include "util/stringArray.h"

#include "util/strings.h"

stringArray::stringArray() : items(nullptr), count(0), capacity(0) {}

stringArray::~stringArray() {
  for (int i = 0; i < count; i++) delete[] items[i];
  delete[] items;
}

void stringArray::append(char* s) {
  if (count == capacity) {
    int32_t grownCapacity = capacity < 8 ? 8 : capacity * 2;
    char** grown = new char*[grownCapacity];
    for (int i = 0; i < count; i++) grown[i] = items[i];
    delete[] items;
    items = grown;
    capacity = grownCapacity;
  }
  items[count++] = s;
}

void stringArray::remove(int i) {
  if (i < 0 || i >= count)
    throw createStringCopy("stringArray.remove: Array index out of bounds.");
  delete[] items[i];
  for (int j = i + 1; j < count; j++) items[j - 1] = items[j];
  if (--count == 0) {
    delete[] items;
    items = nullptr;
    capacity = 0;
  }
}

int stringArray::find(const char* s,
                      int (*compare)(const char*, const char*)) const {
  for (int i = 0; i < count; i++)
    if (compare(s, items[i]) == 0) return i;
  return -1;
}

char* stringArray::operator[](int i) const {
  if (i < 0 || i >= count)
    throw createStringCopy("stringArray[]: Array index out of bounds.");
  return items[i];
}
