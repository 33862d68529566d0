// Creation of a new file with a unique name from a template.
#ifndef LAUNCHER_UTIL_UNIQUEFILE_H
#define LAUNCHER_UTIL_UNIQUEFILE_H

// Replaces every trailing "X" of `pathTemplate` (writable, at least one X)
// with random letters and digits and creates that file new (O_EXCL), mode
// 0600, close-on-exec, retrying with other names while a name is taken.
// Returns the open descriptor, or -1 with errno set; `pathTemplate` then
// holds the last name tried.
int createUniqueFile(char* pathTemplate);

#endif
