#pragma once

#include "Records.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace orbisk::tool {

// The exit statuses every command-line program of Orbisk keeps (their man
// pages list them).
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1; // no such icon, not a file read, a save failed
inline constexpr int ExitUsage = 2;
inline constexpr int ExitInterrupted = 130; // SIGINT

// Parses args (what follows the program's and the command's names) with
// app, whose name is what the user typed ("orbisk-extract scan"). Returns
// -1 to go on; otherwise the exit status, with what the user must see
// already written: 0 after --help, 2 after a usage error (one line naming
// the problem, then "Try '<name> --help'.").
int ParseArguments(CLI::App& app, const std::vector<std::string>& args);

// --json and --null, which exclude each other.
struct RecordFormatOptions {
    bool json = false;
    bool null = false;

    RecordFormat Format() const { return json ? RecordFormat::Json : null ? RecordFormat::Null : RecordFormat::Lines; }
};
// jsonHelp says what each JSON object holds.
void AddRecordFormatOptions(CLI::App& app, RecordFormatOptions& options, const std::string& jsonHelp);

// A check for an option's text: a whole decimal number from min to max, or
// one of only when that is given. Use it with transform(): it writes the
// number back in plain decimal.
CLI::Validator WholeNumber(long long min, long long max, std::vector<long long> only = {});

} // namespace orbisk::tool
