// The file-based profile service; see IniProfile.h for the reading rules.
#include "platform/headless/IniProfile.h"

#include <cstddef>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#include "platform/ProfileValue.h"

namespace headless {
namespace {

constexpr size_t kValueBuffer = 1024;  // the platform reads into 1024 characters: 1023 and a NUL

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// What the platform copies out of a stored text: one pair of enclosing quotes removed,
// cut to the buffer. (The quote is only removed when the closing one fits the buffer, and
// then the last character copied goes, whatever it is; we do as the platform does.)
std::string CopyEntry(const std::string& stored) {
    std::string v = stored;
    bool quoted = false;
    if (v.size() > 1 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) {
        quoted = true;
        v.erase(0, 1);
    }
    std::string out = v.substr(0, kValueBuffer - 1);
    if (quoted && kValueBuffer >= v.size() && !out.empty()) out.pop_back();
    return out;
}

// One line of the file, kept as it stood unless a write changed it.
struct Line {
    std::string raw;        // the line without its line end
    std::string name;       // key name (keys only)
    bool isKey = false;     // a non-blank line that is not a section header
    bool hasValue = false;  // the key line holds "="
    std::string value;      // the value as stored, quotes included
};

struct Section {
    bool hasHeader = false;  // false for the nameless part before the first header
    std::string name;        // as written between the brackets
    std::string header;      // the header line as it stood
    std::vector<Line> lines;
};

struct Document {
    std::vector<Section> sections;
    profile_value::TEncoding encoding = profile_value::TEncoding::CodePage;

    const Section* Find(const std::string& wanted) const {
        std::string n = TrimBlanks(wanted);
        for (const auto& s : sections)
            if (SameName(s.name, n) && (s.hasHeader || n.empty())) return &s;
        return nullptr;
    }
    Section* Find(const std::string& wanted) {
        return const_cast<Section*>(static_cast<const Document*>(this)->Find(wanted));
    }
};

Line ParseKeyLine(const std::string& raw) {
    Line l;
    l.raw = raw;
    std::string t = TrimBlanks(raw);
    if (t.empty()) return l;
    l.isKey = true;
    size_t eq = t.find('=');
    if (eq == std::string::npos) {
        l.name = t;
        return l;
    }
    size_t ne = eq;
    while (ne > 0 && IsBlank(t[ne - 1])) --ne;
    l.name = t.substr(0, ne);
    size_t vb = eq + 1;
    while (vb < t.size() && IsBlank(t[vb])) ++vb;
    l.hasValue = true;
    l.value = t.substr(vb);
    return l;
}

Document Parse(const std::string& text) {
    Document doc;
    doc.sections.push_back(Section{});
    size_t pos = 0;
    while (pos < text.size()) {
        // The platform ends a line at LF, and only at CR when no LF follows anywhere.
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.find('\r', pos);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string raw = text.substr(pos, next - pos);
        pos = next;
        while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) raw.pop_back();

        std::string t = TrimBlanks(raw);
        if (!t.empty() && t[0] == '[') {
            size_t close = t.rfind(']');
            if (close != std::string::npos) {
                Section s;
                s.hasHeader = true;
                s.name = TrimBlanks(t.substr(1, close - 1));
                s.header = raw;
                doc.sections.push_back(std::move(s));
                continue;
            }
        }
        doc.sections.back().lines.push_back(ParseKeyLine(raw));
    }
    return doc;
}

std::string Load(const std::string& file) {
    // In one read: every call reads the file to see whether it changed.
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const std::streamoff size = in.tellg();
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    in.seekg(0);
    in.read(&text[0], size);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

bool Save(const std::string& file, Document& doc, IFileSystem* codePage) {
    std::ostringstream out;
    for (const auto& s : doc.sections) {
        if (s.hasHeader) out << s.header << "\r\n";
        for (const auto& l : s.lines) out << l.raw << "\r\n";
    }
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    const std::string text = profile_value::FileBytes(out.str(), codePage, doc.encoding);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    return static_cast<bool>(f);
}

}  // namespace

// The files parsed so far, each with the text it was parsed from.
struct ParsedFiles {
    struct Entry {
        std::string text;
        Document doc;
    };
    std::map<std::string, Entry> files;
};

namespace {

constexpr size_t kFilesKept = 16;

// A file's parse, made again only when the file's text differs from the text parsed last
// (a list is read key by key, and each read would otherwise parse the whole file).
const Document& ParsedText(ParsedFiles& cache, int& parses, const std::string& file, IFileSystem* codePage) {
    std::string text = Load(file);
    auto it = cache.files.find(file);
    if (it != cache.files.end() && it->second.text == text) return it->second.doc;
    if (it == cache.files.end() && cache.files.size() >= kFilesKept) cache.files.clear();
    ++parses;
    profile_value::TEncoding encoding;
    Document doc = Parse(profile_value::FileText(text, codePage, encoding));
    doc.encoding = encoding;
    auto& entry = cache.files[file];
    entry.text = std::move(text);
    entry.doc = std::move(doc);
    return entry.doc;
}

}  // namespace

IniFileProfile::IniFileProfile() : parsed_(std::make_unique<ParsedFiles>()) {}

IniFileProfile::~IniFileProfile() = default;

std::string IniFileProfile::ReadString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& def) {
    // The platform drops trailing spaces of the default (keeping its first character).
    std::string d = def;
    while (d.size() > 1 && d.back() == ' ') d.pop_back();

    const Document& doc = ParsedText(*parsed_, parses, file, codePage);
    const Section* s = doc.Find(section);
    if (!s) return CopyEntry(d);
    std::string k = TrimBlanks(key);
    for (const auto& l : s->lines) {
        if (l.isKey && SameName(l.name, k)) return l.hasValue ? CopyEntry(l.value) : CopyEntry(d);
    }
    return CopyEntry(d);
}

