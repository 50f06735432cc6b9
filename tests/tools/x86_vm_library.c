/* Test data: compiled for 32-bit x86 (a PE DLL with the i686 MinGW compiler, an ELF shared
   object with gcc -m32) to stand for a runtime's VM library that only a paired 32-bit
   launcher could load. Only its image header matters. */
int x86VmLibraryMarker = 32;
