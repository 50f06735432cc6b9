/* Test library (never shipped): a DLL that the fake_jvm_with_helper variant imports, as a real
   jvm.dll imports libraries from its runtime's bin folder. It answers a fixed word that the
   fake VM records, so a start proves that the import was resolved. */
#include <windows.h>

__declspec(dllexport) const char* jvmHelperWord(void) {
    return "helper-loaded";
}
