#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orbisk::tool {

// How a command writes what it found to standard output.
enum class RecordFormat {
    // One line per record; what would break a line is escaped (EscapeLine).
    Lines,
    // Each record ends in a NUL byte instead, unescaped (for xargs -0).
    Null,
    // JSON Lines: one object per record.
    Json,
};

// The length of the valid UTF-8 sequence at the start of bytes, or 0 when
// it does not start with one (a stray byte, an overlong form, a surrogate,
// a code point past U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view bytes);

// Bytes as part of one line: control characters (0x00 to 0x1F and 0x7F),
// backslashes and bytes that are not valid UTF-8 become \n, \t, \\ and
// \xNN; spaces and valid UTF-8 stay as they are.
std::string EscapeLine(std::string_view bytes);

// Text as a quoted string on one line: between double quotes, with
// EscapeLine's escapes and \" for a double quote, so that it can never be
// taken for a number or run into the next field.
std::string QuoteLine(std::string_view bytes);

// One JSON object, built a field at a time in the order given.
class JsonRecord {
public:
    // A file's path: as a JSON string, with bytes that are not valid UTF-8
    // as U+FFFD; only then also key_b64, the exact bytes in base64.
    JsonRecord& Path(std::string_view key, std::string_view bytes);
    // Text that is valid UTF-8 (the program's own words); other bytes are
    // written as U+FFFD.
    JsonRecord& Text(std::string_view key, std::string_view text);
    JsonRecord& Number(std::string_view key, long long value);

    std::string Object() const { return fields_.empty() ? "{}" : "{" + fields_ + "}"; }

private:
    void Key(std::string_view key);
    std::string fields_;
};

std::string Base64(std::string_view bytes);

// Writes one record in format: the line and its ending. For Lines the text
// must already be escaped; for Null it is written as it is.
void WriteRecord(RecordFormat format, const std::string& text, FILE* to = stdout);

} // namespace orbisk::tool
