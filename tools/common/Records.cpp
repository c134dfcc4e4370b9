#include "Records.h"

#include <algorithm>

namespace orbisk::tool {

namespace {

constexpr char Hex[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char byte)
{
    out += "\\x";
    out += Hex[byte >> 4];
    out += Hex[byte & 15];
}

// Quotes text for JSON, each invalid byte as U+FFFD.
void AppendJsonString(std::string& out, std::string_view bytes)
{
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(bytes.substr(i));
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\u00";
                out += Hex[c >> 4];
                out += Hex[c & 15];
            } else {
                out += char(c);
            }
        }
        ++i;
    }
    out += '"';
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const auto b = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0; // no overlong forms
        if (lead == 0xed)
            high = 0x9f; // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        if (lead == 0xf4)
            high = 0x8f; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length || b(1) < low || b(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (b(i) < 0x80 || b(i) > 0xbf)
            return 0;
    return length;
}

std::string EscapeLine(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(bytes.substr(i));
            if (length == 0) {
                AppendHexByte(out, c);
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 0x20 || c == 0x7f)
            AppendHexByte(out, c);
        else
            out += char(c);
        ++i;
    }
    return out;
}

std::string QuoteLine(std::string_view bytes)
{
    std::string out = "\"";
    for (char c : EscapeLine(bytes)) {
        if (c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string Base64(std::string_view bytes)
{
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned long v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? Alphabet[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

void JsonRecord::Key(std::string_view key)
{
    if (!fields_.empty())
        fields_ += ", ";
    AppendJsonString(fields_, key);
    fields_ += ": ";
}

JsonRecord& JsonRecord::Path(std::string_view key, std::string_view bytes)
{
    Key(key);
    AppendJsonString(fields_, bytes);
    if (!IsValidUtf8(bytes)) {
        Key(std::string(key) + "_b64");
        AppendJsonString(fields_, Base64(bytes));
    }
    return *this;
}

JsonRecord& JsonRecord::Text(std::string_view key, std::string_view text)
{
    Key(key);
    AppendJsonString(fields_, text);
    return *this;
}

JsonRecord& JsonRecord::Number(std::string_view key, long long value)
{
    Key(key);
    fields_ += std::to_string(value);
    return *this;
}

void WriteRecord(RecordFormat format, const std::string& text, FILE* to)
{
    std::fwrite(text.data(), 1, text.size(), to);
    std::fputc(format == RecordFormat::Null ? '\0' : '\n', to);
}

} // namespace orbisk::tool
