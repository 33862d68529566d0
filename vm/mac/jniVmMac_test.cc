#include "vm/mac/jniVmMac.h"

#include <gtest/gtest.h>

TEST(jniVmMac, entryPointIsTheLinkedCreateFunctionWhateverThePath) {
  jniVmMac vm;
  char javaPath[] = "/somewhere/else/bin/java";
  jniCreateVmFunction withPath = vm.getJniCreateVmPtr(javaPath);
  ASSERT_NE(nullptr, withPath);
  EXPECT_EQ(withPath, vm.getJniCreateVmPtr(nullptr));
  EXPECT_EQ(reinterpret_cast<jniCreateVmFunction>(JNI_CreateJavaVM), withPath);
}
