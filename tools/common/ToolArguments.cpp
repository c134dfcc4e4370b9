#include "ToolArguments.h"

#include <algorithm>
#include <cstdio>

namespace orbisk::tool {

int ParseArguments(CLI::App& app, const std::vector<std::string>& args)
{
    // The library reads the arguments from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
        return -1;
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return ExitSuccess;
    } catch (const CLI::ParseError& error) {
        std::string message = error.what();
        std::replace(message.begin(), message.end(), '\n', ' ');
        while (!message.empty() && message.back() == ' ')
            message.pop_back();
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", app.get_name().c_str(), message.c_str(),
            app.get_name().c_str());
        return ExitUsage;
    }
}

CLI::Validator WholeNumber(long long min, long long max)
{
    return CLI::Validator(
        [min, max](std::string& text) -> std::string {
            const bool digits = !text.empty() && text.size() <= 18
                && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
            const long long value = digits ? std::stoll(text) : -1;
            if (digits && value >= min && value <= max)
                return {};
            return "takes " + std::to_string(min) + " to " + std::to_string(max) + ", not '" + text + "'";
        },
        "", "whole number");
}

} // namespace orbisk::tool
