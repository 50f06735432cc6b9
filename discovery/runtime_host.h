#pragma once

// What the runtime search needs of the operating system, behind one small interface so that
// the search order, the filter and the ranking run unchanged against a fake machine in the
// unit tests. Win32 answers from the registry; POSIX has none and scans the folders where
// runtimes are installed instead (discovery/runtime_inventory.h).

#include <string>
#include <string_view>
#include <vector>

// Where a Java runtime keeps its pieces. Every folder text ends in the separator. Constant
// text only, so that both layouts are ready before any code runs.
struct RuntimeLayout {
    char separator;
    // Where a home keeps its native libraries, tried in this order for each VM flavour: the
    // marker library and the flavour folders (server, client, ...) with the VM library. The
    // list ends at the first null.
    const char* libraryFolders[4];
    const char* marker;           // a home holds this library in one of its library folders
    const char* vmLibrary;        // the VM library's file name inside a flavour folder
    const char* jdkRuntimeFolder; // a JDK's runtime below its installation folder
    const char* adjacentFolder;   // the launcher's private runtime folder beside it
    const char* compiler;         // a home holding this program is a JDK
};

// bin\java.dll, bin\server\jvm.dll, ...; a JDK's runtime lives in its jre\ folder.
const RuntimeLayout& windowsRuntimeLayout();
// lib/libjava.so, lib/server/libjvm.so, ...; Java 8 keeps them one level deeper, in
// lib/amd64/ (a JRE) or jre/lib/amd64/ (a JDK). A JDK of Java 9 or later is its own runtime,
// and a Java 8 JDK is found through its jre/ folder, so nothing is appended for a JDK.
const RuntimeLayout& posixRuntimeLayout();

// byContents: a JDK when the home holds the compiler, else a JRE.
enum class RuntimeKind { jdk, jre, byContents };
enum class RuntimeVendor { sun, jrockit, ibm };

// One root of installed-runtime records: one subkey per installed version (or, for some
// vendors, per product name), whose record holds the home folder.
struct RegistryRoot {
    const char* key; // below HKEY_LOCAL_MACHINE, ending in a backslash
    RuntimeKind kind;
    RuntimeVendor vendor;
    const char* record = "";            // the record's key below the subkey ("hotspot\\MSI")
    const char* homeValue = "JavaHome"; // the record's value that names the home
    // Roots of today's installers: the home is the runtime itself, also for a JDK, and the
    // home's release file, where there is one, gives the version.
    bool current = false;

    bool operator==(const RegistryRoot& other) const {
        return std::string_view(key) == other.key && std::string_view(record) == other.record;
    }
};

// The five roots of the older installers, in search order.
inline constexpr RegistryRoot registryRoots[] = {
    {"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::jdk, RuntimeVendor::sun},
    {"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::jre, RuntimeVendor::sun},
    {"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::jre, RuntimeVendor::jrockit},
    {"Software\\JRockit\\Java Development Kit\\", RuntimeKind::jdk, RuntimeVendor::jrockit},
    {"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::jre, RuntimeVendor::ibm},
};

// The roots of today's installers, searched after the five. HotSpot builds count as the
// JavaSoft vendor, OpenJ9 builds as the IBM one.
inline constexpr RegistryRoot currentRegistryRoots[] = {
    {"Software\\JavaSoft\\JDK\\", RuntimeKind::jdk, RuntimeVendor::sun, "", "JavaHome", true},
    {"Software\\JavaSoft\\JRE\\", RuntimeKind::jre, RuntimeVendor::sun, "", "JavaHome", true},
    {"Software\\Eclipse Adoptium\\JDK\\", RuntimeKind::jdk, RuntimeVendor::sun, "hotspot\\MSI",
     "Path", true},
    {"Software\\Eclipse Adoptium\\JRE\\", RuntimeKind::jre, RuntimeVendor::sun, "hotspot\\MSI",
     "Path", true},
    {"Software\\Eclipse Foundation\\JDK\\", RuntimeKind::jdk, RuntimeVendor::sun, "hotspot\\MSI",
     "Path", true},
    {"Software\\AdoptOpenJDK\\JDK\\", RuntimeKind::jdk, RuntimeVendor::sun, "hotspot\\MSI", "Path",
     true},
    {"Software\\AdoptOpenJDK\\JDK\\", RuntimeKind::jdk, RuntimeVendor::ibm, "openj9\\MSI", "Path",
     true},
    {"Software\\AdoptOpenJDK\\JRE\\", RuntimeKind::jre, RuntimeVendor::sun, "hotspot\\MSI", "Path",
     true},
    {"Software\\AdoptOpenJDK\\JRE\\", RuntimeKind::jre, RuntimeVendor::ibm, "openj9\\MSI", "Path",
     true},
    {"Software\\Microsoft\\JDK\\", RuntimeKind::jdk, RuntimeVendor::sun, "hotspot\\MSI", "Path",
     true},
    {"Software\\Semeru\\JDK\\", RuntimeKind::jdk, RuntimeVendor::ibm, "openj9\\MSI", "Path", true},
    {"Software\\Semeru\\JRE\\", RuntimeKind::jre, RuntimeVendor::ibm, "openj9\\MSI", "Path", true},
    {"Software\\Azul Systems\\Zulu\\", RuntimeKind::byContents, RuntimeVendor::sun, "",
     "InstallationPath", true},
};

// The native view holds the runtimes this launcher can load; the 32-bit view those that only
// a paired 32-bit launcher can (on POSIX: runtimes built for 32-bit x86).
enum class RegistryView { native, x86 };

// One name inside a folder.
struct FolderEntry {
    std::string name;
    bool isFolder = false; // a folder, or a link to one
};

class RuntimeHost {
  public:
    virtual const RuntimeLayout& layout() const = 0;
    // True when something (file or folder) exists at exactly this path.
    virtual bool fileExists(const std::string& path) = 0;
    // The running executable's full path; false when it cannot be had (the user was told).
    virtual bool modulePath(std::string& path) = 0;
    // The subkey names of root in enumeration order; empty when the root does not open.
    virtual std::vector<std::string> subkeyNames(const RegistryRoot& root, RegistryView view) = 0;
    // The version text of a subkey: the registry names a subkey after its version.
    virtual std::string versionText(const RegistryRoot&, const std::string& subkey, RegistryView) {
        return subkey;
    }
    // The text of the root's home value in the subkey's record, up to its first NUL; empty
    // when the key or value is missing.
    virtual std::string javaHome(const RegistryRoot& root, const std::string& subkey,
                                 RegistryView view) = 0;
    // True when the library is a 32-bit x86 image (one that only the pair product can load).
    virtual bool isX86VmLibrary(const std::string& path) = 0;
    // The whole file; false when it cannot be read.
    virtual bool readTextFile(const std::string& path, std::string& text) = 0;
    // An environment variable; false when it is not defined.
    virtual bool environmentVariable(const std::string& name, std::string& value) = 0;
    // The folders whose entries are the installed runtimes, in search order, each ending in
    // the separator; false where the registry records them instead.
    virtual bool runtimeFolders(std::vector<std::string>&) { return false; }
    // The entries of a folder in byte order; false when it cannot be listed.
    virtual bool listFolder(const std::string&, std::vector<FolderEntry>&) { return false; }

  protected:
    ~RuntimeHost() = default;
};
