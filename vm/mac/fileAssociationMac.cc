// The Mac platform functions of the file-association natives: they make no
// system change and report that no association exists.
#include "util/processGlobals.h"
#include "vm/fileAssociation.h"

int checkAssociation(const char* a, const char* b, const char* c,
                     const char* d) {
  if (debug) echoAssociationCall("checkAssociation", a, b, c, d);
  return 0;
}

void addAssociation(const char* a, const char* b, const char* c,
                    const char* d) {
  if (debug) echoAssociationCall("addAssociation", a, b, c, d);
}
