#include "app/ini_file.h"

#include <cstdint>
#include <vector>

#include "app/text.h"

namespace qv {

namespace {

// Spaces and tabs around names and values are not part of them.
std::string Strip(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 text after its byte-order mark; an odd last byte and unpaired surrogates are dropped.
std::string FromUtf16(std::string_view data, bool bigEndian) {
    std::string out;
    out.reserve(data.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(data[i]), b = static_cast<unsigned char>(data[i + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < data.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
            }
            continue;
        }
        if (u >= 0xD800 && u < 0xE000) continue;
        AppendUtf8(out, u);
    }
    return out;
}

// Notepad may save an INI file as UTF-16 or as UTF-8, each with a byte-order mark; the
// names and values the program keeps there are ASCII and read the same from all three
// (other characters of a UTF-16 file come out as UTF-8).
std::string IniText(const std::string& data) {
    const std::string_view rest = data.size() >= 2 ? std::string_view(data).substr(2) : std::string_view();
    if (data.size() >= 2 && data[0] == '\xFF' && data[1] == '\xFE') return FromUtf16(rest, false);
    if (data.size() >= 2 && data[0] == '\xFE' && data[1] == '\xFF') return FromUtf16(rest, true);
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) return data.substr(3);
    return data;
}

bool HasByteOrderMark(const std::string& data) {
    return data.compare(0, 2, "\xFF\xFE") == 0 || data.compare(0, 2, "\xFE\xFF") == 0 ||
           data.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

std::vector<std::string> SplitLines(const std::string& raw) {
    const std::string data = IniText(raw);
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t eol = data.find('\n', pos);
        std::size_t end = eol == std::string::npos ? data.size() : eol;
        std::string line = data.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (eol == std::string::npos) break;
        pos = eol + 1;
    }
    return lines;
}

// The section named by a "[name]" line, or nothing when the line is not a section line.
std::optional<std::string> SectionName(const std::string& line) {
    std::string t = Strip(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Strip(std::string_view(t).substr(1, close - 1));
}

bool SameName(const std::string& a, const std::string& b) { return ToLowerAscii(a) == ToLowerAscii(b); }

// Key and value of a "key=value" line.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Strip(std::string_view(line).substr(0, eq));
    value = Strip(std::string_view(line).substr(eq + 1));
    return !key.empty() && key[0] != ';';
}

// Values written with surrounding double quotes read without them, as the platform's reader does.
std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

std::string ReadIni(const FileSystem& fs, const std::string& section, const std::string& key,
                    const std::string& defaultValue, const std::string& file) {
    auto data = fs.read(file);
    if (!data) return defaultValue;
    const std::string wantSection = Strip(section);
    const std::string wantKey = Strip(key);
    bool inSection = false;
    for (const std::string& line : SplitLines(*data)) {
        if (auto name = SectionName(line)) {
            inSection = SameName(*name, wantSection);
            continue;
        }
        std::string k, v;
        if (inSection && KeyValue(line, k, v) && SameName(k, wantKey)) return Unquote(v);
    }
    return defaultValue;
}

bool WriteIni(FileSystem& fs, const std::string& section, const std::string& key, const std::string& value,
              const std::string& file) {
    std::vector<std::string> lines;
    bool marked = false;
    if (auto data = fs.read(file)) {
        lines = SplitLines(*data);
        marked = HasByteOrderMark(*data);
    } else if (Exists(fs, file)) {
        return false;   // there but unreadable: never overwrite it blindly
    }

    const std::string wantSection = Strip(section);
    const std::string wantKey = Strip(key);
    const std::string newLine = wantKey + "=" + value;
    bool inSection = false, written = false;
    std::size_t sectionEnd = std::string::npos;   // index after the last line of the section
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inSection) break;
            inSection = SameName(*name, wantSection);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        std::string k, v;
        if (KeyValue(lines[i], k, v) && SameName(k, wantKey)) {
            lines[i] = newLine;
            written = true;
        } else if (!Strip(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!written) {
        if (sectionEnd != std::string::npos) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), newLine);
        } else {
            while (!lines.empty() && Strip(lines.back()).empty()) lines.pop_back();
            if (!lines.empty()) lines.emplace_back();
            lines.push_back("[" + wantSection + "]");
            lines.push_back(newLine);
        }
    }
    // A file that had a byte-order mark is written back as UTF-8 with one: without it, text
    // that happens to begin like another mark would be read in the wrong encoding.
    std::string out = marked ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : lines) out += line + "\r\n";
    return fs.write(file, out);
}

}  // namespace qv
