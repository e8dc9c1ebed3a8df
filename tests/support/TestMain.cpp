// GoogleTest's main for the Windows test programs.
//
// GoogleTest hands every failure and skip message to OutputDebugStringA,
// which raises DBG_PRINTEXCEPTION_C for a debugger to pick up. With no
// debugger attached, the exception is settled here at once instead of by a
// search and unwind through kernelbase: 32-bit Wine under qemu-i386 cannot
// survive that unwind while a second thread runs, and the test program would
// die instead of reporting its result. A debugger still sees the message
// first, before any vectored handler.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

LONG CALLBACK SettleDebugPrint(EXCEPTION_POINTERS* exception) {
  return exception->ExceptionRecord->ExceptionCode == DBG_PRINTEXCEPTION_C ? EXCEPTION_CONTINUE_EXECUTION
                                                                           : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
  if (!IsDebuggerPresent()) AddVectoredExceptionHandler(1, SettleDebugPrint);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
