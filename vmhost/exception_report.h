#pragma once

// The report of a throwable that main left uncaught: its own printStackTrace output, shown to
// the user with the choice to ignore it or to stop the application. Main thread only; every
// JNI call uses that thread's environment. No exception may be pending on entry.

#include <jni.h>

#include <string>

// What the throwable's printStackTrace(PrintStream) writes, as UTF-8; empty when any step
// fails (an exception raised on the way is printed to the VM's standard error first).
std::string describeThrowable(jthrowable throwable, JNIEnv* env);

// Shows the report in the "Java Exception" dialog; true when the application is to stop.
// A throwable that describes itself with nothing shows no dialog and gives false.
bool reportUncaughtException(jthrowable throwable, JNIEnv* env);
