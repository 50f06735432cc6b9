#include "discovery/missing_runtime.h"

#include <cstdio>

namespace {

// Nobody can pick a folder: the user reads what is needed and where to get it.
MissingRuntimeAnswer reportToStandardError(const MissingRuntimeRequest& request) {
    std::fprintf(stderr, "%s\n%s\n", request.message.c_str(), request.downloadAddress.c_str());
    std::fflush(stderr);
    return MissingRuntimeAnswer::cancel;
}

} // namespace

MissingRuntimeAnswer runMissingRuntimeDialog(const MissingRuntimeRequest& request,
                                             RuntimeFolderPick&) {
    return reportToStandardError(request);
}
