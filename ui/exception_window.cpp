#include "ui/exception_window.h"

const PlacedControl javaExceptionControlUnits[] = {
    {ExceptionControl::frame, {8, 11, 267, 232}},
    {ExceptionControl::icon, {16, 26, 36, 46}},
    {ExceptionControl::heading, {42, 28, 259, 44}},
    {ExceptionControl::trace, {16, 54, 259, 156}},
    {ExceptionControl::instructions, {16, 164, 259, 182}},
    {ExceptionControl::warning, {16, 187, 259, 205}},
    {ExceptionControl::ignore, {153, 210, 203, 224}},
    {ExceptionControl::stop, {209, 210, 259, 224}},
    {-1, {}},
};

WindowMessage exceptionWindowRequest(const MessageLanguage& language,
                                     const std::string& reportText) {
    WindowMessage request{"exception", {}};
    for (const char* key :
         {"caption", "group", "heading", "instructions", "warning", "ignore", "stop"})
        request.add(key, language.dialogText(231, key));
    request.add("report", std::string(utf8Prefix(reportText, maxWindowValueSize)));
    return request;
}

AnchoredLayout javaExceptionLayout(const PixelRect& client,
                                   const std::vector<PlacedControl>& controls) {
    AnchoredLayout layout(client.width(), client.height());
    for (const PlacedControl& control : controls)
        layout.add(control.id, control.rect, javaExceptionAnchors);
    return layout;
}
