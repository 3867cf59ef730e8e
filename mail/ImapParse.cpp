// Taking IMAP responses apart; see ImapParse.h. A small recursive reader over the raw bytes:
// it never reads past the end, and every literal's length is checked against what is left.
#include "mail/ImapParse.h"

#include "core/SysUtils.h"

namespace {

class TReader {
public:
    explicit TReader(const std::string& raw) : s_(raw) {}

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
    void SkipSpaces() {
        while (!AtEnd() && s_[pos_] == ' ') ++pos_;
    }
    // The rest of the current line (a status text holds no literal).
    std::string RestOfLine() {
        size_t end = s_.find_first_of("\r\n", pos_);
        std::string text = s_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
        pos_ = s_.size();
        return text;
    }

    // An atom: up to a blank, a parenthesis, a quote, a brace or a closing bracket. A body
    // section ("BODY[HEADER.FIELDS (FROM SUBJECT)]") is part of its atom, blanks and all.
    bool Atom(std::string& out) {
        size_t start = pos_;
        while (!AtEnd()) {
            char c = s_[pos_];
            if (c == '[') {
                size_t close = s_.find(']', pos_);
                size_t lineEnd = s_.find_first_of("\r\n", pos_);
                if (close == std::string::npos || close > lineEnd) return false;
                pos_ = close + 1;
                continue;
            }
            if (c == ' ' || c == '(' || c == ')' || c == '"' || c == '{' || c == ']' ||
                static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                break;
            ++pos_;
        }
        out = s_.substr(start, pos_ - start);
        return !out.empty();
    }

    // Items up to the end, a ")" (inside a list) or a "]" (inside a response code).
    bool Items(std::vector<TImapItem>& out, size_t depth, char closer) {
        for (;;) {
            SkipSpaces();
            if (AtEnd()) return closer == '\0';
            char c = Peek();
            if (c == closer && closer != '\0') {
                ++pos_;
                return true;
            }
            if (++count_ > MaxImapItems) return false;
            TImapItem item;
            if (c == '(') {
                if (depth >= MaxImapDepth) return false;
                ++pos_;
                item.Kind = TImapItem::List;
                if (!Items(item.Items, depth + 1, ')')) return false;
            } else if (c == '"') {
                item.Kind = TImapItem::String;
                if (!Quoted(item.Text)) return false;
            } else if (c == '{') {
                item.Kind = TImapItem::String;
                if (!Literal(item.Text)) return false;
            } else {
                if (!Atom(item.Text)) return false;
                if (SameText(item.Text, "NIL")) item.Kind = TImapItem::Nil;
            }
            out.push_back(std::move(item));
            // Items are set apart by a blank, or end where their list ends.
            c = Peek();
            if (!AtEnd() && c != ' ' && c != ')' && c != ']') return false;
        }
    }

private:
    bool Quoted(std::string& out) {
        ++pos_;
        while (!AtEnd()) {
            char c = s_[pos_++];
            if (c == '"') return true;
            if (c == '\r' || c == '\n') return false;
            if (c == '\\') {
                if (AtEnd() || (s_[pos_] != '"' && s_[pos_] != '\\')) return false;
                c = s_[pos_++];
            }
            out.push_back(c);
        }
        return false;
    }

    bool Literal(std::string& out) {
        size_t close = s_.find('}', pos_);
        if (close == std::string::npos) return false;
        uint64_t n = 0;
        if (!ImapLiteralAtEnd(s_.substr(pos_, close + 1 - pos_), n)) return false;
        pos_ = close + 1;
        if (s_.compare(pos_, 2, "\r\n") != 0) return false;
        pos_ += 2;
        if (n > s_.size() - pos_) return false;
        out = s_.substr(pos_, size_t(n));
        pos_ += size_t(n);
        return true;
    }

    const std::string& s_;
    size_t pos_ = 0;
    size_t count_ = 0;
};

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

bool IsImapStatus(const std::string& name) {
    return name == "OK" || name == "NO" || name == "BAD" || name == "BYE" || name == "PREAUTH";
}

bool ImapLiteralAtEnd(const std::string& line, uint64_t& n) {
    if (line.empty() || line.back() != '}') return false;
    size_t open = line.rfind('{');
    if (open == std::string::npos) return false;
    std::string digits = line.substr(open + 1, line.size() - open - 2);
    if (!digits.empty() && digits.back() == '+') digits.pop_back();
    if (!AllDigits(digits) || digits.size() > 18) return false;
    n = 0;
    for (char c : digits) n = n * 10 + uint64_t(c - '0');
    return true;
}

bool ParseImapResponse(const std::string& raw, TImapResponse& response) {
    TImapResponse r;
    TReader in(raw);
    if (in.Peek() == '+') {
        size_t end = raw.find_first_of("\r\n");
        r.Tag = "+";
        r.Text = TrimLeft(raw.substr(1, end == std::string::npos ? std::string::npos : end - 1));
        response = std::move(r);
        return true;
    }
    // "*" for untagged data, else the tag of a command; either is read as an atom.
    if (!in.Atom(r.Tag)) return false;
    if (in.Peek() != ' ') return false;
    in.SkipSpaces();
    if (!in.Atom(r.Name)) return false;
    if (r.Tag == "*" && AllDigits(r.Name)) {
        r.Number = r.Name;
        if (in.Peek() != ' ') return false;
        in.SkipSpaces();
        if (!in.Atom(r.Name)) return false;
    }
    r.Name = UpperCase(r.Name);
    if (r.Tag != "*" && !IsImapStatus(r.Name)) return false;
    if (IsImapStatus(r.Name) && r.Number.empty()) {
        in.SkipSpaces();
        if (in.Peek() == '[') {
            // "[" is read as part of an atom elsewhere; here it opens the response code.
            std::string rest = in.RestOfLine();
            size_t close = rest.find(']');
            if (close == std::string::npos) return false;
            std::string inner = rest.substr(1, close - 1);
            TReader items(inner);
            if (!items.Items(r.Code, 0, '\0')) return false;
            r.Text = TrimLeft(rest.substr(close + 1));
        } else {
            r.Text = in.RestOfLine();
        }
    } else if (!in.Items(r.Data, 0, '\0')) {
        return false;
    }
    response = std::move(r);
    return true;
}

const TImapItem* ImapFetchValue(const TImapResponse& fetch, const std::string& name) {
    if (fetch.Data.size() != 1 || fetch.Data[0].Kind != TImapItem::List) return nullptr;
    const std::vector<TImapItem>& pairs = fetch.Data[0].Items;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        const TImapItem& key = pairs[i];
        if (key.Kind == TImapItem::Atom && key.Text.size() >= name.size() &&
            SameText(key.Text.substr(0, name.size()), name))
            return &pairs[i + 1];
    }
    return nullptr;
}

void ImapHeaderFields(const std::string& header, size_t maxLength, std::string& from, std::string& subject) {
    from.clear();
    subject.clear();
    std::string* field = nullptr;  // the field the last line belonged to
    bool seenFrom = false, seenSubject = false;
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find('\n', pos);
        if (end == std::string::npos) end = header.size();
        std::string line = header.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;  // the end of the header
        auto add = [&](std::string& to, const std::string& text) {
            if (to.size() < maxLength) to += text.substr(0, maxLength - to.size());
        };
        if (line[0] == ' ' || line[0] == '\t') {
            // A folded line goes on with the field above it.
            if (field) add(*field, line);
            continue;
        }
        field = nullptr;
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = Trim(line.substr(0, colon));
        // The first of each field counts, as a reader of the message would see it.
        if (SameText(name, "From") && !seenFrom) {
            seenFrom = true;
            field = &from;
        } else if (SameText(name, "Subject") && !seenSubject) {
            seenSubject = true;
            field = &subject;
        }
        if (field) add(*field, TrimLeft(line.substr(colon + 1)));
    }
}

std::string ImapQuoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) return "";
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}
