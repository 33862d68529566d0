#include "vm/fileAssociation.h"

#include <cstdio>

namespace {

const char* shown(const char* s) { return s ? s : "(null)"; }

// The C strings of four Java strings, released when it goes out of scope.
class utfArguments {
 public:
  utfArguments(JNIEnv* env, jstring a, jstring b, jstring c, jstring d)
      : env(env), strings{a, b, c, d} {
    for (int i = 0; i < 4; i++)
      chars[i] = strings[i] ? env->GetStringUTFChars(strings[i], nullptr)
                            : nullptr;
  }
  ~utfArguments() {
    for (int i = 0; i < 4; i++)
      if (chars[i]) env->ReleaseStringUTFChars(strings[i], chars[i]);
  }
  const char* operator[](int i) const { return chars[i]; }

 private:
  JNIEnv* env;
  jstring strings[4];
  const char* chars[4];
};

}  // namespace

JNINativeMethod methods[2] = {
    {const_cast<char*>("checkAssociation0"),
     const_cast<char*>(
         "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;"
         "Ljava/lang/String;)Z"),
     reinterpret_cast<void*>(checkAssociation_stub)},
    {const_cast<char*>("addAssociation0"),
     const_cast<char*>(
         "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;"
         "Ljava/lang/String;)V"),
     reinterpret_cast<void*>(addAssociation_stub)},
};

jboolean JNICALL checkAssociation_stub(JNIEnv* env, jclass, jstring a,
                                       jstring b, jstring c, jstring d) {
  utfArguments args(env, a, b, c, d);
  return checkAssociation(args[0], args[1], args[2], args[3]) ? JNI_TRUE
                                                              : JNI_FALSE;
}

void JNICALL addAssociation_stub(JNIEnv* env, jclass, jstring a, jstring b,
                                 jstring c, jstring d) {
  utfArguments args(env, a, b, c, d);
  addAssociation(args[0], args[1], args[2], args[3]);
}

void echoAssociationCall(const char* name, const char* a, const char* b,
                         const char* c, const char* d) {
  printf("%s(%s, %s, %s, %s)\n", name, shown(a), shown(b), shown(c), shown(d));
  fflush(stdout);
}
