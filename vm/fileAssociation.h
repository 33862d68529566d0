// The two native methods that the in-process runner binds on the
// application's class "com/tavimor/lumenwork/util/FileAssociation".
#ifndef LAUNCHER_VM_FILEASSOCIATION_H
#define LAUNCHER_VM_FILEASSOCIATION_H

#include <jni.h>

// The table handed to RegisterNatives: checkAssociation0 and
// addAssociation0, each static and taking four strings.
extern JNINativeMethod methods[2];

// JNI entry points. They pass the four strings as modified UTF-8 C strings
// (null for a null Java string) to the platform function, then release each
// one they obtained.
jboolean JNICALL checkAssociation_stub(JNIEnv* env, jclass cls, jstring a,
                                       jstring b, jstring c, jstring d);
void JNICALL addAssociation_stub(JNIEnv* env, jclass cls, jstring a,
                                 jstring b, jstring c, jstring d);

// Platform functions, one pair per deliverable. Neither changes the system:
// under "+DEBUG" each echoes its call on standard output (a null string
// shows as "(null)"), and checkAssociation always answers 0.
int checkAssociation(const char* a, const char* b, const char* c,
                     const char* d);
void addAssociation(const char* a, const char* b, const char* c,
                    const char* d);

// Writes "<name>(a, b, c, d)\n" on standard output, with "(null)" for a null
// string. Shared by the platform functions.
void echoAssociationCall(const char* name, const char* a, const char* b,
                         const char* c, const char* d);

#endif
