#include "discovery/missing_runtime_window.h"

#include "ui/message_ids.h"
#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

namespace {

// The request carries everything the window shows, in the chosen language, through the
// channel's encoding; the VM type comes back as it went.
TEST(MissingRuntimeWindowRequest, CarriesTheTextsOfTheChosenLanguage) {
    const MessageLanguage* german = findMessageLanguage(0x0407);
    ASSERT_NE(german, nullptr);
    for (JvmType type : {JvmType::client, JvmType::server, JvmType::favorServer}) {
        MissingRuntimeRequest request;
        request.jvmType = type;
        request.message = "Keine JRE (Mindestversion 99) gefunden:";
        request.downloadAddress = "https://example.org/java?a=1&b=<2>";
        std::optional<std::string> frame =
            encodeWindowMessage(missingRuntimeWindowRequest(*german, request));
        ASSERT_TRUE(frame);
        std::optional<WindowMessage> sent = decodeWindowMessage(*frame);
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->kind, "missing-runtime");
        EXPECT_EQ(requestedJvmType(*sent), type);
        EXPECT_EQ(sent->field("message"), request.message);
        EXPECT_EQ(sent->field("address"), request.downloadAddress);
        EXPECT_EQ(sent->field("browse_title"), german->text(MessageId::browseForJreFolder));
        for (const char* key :
             {"caption", "ok", "cancel", "path_label", "browse", "group", "browse_hint"}) {
            EXPECT_FALSE(sent->field(key).empty()) << key;
            EXPECT_EQ(sent->field(key), german->dialogText(201, key)) << key;
        }
    }
}

// The launcher checks the folder the window answers with again: a window that says OK for a
// folder without a VM library does not make the start go on.
TEST(ReadMissingRuntimeAnswer, TrustsOnlyAFolderThatHoldsAVmLibrary) {
    struct Case {
        const char* name;
        WindowMessage answer;
        MissingRuntimeAnswer expected;
        const char* expectedFolder;
    };
    const Case cases[] = {
        {"ok", missingRuntimeOkAnswer("C:\\Java\\jre7"), MissingRuntimeAnswer::ok,
         "C:\\Java\\jre7\\"},
        {"ok without library", missingRuntimeOkAnswer("C:\\Nothing"), MissingRuntimeAnswer::cancel,
         "C:\\Nothing\\"},
        {"ok without folder", WindowMessage{"answer", {{"button", "ok"}}},
         MissingRuntimeAnswer::cancel, ""},
        {"cancel", missingRuntimeCancelAnswer(), MissingRuntimeAnswer::cancel, ""},
        {"other kind", WindowMessage{"exception", {{"button", "ok"}, {"folder", "C:\\Java\\jre7"}}},
         MissingRuntimeAnswer::cancel, ""},
        {"failed", failedWindowAnswer("no display"), MissingRuntimeAnswer::notShown, ""},
    };
    FakeRuntimeHost host;
    host.addHome("C:\\Java\\jre7\\", {"client"});
    for (const Case& c : cases) {
        RuntimeFolderPick pick(host, JvmType::client);
        EXPECT_EQ(readMissingRuntimeAnswer(c.answer, pick), c.expected) << c.name;
        EXPECT_EQ(pick.selectedFolder(), c.expectedFolder) << c.name;
    }
}

} // namespace
