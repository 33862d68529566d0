#include "util/processGlobals.h"

int debug = 0;
char* HACKexePath = nullptr;
char** HACKargv = nullptr;
stringArray HACKtempFileArray;
