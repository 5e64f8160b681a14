/* Windows side only: the machine-dependent part of the JNI headers for the
   32-bit Windows build. The Java runtime's jvm.dll uses the stdcall convention
   for every JNI function, and its jint is a 32-bit long. */
#ifndef HARVELLA_WIN32_JNI_MD_H
#define HARVELLA_WIN32_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