std::vector<std::string> IniFileProfile::ReadKeys(const std::string& file, const std::string& section) {
    std::vector<std::string> keys;
    const Document& doc = ParsedText(*parsed_, parses, file, codePage);
    const Section* s = doc.Find(section);
    if (!s) return keys;
    for (const auto& l : s->lines) {
        if (!l.isKey || !l.hasValue) continue;
        if (!l.name.empty() && l.name[0] == ';') continue;
        keys.push_back(CopyEntry(l.name));
    }
    return keys;
}

std::vector<std::string> IniFileProfile::ReadSections(const std::string& file) {
    std::vector<std::string> names;
    const Document& doc = ParsedText(*parsed_, parses, file, codePage);
    for (const auto& s : doc.sections) {
        if (!s.hasHeader) continue;
        bool seen = false;
        for (const auto& n : names) seen = seen || SameName(n, s.name);
        if (!seen) names.push_back(s.name);
    }
    return names;
}

bool IniFileProfile::WriteString(const std::string& file, const std::string& section, const std::string& key,
                                 const std::string& value) {
    if (refuseWrites || profile_value::Check(value) != profile_value::TFit::Fits) return false;
    Document doc = ParsedText(*parsed_, parses, file, codePage);
    Section* s = doc.Find(section);
    if (!s) {
        // A new section goes at the end, set off by a blank line.
        Section& last = doc.sections.back();
        bool empty = doc.sections.size() == 1 && last.lines.empty();
        if (!empty && (last.lines.empty() || !TrimBlanks(last.lines.back().raw).empty()))
            last.lines.push_back(Line{});
        Section n;
        n.hasHeader = true;
        n.name = TrimBlanks(section);
        n.header = "[" + n.name + "]";
        doc.sections.push_back(std::move(n));
        s = &doc.sections.back();
    }
    std::string k = TrimBlanks(key);
    std::string v = profile_value::Stored(value);
    size_t lead = 0;
    while (lead < v.size() && IsBlank(v[lead])) ++lead;
    v.erase(0, lead);

    Line fresh = ParseKeyLine(k + "=" + v);
    bool replaced = false;
    for (auto& l : s->lines) {
        if (l.isKey && SameName(l.name, k)) {
            fresh.name = l.name;  // keep the spelling the file had
            fresh.raw = l.name + "=" + v;
            l = fresh;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        // After the section's last non-blank line, so blank lines stay between sections.
        size_t at = s->lines.size();
        while (at > 0 && TrimBlanks(s->lines[at - 1].raw).empty()) --at;
        s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), fresh);
    }
    if (!Save(file, doc, codePage)) return false;
    ++writes;
    return true;
}

bool IniFileProfile::DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
    if (refuseWrites) return false;
    Document doc = ParsedText(*parsed_, parses, file, codePage);
    Section* s = doc.Find(section);
    if (!s) return true;  // nothing to remove is not a refusal
    const std::string k = TrimBlanks(key);
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->isKey && SameName(it->name, k)) {
            s->lines.erase(it);
            if (!Save(file, doc, codePage)) return false;
            ++writes;
            return true;
        }
    }
    return true;
}

bool IniFileProfile::EraseSection(const std::string& file, const std::string& section) {
    if (refuseWrites) return false;
    Document doc = ParsedText(*parsed_, parses, file, codePage);
    std::string n = TrimBlanks(section);
    bool found = false;
    for (size_t i = doc.sections.size(); i-- > 1;) {  // never the nameless head
        if (SameName(doc.sections[i].name, n)) {
            doc.sections.erase(doc.sections.begin() + static_cast<std::ptrdiff_t>(i));
            found = true;
        }
    }
    if (!found) return true;  // nothing to remove is not a refusal
    if (!Save(file, doc, codePage)) return false;
    ++writes;
    return true;
}

}  // namespace headless
