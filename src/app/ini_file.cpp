#include "app/ini_file.h"

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

std::vector<std::string> SplitLines(const std::string& data) {
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
    if (auto data = fs.read(file)) lines = SplitLines(*data);
    else if (Exists(fs, file)) return false;   // there but unreadable: never overwrite it blindly

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
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return fs.write(file, out);
}

}  // namespace qv
