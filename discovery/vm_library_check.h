#pragma once

// The existence test of the runtime search, and the check whether a VM library the user
// named is a 32-bit x86 image that only the paired launcher can load.

#include <cstddef>
#include <string>

class RuntimeHost;

// True when a file or folder exists at exactly this path.
bool fileExists(const std::string& path);

// True when the file at path is a 32-bit x86 library of this platform's image format (PE on
// Windows, ELF on POSIX). Any failure to read it gives false.
bool isX86VmLibrary(const std::string& path);

// Whether the paired launcher runs jvmPath: true when a pair product is set and the library is
// a 32-bit x86 image. Without a pair product the library is not opened.
bool checkVmArchitecture(RuntimeHost& host, const std::string& jvmPath, bool pairProductSet);

// The decisions on the first bytes of an image; size is how many bytes image holds.
// PE: "MZ", the NT headers at the DOS header's offset, signature "PE\0\0", machine 0x014C.
bool isX86PeImage(const unsigned char* image, size_t size);
// ELF: 32-bit class, machine 3 (Intel 80386), read in the file's own byte order.
bool isX86ElfImage(const unsigned char* image, size_t size);
