/* Machine-dependent JNI types and linkage of 64-bit Windows, for the cross build: the JDK
   installed here ships only its Linux header. Windows has 32-bit long (LLP64). */
#pragma once

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;
