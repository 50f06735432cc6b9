#include "discovery/missing_runtime_window.h"

#include "ui/message_ids.h"

const PlacedControl missingRuntimeControlUnits[] = {
    {MissingRuntimeControl::group, {8, 11, 211, 114}},
    {MissingRuntimeControl::icon, {16, 24, 36, 44}},
    {MissingRuntimeControl::message, {42, 24, 191, 64}},
    {MissingRuntimeControl::link, {44, 64, 203, 72}},
    {MissingRuntimeControl::hint, {12, 73, 207, 81}},
    {MissingRuntimeControl::pathLabel, {12, 92, 57, 100}},
    {MissingRuntimeControl::folder, {60, 89, 154, 103}},
    {MissingRuntimeControl::browse, {157, 89, 207, 103}},
    {MissingRuntimeControl::ok, {107, 122, 157, 136}},
    {MissingRuntimeControl::cancel, {161, 122, 211, 136}},
    {-1, {}},
};

WindowMessage missingRuntimeWindowRequest(const MessageLanguage& language,
                                          const MissingRuntimeRequest& request) {
    WindowMessage message{"missing-runtime", {}};
    for (const char* key :
         {"caption", "ok", "cancel", "path_label", "browse", "group", "browse_hint"})
        message.add(key, language.dialogText(201, key));
    message.add("browse_title", language.text(MessageId::browseForJreFolder));
    message.add("message", request.message);
    message.add("address", request.downloadAddress);
    message.add("jvm_type", std::to_string(static_cast<int>(request.jvmType)));
    return message;
}

JvmType requestedJvmType(const WindowMessage& request) {
    const std::string type = request.field("jvm_type");
    if (type == "1")
        return JvmType::server;
    if (type == "2")
        return JvmType::favorServer;
    return JvmType::client;
}

WindowMessage missingRuntimeOkAnswer(const std::string& folder) {
    WindowMessage answer{"answer", {}};
    answer.add("button", "ok").add("folder", folder);
    return answer;
}

WindowMessage missingRuntimeCancelAnswer() {
    WindowMessage answer{"answer", {}};
    answer.add("button", "cancel");
    return answer;
}

MissingRuntimeAnswer readMissingRuntimeAnswer(const WindowMessage& answer,
                                              RuntimeFolderPick& pick) {
    if (isFailedWindowAnswer(answer))
        return MissingRuntimeAnswer::notShown;
    if (answer.kind != "answer" || answer.field("button") != "ok" || !answer.has("folder"))
        return MissingRuntimeAnswer::cancel;
    pick.pick(answer.field("folder"));
    return pick.accepted() ? MissingRuntimeAnswer::ok : MissingRuntimeAnswer::cancel;
}
