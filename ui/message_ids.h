#pragma once

// Identifiers of the string-table entries. The texts live in resources/ in every language.
namespace MessageId {
constexpr int windowsException = 202;       // "Windows exception: %s (errno = %d).\n"
constexpr int jniExceptionWithReason = 203; // "JNI exception: %s\nReason: %s.\n"
constexpr int comError = 204;
constexpr int jniException = 205;
constexpr int jreNotFoundServer = 206;
constexpr int jreNotFound = 207;
constexpr int modulePathFailed = 208;
constexpr int classPathMissing = 209;
constexpr int mainClassMissing = 210;
constexpr int mainClassLoadFailed = 211;
constexpr int createJavaVmMissing = 212;
constexpr int createVmFailed = 213;
constexpr int browseForJreFolder = 214;
constexpr int mainClassNotFound = 215;
constexpr int mainMethodNotFound = 216;
constexpr int latestVersion = 217;
constexpr int maximumVersion = 218;
constexpr int minimumVersion = 219;
constexpr int exactVersion = 220;
constexpr int versionBetween = 221;
constexpr int vmLibraryLoadFailed = 222;
constexpr int initializeFailed = 223;
constexpr int initializeModuleFailed = 224;
constexpr int reasonUnknown = 225;
constexpr int reasonDetached = 226;
constexpr int reasonVersion = 227;
constexpr int reasonNoMemory = 228;
constexpr int reasonExists = 229;
constexpr int reasonInvalidArguments = 230;
constexpr int first = 202;
constexpr int last = 230;
} // namespace MessageId
