#include "platform/settings/PrivateProfile.h"

#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orbisk {

namespace {

enum class LineKind { Blank, Comment, Section, Entry, Other };

// One line of a profile file, as positions in its text.
struct ProfileLine {
    std::size_t begin = 0; // first byte
    std::size_t end = 0; // one past the last byte before the line break
    std::size_t next = 0; // first byte of the next line
    LineKind kind = LineKind::Other;
    std::string_view name; // section or key name, trimmed
    std::string_view value; // entry value, trimmed
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

void Classify(ProfileLine& line, std::string_view content)
{
    const std::string_view s = Trim(content);
    if (s.empty()) {
        line.kind = LineKind::Blank;
    } else if (s[0] == ';' || s[0] == '#') {
        line.kind = LineKind::Comment;
    } else if (s[0] == '[') {
        line.kind = LineKind::Section;
        line.name = Trim(s.substr(1, s.find(']') - 1));
    } else if (const auto eq = s.find('='); eq != std::string_view::npos && eq > 0) {
        line.kind = LineKind::Entry;
        line.name = Trim(s.substr(0, eq));
        line.value = Trim(s.substr(eq + 1));
    }
}

std::vector<ProfileLine> SplitLines(std::string_view text)
{
    std::vector<ProfileLine> lines;
    // A byte-order mark belongs to no line's meaning, but stays in the file.
    const std::size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    for (std::size_t pos = start; pos < text.size();) {
        ProfileLine line;
        line.begin = pos;
        const std::size_t nl = text.find('\n', pos);
        line.next = nl == std::string_view::npos ? text.size() : nl + 1;
        line.end = nl == std::string_view::npos ? text.size() : nl;
        // A CR before the line break, or ending a file that has none after
        // its last line, is part of the break: a writer that adds the break
        // later must not change what the line means.
        if (line.end > pos && text[line.end - 1] == '\r')
            --line.end;
        Classify(line, text.substr(pos, line.end - pos));
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

// The lines [first, last) of the first section of that name; first is the
// header's index. Returns false when there is no such section.
bool FindSection(const std::vector<ProfileLine>& lines, std::string_view section, std::size_t& first,
                 std::size_t& last)
{
    for (first = 0; first < lines.size(); ++first) {
        if (lines[first].kind == LineKind::Section && SameName(lines[first].name, section))
            break;
    }
    if (first == lines.size())
        return false;
    for (last = first + 1; last < lines.size() && lines[last].kind != LineKind::Section; ++last) { }
    return true;
}

// New lines follow the file's own convention.
std::string_view LineBreakOf(std::string_view text)
{
    const auto nl = text.find('\n');
    return nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

// Gives the text's last line its line break, when it has none yet: a CR it
// ends with becomes the first half of one.
void EndLastLine(std::string& out, std::string_view eol)
{
    if (out.empty() || out.back() == '\n')
        return;
    out += out.back() == '\r' ? std::string_view("\n") : eol;
}

// Cuts a value to the longest length the reader returns, without splitting
// a UTF-8 sequence.
std::string Truncated(std::string_view value)
{
    if (value.size() <= MaxProfileValueLength)
        return std::string(value);
    std::size_t n = MaxProfileValueLength;
    for (int back = 0; back < 3 && n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80; ++back)
        --n;
    if ((static_cast<unsigned char>(value[n]) & 0xC0) == 0x80)
        n = MaxProfileValueLength;
    return std::string(value.substr(0, n));
}

enum class FileState { Missing, Read, Unusable };

// Reads a whole profile file. Anything but a regular file of a sane size is
// unusable: a FIFO or device is never waited on, a folder never read.
FileState ReadProfileFile(const std::string& fileName, std::string& text)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unusable;
    struct stat st {};
    FileState state = FileState::Unusable;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::size_t(st.st_size) <= MaxProfileFileSize) {
        text.clear();
        char buffer[8192];
        ssize_t n = 0;
        while (text.size() <= MaxProfileFileSize
               && ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))) {
            if (n > 0)
                text.append(buffer, std::size_t(n));
        }
        if (n == 0 && text.size() <= MaxProfileFileSize)
            state = FileState::Read;
    }
    ::close(fd);
    return state;
}

bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

} // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section, std::string_view key)
{
    const auto lines = SplitLines(text);
    std::size_t first = 0, last = 0;
    if (!FindSection(lines, section, first, last))
        return std::nullopt;
    for (std::size_t i = first + 1; i < last; ++i) {
        if (lines[i].kind == LineKind::Entry && SameName(lines[i].name, key))
            return std::string(lines[i].value);
    }
    return std::nullopt;
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value)
{
    const auto lines = SplitLines(text);
    const std::string_view eol = LineBreakOf(text);
    const std::string entry = std::string(key) + "=" + std::string(value);
    std::size_t first = 0, last = 0;
    if (!FindSection(lines, section, first, last)) {
        std::string out(text);
        EndLastLine(out, eol);
        return out.append("[").append(section).append("]").append(eol).append(entry).append(eol);
    }
    for (std::size_t i = first + 1; i < last; ++i) {
        if (lines[i].kind == LineKind::Entry && SameName(lines[i].name, key)) {
            return std::string(text.substr(0, lines[i].begin)) + entry + std::string(text.substr(lines[i].end));
        }
    }
    // A new key goes after the section's last non-blank line, so that blank
    // lines keep separating it from the next section.
    std::size_t after = first;
    for (std::size_t i = first + 1; i < last; ++i) {
        if (lines[i].kind != LineKind::Blank)
            after = i;
    }
    const ProfileLine& anchor = lines[after];
    std::string out(text.substr(0, anchor.next));
    EndLastLine(out, eol);
    return out.append(entry).append(eol).append(text.substr(anchor.next));
}

bool IsStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value)
{
    if (Trim(section).empty() || HasLineBreakOrNul(section) || section.find(']') != section.npos)
        return false;
    const std::string_view k = Trim(key);
    if (k.empty() || HasLineBreakOrNul(key) || key.find('=') != key.npos || k[0] == '[' || k[0] == ';'
        || k[0] == '#')
        return false;
    return !HasLineBreakOrNul(value);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::string& fileName)
{
    std::string text;
    if (ReadProfileFile(fileName, text) != FileState::Read)
        return std::string(defaultValue);
    if (auto value = FindProfileValue(text, section, key))
        return Truncated(*value);
    return std::string(defaultValue);
}

std::optional<std::string> ReadProfileText(const std::string& fileName)
{
    std::string text;
    if (ReadProfileFile(fileName, text) != FileState::Read)
        return std::nullopt;
    return text;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& fileName)
{
    const ProfileEntry entry { std::string(section), std::string(key), std::string(value) };
    return WritePrivateProfileStrings({ &entry, 1 }, fileName);
}

bool WritePrivateProfileStrings(std::span<const ProfileEntry> entries, const std::string& fileName)
{
    for (const ProfileEntry& e : entries) {
        if (!IsStorableProfileEntry(e.section, e.key, e.value))
            return false;
    }
    std::string text;
    const FileState state = ReadProfileFile(fileName, text);
    if (state == FileState::Unusable)
        return false;
    if (state == FileState::Missing)
        text.clear();
    std::string updated = text;
    for (const ProfileEntry& e : entries)
        updated = SetProfileValue(updated, e.section, e.key, e.value);
    if (state == FileState::Read && updated == text)
        return true;
    if (updated.size() > MaxProfileFileSize)
        return false;
    return !ReplaceFileContents(fileName, updated);
}

} // namespace orbisk
