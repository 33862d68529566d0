#include "util/stringArray.h"

#include "util/strings.h"

stringArray::stringArray() : items(nullptr), count(0) {}

stringArray::~stringArray() {
  for (int i = 0; i < count; i++) delete[] items[i];
  delete[] items;
}

void stringArray::append(char* s) {
  char** grown = new char*[count + 1];
  for (int i = 0; i < count; i++) grown[i] = items[i];
  delete[] items;
  items = grown;
  items[count++] = s;
}

void stringArray::remove(int i) {
  if (i < 0 || i >= count)
    throw createStringCopy("stringArray.remove: Array index out of bounds.");
  char** shrunk = count > 1 ? new char*[count - 1] : nullptr;
  delete[] items[i];
  for (int j = 0, k = 0; j < count; j++)
    if (j != i) shrunk[k++] = items[j];
  delete[] items;
  items = shrunk;
  count--;
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
