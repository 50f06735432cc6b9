#pragma once

// The missing-runtime dialog: when the search found no VM library, the user is told which
// Java runtime is needed, may open its download page, and may pick an installed runtime's
// folder. OK is possible only while the picked folder holds a VM library; the folder is
// then used for this start and remembered as "JRE Path" for the next ones once its library
// has loaded. First thread only.

#include "discovery/runtime_choice.h"
#include "discovery/runtime_host.h"
#include "settings/launch_settings.h"
#include "support/java_version.h"
#include "support/jvm_type.h"

#include <optional>
#include <string>

// The public page where Java runtimes can be downloaded (a build option).
const char* downloadAddress();

// The localized phrase that names the accepted versions ("minimum version 1.8", ...).
std::string describeVersionRange(const JavaVersion& minimum, const JavaVersion& maximum);

// The dialog's message: text 206 (server VM wanted) or 207 with the version phrase.
std::string missingRuntimeMessage(JvmType type, const std::string& versionPhrase);

// What the dialog is shown with.
struct MissingRuntimeRequest {
    JvmType jvmType = JvmType::client;
    std::string message;
    std::string downloadAddress;
};

// The folder picked last and the VM library found in it. Each pick replaces the previous
// one; a picked folder need not hold the runtime's marker library, only a VM library.
class RuntimeFolderPick {
  public:
    RuntimeFolderPick(RuntimeHost& host, JvmType type) : host_(host), type_(type) {}

    // One folder the user picked: kept with a trailing separator (empty stays empty).
    void pick(const std::string& folder);
    // OK is possible: the last pick holds a VM library of the wanted type.
    bool accepted() const { return !vmLibraryPath_.empty(); }
    const std::string& selectedFolder() const { return selectedFolder_; }
    const std::string& vmLibraryPath() const { return vmLibraryPath_; }

  private:
    RuntimeHost& host_;
    JvmType type_;
    std::string selectedFolder_;
    std::string vmLibraryPath_;
};

enum class MissingRuntimeAnswer { ok, cancel, notShown };

// Shows the dialog modally and lets the user pick into pick (platform code). notShown when
// the window system could not show it; on POSIX without a display the texts and the address
// go to standard error and the answer is cancel.
MissingRuntimeAnswer runMissingRuntimeDialog(const MissingRuntimeRequest& request,
                                             RuntimeFolderPick& pick);

// After OK: the picked library and folder, and whether (by the library's architecture) the
// paired launcher runs it.
RuntimeChoice adoptPickedRuntime(RuntimeHost& host, const RuntimeFolderPick& pick,
                                 bool pairProductSet);

// The last step of the runtime search: asks the user, and on OK uses the folder; the caller
// remembers it as "JRE Path" (RuntimeChoice::remembersPickAtOnce says when). nullopt on Cancel
// or when the dialog could not be shown.
std::optional<RuntimeChoice> askForRuntime(const RuntimeRequirements& requirements,
                                           RuntimeHost& host);
