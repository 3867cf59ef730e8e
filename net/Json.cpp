// A small recursive-descent JSON reader; see Json.h. Every path is bounded: the depth by
// MaxJsonDepth, the work by the length of the text.
#include "net/Json.h"

namespace {

class Reader {
public:
    explicit Reader(std::string_view t) : t_(t) {}

    bool Document(TJsonObject& out) {
        Blanks();
        if (!Object(0, &out)) return false;
        Blanks();
        return pos_ == t_.size();
    }

private:
    void Blanks() {
        while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\n' || t_[pos_] == '\r')) ++pos_;
    }
    bool Take(char c) {
        if (pos_ < t_.size() && t_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (t_.substr(pos_, w.size()) != w) return false;
        pos_ += w.size();
        return true;
    }

    // An object; top (depth 0) keeps its scalar members in out.
    bool Object(int depth, TJsonObject* out) {
        if (!Take('{')) return false;
        Blanks();
        if (Take('}')) return true;
        for (;;) {
            std::string name, text;
            Blanks();
            if (!String(name)) return false;
            Blanks();
            if (!Take(':')) return false;
            Blanks();
            bool scalar = false;
            if (!Value(depth, text, scalar)) return false;
            if (out && scalar) out->Members[name] = text;
            Blanks();
            if (Take('}')) return true;
            if (!Take(',')) return false;
        }
    }

    bool Array(int depth) {
        if (!Take('[')) return false;
        Blanks();
        if (Take(']')) return true;
        for (;;) {
            std::string text;
            bool scalar = false;
            Blanks();
            if (!Value(depth, text, scalar)) return false;
            Blanks();
            if (Take(']')) return true;
            if (!Take(',')) return false;
        }
    }

    // Any value, at the depth of its container; scalars leave their text.
    bool Value(int depth, std::string& text, bool& scalar) {
        if (pos_ >= t_.size()) return false;
        char c = t_[pos_];
        scalar = c != '{' && c != '[';
        if (!scalar && depth + 1 >= MaxJsonDepth) return false;
        if (c == '{') return Object(depth + 1, nullptr);
        if (c == '[') return Array(depth + 1);
        if (c == '"') return String(text);
        for (std::string_view w : {"true", "false", "null"})
            if (Word(w)) {
                text = w;
                return true;
            }
        return Number(text);
    }

    bool Digits() {
        size_t from = pos_;
        while (pos_ < t_.size() && t_[pos_] >= '0' && t_[pos_] <= '9') ++pos_;
        return pos_ > from;
    }
    bool Number(std::string& text) {
        size_t from = pos_;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        text = std::string(t_.substr(from, pos_ - from));
        return true;
    }

    static void PutUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    bool Hex4(uint32_t& v) {
        if (pos_ + 4 > t_.size()) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = t_[pos_++];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) return false;
            v = v << 4 | uint32_t(d);
        }
        return true;
    }
    // One UTF-8 sequence copied as it stands, checked (no overlong form, no surrogate).
    bool Utf8(std::string& out) {
        uint8_t b = uint8_t(t_[pos_]);
        int more = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        if (more < 0 || pos_ + size_t(more) >= t_.size()) return false;
        uint32_t cp = b & (0x3F >> more);
        for (int i = 1; i <= more; ++i) {
            uint8_t c = uint8_t(t_[pos_ + size_t(i)]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        out.append(t_.substr(pos_, size_t(more) + 1));
        pos_ += size_t(more) + 1;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        out.clear();
        while (pos_ < t_.size()) {
            uint8_t c = uint8_t(t_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) return false;
            if (c >= 0x80) {
                if (!Utf8(out)) return false;
                continue;
            }
            ++pos_;
            if (c != '\\') {
                out += char(c);
                continue;
            }
            if (pos_ >= t_.size()) return false;
            char e = t_[pos_++];
            switch (e) {
                case '"': case '\\': case '/': out += e; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    uint32_t cp;
                    if (!Hex4(cp)) return false;
                    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        uint32_t low;
                        if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    PutUtf8(out, cp);
                    break;
                }
                default: return false;
            }
        }
        return false;
    }

    std::string_view t_;
    size_t pos_ = 0;
};

}  // namespace

bool ReadJsonObject(std::string_view text, TJsonObject& out) {
    if (text.size() > MaxJsonLength) return false;
    TJsonObject read;
    if (!Reader(text).Document(read)) return false;
    out = std::move(read);
    return true;
}

std::string TJsonObject::Text(const std::string& name) const {
    auto it = Members.find(name);
    return it == Members.end() ? std::string() : it->second;
}

bool TJsonObject::Number(const std::string& name, int64_t max, int64_t& value) const {
    std::string t = Text(name);
    if (t.empty() || t.size() > 18) return false;
    int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    value = v;
    return true;
}
