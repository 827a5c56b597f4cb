#include "profile.h"

#ifndef _WIN32

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view newline = "\r\n";

fs::perms currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return fs::perms(mask);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimEnd(std::string_view text)
{
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return trimEnd(text);
}

// A value in one pair of matching quotes, double or single, is read without them.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

// One line of the file, kept byte for byte with the line break that ended it.
struct Line {
    std::string text;
    std::string ending;
};

std::optional<std::string> readFile(const char* fileName)
{
    std::error_code error;
    if (!fs::is_regular_file(fileName, error))
        return std::nullopt;
    try {
        std::ifstream in(fileName, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string content(std::istreambuf_iterator<char>(in), {});
        if (in.bad())
            return std::nullopt;
        return content;
    } catch (const std::ios_base::failure&) { // a read error deep in the stream buffer
        return std::nullopt;
    }
}

// Splits on CR LF, CR alone and LF alone.
std::vector<Line> splitLines(const std::string& content)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back({content.substr(start), ""});
            break;
        }
        const std::size_t width = content.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({content.substr(start, end - start), content.substr(end, width)});
        start = end + width;
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    return trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct Entry {
    std::string_view name;
    std::optional<std::string_view> value; // none for a line without "=", which reads as absent
};

// A key line; one without "=" names a key but holds no value. Blank lines and comments are not
// keys.
std::optional<Entry> keyEntry(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return Entry{trimmed, std::nullopt};
    return Entry{trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1))};
}

// Where a key stands: the line of its section header, of its own line, and the line that ends
// the section (a new key goes just before it). Only the first section of a name counts.
struct Place {
    std::optional<std::size_t> section, key;
    std::size_t end = 0;
};

Place locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Place place;
    place.end = lines.size();
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (place.section) {
                place.end = i;
                break;
            }
            inside = sameName(*name, section);
            if (inside)
                place.section = i;
            continue;
        }
        if (!inside)
            continue;
        if (const auto entry = keyEntry(lines[i].text); entry && !place.key && sameName(entry->name, key))
            place.key = i;
    }
    return place;
}

DWORD copyOut(std::string_view value, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    const DWORD count = DWORD(std::min<std::size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return count;
}

// Names each followed by a null and the whole by one more, as Windows lists sections and
// keys; a list cut to the buffer still ends in two nulls, and the count is then size - 2.
DWORD copyList(const std::vector<std::string_view>& names, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    std::string list;
    for (const std::string_view name : names)
        (list += name) += '\0';
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return DWORD(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = '\0';
    return size - 2;
}

std::vector<std::string_view> sectionNames(const std::vector<Line>& lines)
{
    std::vector<std::string_view> names;
    for (const Line& line : lines)
        if (const auto name = sectionName(line.text))
            names.push_back(*name);
    return names;
}

std::vector<std::string_view> keyNames(const std::vector<Line>& lines, const Place& place)
{
    std::vector<std::string_view> names;
    if (place.section)
        for (std::size_t i = *place.section + 1; i < place.end; ++i)
            if (const auto entry = keyEntry(lines[i].text))
                names.push_back(entry->name);
    return names;
}

// A file nobody may write to is read-only, as on Windows, even for a privileged user.
bool writable(const fs::file_status& status)
{
    constexpr auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return fs::is_regular_file(status) && (status.permissions() & write) != fs::perms::none;
}

// The new content goes into a temporary file of a fresh name beside the target, created
// exclusively (so nothing planted there is followed), then takes the target's place at once.
bool replaceFile(const fs::path& target, const std::string& content)
{
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    const bool exists = fs::exists(status);
    if (exists && !writable(status))
        return false;

    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".provisoire-XXXXXX")).string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
        return false;
    const fs::path temporary = pattern;
    bool ok = true;
    for (std::size_t done = 0; ok && done < content.size();) {
        const ssize_t n = ::write(descriptor, content.data() + done, content.size() - done);
        ok = n > 0;
        done += ok ? std::size_t(n) : 0;
    }
    ok = ::fsync(descriptor) == 0 && ok;
    ok = ::close(descriptor) == 0 && ok;
    if (ok)
        fs::permissions(temporary, exists ? status.permissions() : fs::perms(0644) & ~currentUmask(), error);
    if (ok)
        fs::rename(temporary, target, error);
    if (!ok || error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName)
{
    const std::string_view fallback = unquote(trimEnd(defaultValue ? defaultValue : ""));
    if (!fileName)
        return copyOut(fallback, buffer, size);
    const auto content = readFile(fileName);
    const std::vector<Line> lines = content ? splitLines(*content) : std::vector<Line>();
    if (!section)
        return copyList(sectionNames(lines), buffer, size);
    const Place place = locate(lines, trim(section), key ? trim(key) : std::string_view());
    if (!key)
        return copyList(keyNames(lines, place), buffer, size);
    const std::optional<std::string_view> value = place.key ? keyEntry(lines[*place.key].text)->value : std::nullopt;
    return copyOut(value ? unquote(*value) : fallback, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR sectionText, LPCSTR keyText, LPCSTR value, LPCSTR fileName)
{
    if (!sectionText || !fileName)
        return 0;
    // Write beside the real file when the settings path is a link to it.
    std::error_code error;
    fs::path target = fs::weakly_canonical(fs::path(fileName), error);
    if (error)
        target = fileName;

    std::vector<Line> lines;
    if (fs::exists(target, error) || error) {
        const auto content = readFile(target.c_str());
        if (!content)
            return 0;
        lines = splitLines(*content);
    }

    const std::string_view section = trim(sectionText);
    const std::string_view key = keyText ? trim(keyText) : std::string_view();
    const Place place = locate(lines, section, key);
    if (!keyText || !value) {
        // No key removes the whole section, no value the key; nothing there, nothing to do.
        if (!keyText && place.section)
            lines.erase(lines.begin() + std::ptrdiff_t(*place.section), lines.begin() + std::ptrdiff_t(place.end));
        else if (keyText && place.key)
            lines.erase(lines.begin() + std::ptrdiff_t(*place.key));
        else
            return 1;
    } else if (place.key) {
        const std::string_view existing = keyEntry(lines[*place.key].text)->name;
        lines[*place.key].text = std::string(existing) + "=" + value;
    } else {
        const std::string keyLine = std::string(key) + "=" + value;
        if (place.section) {
            // At the section's very end, after any blank line or comment that closes it.
            Line& before = lines[place.end - 1];
            if (before.ending.empty())
                before.ending = newline;
            lines.insert(lines.begin() + std::ptrdiff_t(place.end), Line{keyLine, std::string(newline)});
        } else {
            if (!lines.empty() && lines.back().ending.empty())
                lines.back().ending = newline;
            lines.push_back({"[" + std::string(section) + "]", std::string(newline)});
            lines.push_back({keyLine, std::string(newline)});
        }
    }

    std::string content;
    for (const Line& line : lines)
        content += line.text + line.ending;
    return replaceFile(target, content) ? 1 : 0;
}

#endif
