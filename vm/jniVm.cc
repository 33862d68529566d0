#include "vm/jniVm.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver/restart.h"
#include "util/platformConventions.h"
#include "util/processGlobals.h"
#include "util/strings.h"
#include "vm/fileAssociation.h"
#include "vm/javaRuntimeVersion.h"

javaVm* HACKvm = nullptr;
volatile jint jniExitCode = 0;

namespace {

void trace(const char* format, const char* text) {
  if (debug) printf(format, text);
}

}  // namespace

jniVm::jniVm() : jvm(nullptr), env(nullptr) {}

jniVm::~jniVm() {}

void jniVm::run() {
  if (!mainClass) throw createStringCopy("Main class not defined.");
  jniCreateVmFunction create = getJniCreateVmPtr(javaPath);
  if (!create) throw createStringCopy("No Java VM entry point available.");

  stringArray ownedOptions;
  std::vector<JavaVMOption> options(vmOptions.size() + 5);
  int count = 0;
  options[count].optionString = const_cast<char*>("exit");
  options[count++].extraInfo = reinterpret_cast<void*>(exitHook);
  HACKvm = this;

  trace("%s ", javaPath ? javaPath : "java");
  if (classPath.size() > 0) {
    ownedString joined(createPath(&classPath));
    char* option = createString("-Djava.class.path=", joined.get());
    ownedOptions.append(option);
    options[count].optionString = option;
    options[count++].extraInfo = nullptr;
    trace("%s ", option);
  }
  if (bootPath.size() > 0) {
    ownedString joined(createPath(&bootPath));
    int version = getLibraryRuntimeVersion(reinterpret_cast<void*>(create));
    char* option = createString(getBootClassPathOption(version), joined.get());
    ownedOptions.append(option);
    options[count].optionString = option;
    options[count++].extraInfo = nullptr;
    trace("%s ", option);
  }
  for (int i = 0; i < vmOptions.size(); i++) {
    options[count].optionString = vmOptions[i];
    options[count++].extraInfo = nullptr;
    trace("%s ", vmOptions[i]);
  }
  trace("%s", mainClass);
  fflush(stdout);

  JavaVMInitArgs args;
  args.version = JNI_VERSION_1_2;
  args.nOptions = count;
  args.options = options.data();
  args.ignoreUnrecognized = JNI_FALSE;
  if (create(&jvm, reinterpret_cast<void**>(&env), &args) != 0)
    throw createStringCopy("VM creation failed.");
  options.clear();

  try {
    callMain();
  } catch (jniException&) {
    env->ExceptionDescribe();
    env->ExceptionClear();
  }
  jvm->DestroyJavaVM();
}

void jniVm::callMain() {
  jclass association =
      env->FindClass("com/tavimor/lumenwork/util/FileAssociation");
  if (association) {
    env->RegisterNatives(association, methods, 2);
    jniCheck();
  } else {
    env->ExceptionClear();
  }
  jclass stringClass = env->FindClass("java/lang/String");
  jniCheck();
  jobjectArray arguments =
      env->NewObjectArray(params.size(), stringClass, nullptr);
  jniCheck();
  for (int i = 0; i < params.size(); i++) {
    trace(" %s", params[i]);
    jstring argument = platformToJavaString(params[i]);
    jniCheck();
    env->SetObjectArrayElement(arguments, i, argument);
    jniCheck();
    env->DeleteLocalRef(argument);
  }
  trace("%s", "\n");
  fflush(stdout);
  jclass mainClassRef = env->FindClass(mainClass);
  jniCheck();
  jmethodID mainMethod =
      env->GetStaticMethodID(mainClassRef, "main", "([Ljava/lang/String;)V");
  jniCheck();
  env->CallStaticVoidMethod(mainClassRef, mainMethod, arguments);
  jniCheck();
  setExitCode(jniExitCode);
}

void jniVm::jniCheck() {
  jthrowable pending = env->ExceptionOccurred();
  if (pending) throw jniException(pending);
}

jstring jniVm::platformToJavaString(const char* s) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (!stringClass) return nullptr;
  jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([B)V");
  if (!constructor) return nullptr;
  jsize length = (jsize)strlen(s);
  jbyteArray bytes = env->NewByteArray(length);
  if (!bytes) return nullptr;
  env->SetByteArrayRegion(bytes, 0, length,
                          reinterpret_cast<const jbyte*>(s));
  jstring result =
      static_cast<jstring>(env->NewObject(stringClass, constructor, bytes));
  env->DeleteLocalRef(bytes);
  env->DeleteLocalRef(stringClass);
  return result;
}

void JNICALL exitHook(jint code) {
  // Only the first caller ends the process; another thread that asks to
  // exit meanwhile waits here until it does.
  static std::atomic<bool> exiting(false);
  if (exiting.exchange(true)) {
    for (;;) pause();
  }
  jniExitCode = code;
  for (int i = 0; i < HACKtempFileArray.size(); i++)
    deleteTempFile(HACKtempFileArray[i]);
  if (HACKvm) {
    HACKvm->setExitCode(code);
    if (HACKvm->shouldRestart()) {
      fflush(nullptr);
      HACKrestart();
    }
  }
  exit(code);
}
