// splitArguments on any text: every argument is either free of quotes or free of blanks (and
// then does not begin with a quote), the split of the arguments written back with quotes gives
// the same arguments, and splitCommandLine is the same split without the program.

#include "fuzz_check.h"
#include "support/process_environment.h"

namespace {

// One command line that splitArguments reads back as these arguments: an argument without a
// quote is written in quotes, any other (which holds no blank) as it is.
std::string writeArguments(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty())
            text += ' ';
        if (argument.find('"') == std::string::npos)
            text += '"' + argument + '"';
        else
            text += argument;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    std::vector<std::string> arguments = {"kept"};
    splitArguments(text, arguments);
    FUZZ_CHECK(!arguments.empty() && arguments.front() == "kept");
    arguments.erase(arguments.begin());
    FUZZ_CHECK(arguments.size() <= text.size());
    size_t total = 0;
    for (const std::string& argument : arguments) {
        total += argument.size();
        const bool quoteFree = argument.find('"') == std::string::npos;
        const bool blankFree = argument.find(' ') == std::string::npos;
        FUZZ_CHECK(quoteFree || (blankFree && argument[0] != '"'));
    }
    FUZZ_CHECK(total <= text.size());

    std::vector<std::string> reread;
    splitArguments(writeArguments(arguments), reread);
    FUZZ_CHECK(reread == arguments);

    std::vector<std::string> withoutProgram;
    splitCommandLine(text, withoutProgram);
    FUZZ_CHECK(withoutProgram.size() == (arguments.empty() ? 0 : arguments.size() - 1));
    FUZZ_CHECK(std::equal(withoutProgram.begin(), withoutProgram.end(),
                          arguments.begin() + (arguments.empty() ? 0 : 1)));
    return 0;
}
