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

namespace {

namespace fs = std::filesystem;

constexpr std::string_view newline = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
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
    std::string_view value;
};

std::optional<Entry> keyEntry(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    const std::size_t equals = trimmed.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || equals == std::string_view::npos)
        return std::nullopt;
    return Entry{trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1))};
}

// Where a key stands: the line of its section header, of its own line and of the section's
// last key (the place for a new one). Only the first section of a name counts.
struct Place {
    std::optional<std::size_t> section, key, lastKey;
};

Place locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Place place;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (place.section)
                break;
            inside = sameName(*name, section);
            if (inside)
                place.section = i;
            continue;
        }
        if (!inside)
            continue;
        if (const auto entry = keyEntry(lines[i].text)) {
            place.lastKey = i;
            if (!place.key && sameName(entry->name, key))
                place.key = i;
        }
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

bool replaceFile(const fs::path& target, const std::string& content)
{
    std::error_code error;
    // A file nobody may write to is read-only, as on Windows, even for a privileged user.
    const fs::file_status status = fs::status(target, error);
    const bool exists = fs::exists(status);
    constexpr auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (exists && (!fs::is_regular_file(status) || (status.permissions() & writable) == fs::perms::none))
        return false;

    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(content.data(), std::streamsize(content.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    if (exists)
        fs::permissions(temporary, status.permissions(), error);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName)
{
    const std::string_view fallback = trim(defaultValue ? defaultValue : "");
    if (!section || !key || !fileName)
        return copyOut(fallback, buffer, size);
    const auto content = readFile(fileName);
    if (!content)
        return copyOut(fallback, buffer, size);
    const std::vector<Line> lines = splitLines(*content);
    const Place place = locate(lines, section, key);
    if (!place.key)
        return copyOut(fallback, buffer, size);
    return copyOut(keyEntry(lines[*place.key].text)->value, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (!section || !key || !value || !fileName)
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

    const std::string keyLine = std::string(key) + "=" + value;
    const Place place = locate(lines, section, key);
    if (place.key) {
        const std::string_view existing = keyEntry(lines[*place.key].text)->name;
        lines[*place.key].text = std::string(existing) + "=" + value;
    } else if (place.section) {
        const std::size_t after = place.lastKey.value_or(*place.section);
        if (lines[after].ending.empty())
            lines[after].ending = newline;
        lines.insert(lines.begin() + std::ptrdiff_t(after + 1), Line{keyLine, std::string(newline)});
    } else {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = newline;
        lines.push_back({"[" + std::string(section) + "]", std::string(newline)});
        lines.push_back({keyLine, std::string(newline)});
    }

    std::string content;
    for (const Line& line : lines)
        content += line.text + line.ending;
    return replaceFile(target, content) ? 1 : 0;
}

#endif
