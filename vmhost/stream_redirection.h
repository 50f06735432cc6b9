#pragma once

// Points System.out and System.err at the configured files, inside the VM, right after it was
// created and before the main class is looked up (main thread). A "%...%" picture in a name
// becomes the local time (time_stamp.h); the folders on the way to a file are created.

#include "vmhost/vm_session.h"

#include <jni.h>

#include <string>

enum class StandardStream { output, error };

// Installs a PrintStream on a FileOutputStream of name (relative names resolve against the
// current folder). False when any step failed; a Java exception may then be pending.
bool redirectStream(JNIEnv* env, const std::string& name, bool append, StandardStream target);

// Expands the pictures of the two file names with one reading of the clock, then redirects
// standard output and after it standard error through env. A failed redirection is described
// by the VM on its standard error as it stands then, and the start goes on.
void redirectStandardStreams(StreamFiles streams, JNIEnv* env);

// name when it is absolute, else name in the current folder (platform).
std::string absoluteFilePath(const std::string& name);
