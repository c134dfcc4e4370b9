#include "ToolArguments.h"

#include <algorithm>
#include <cstdio>

namespace orbisk::tool {

namespace {

// Text broken into lines of at most width columns at blanks; line breaks
// already there are kept.
std::string Wrap(const std::string& text, std::size_t width = 79)
{
    std::string out;
    std::size_t column = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(" \n", start);
        const std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (column > 0 && column + 1 + word.size() > width) {
            out += '\n';
            column = 0;
        } else if (column > 0) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        if (end == std::string::npos)
            break;
        if (text[end] == '\n') {
            out += '\n';
            column = 0;
        }
        start = end + 1;
    }
    return out;
}

} // namespace

int ParseArguments(CLI::App& app, const std::vector<std::string>& args)
{
    app.description(Wrap(app.get_description()));
    app.footer(Wrap(app.get_footer()));
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
        // It may quote what the user typed.
        message = EscapeLine(message);
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", app.get_name().c_str(), message.c_str(),
            app.get_name().c_str());
        return ExitUsage;
    }
}

void AddRecordFormatOptions(CLI::App& app, RecordFormatOptions& options, const std::string& jsonHelp)
{
    auto* json = app.add_flag("--json", options.json, "JSON Lines: " + jsonHelp);
    app.add_flag("--null", options.null, "end each record with NUL instead of a line feed, unescaped")
        ->excludes(json);
}

CLI::Validator WholeNumber(long long min, long long max, std::vector<long long> only)
{
    // The text is checked and then rewritten in plain decimal: the parser
    // would read "010" as octal and "0x10" as hexadecimal.
    return CLI::Validator(
        [min, max, only](std::string& text) -> std::string {
            const bool digits = !text.empty() && text.size() <= 18
                && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
            const long long value = digits ? std::stoll(text) : -1;
            const bool allowed = only.empty() ? value >= min && value <= max
                                              : std::find(only.begin(), only.end(), value) != only.end();
            if (digits && allowed) {
                text = std::to_string(value);
                return {};
            }
            std::string range;
            for (const long long choice : only)
                range += (range.empty() ? "" : ", ") + std::to_string(choice);
            return "takes " + (only.empty() ? std::to_string(min) + " to " + std::to_string(max) : range) + ", not '"
                + text + "'";
        },
        "", "whole number");
}

} // namespace orbisk::tool
