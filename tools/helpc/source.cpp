// The help source reader; the markup is described in source.h.
#include "tools/helpc/source.h"

#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace helpc {

namespace {

bool validId(const std::string& id) {
  if (id.empty()) return false;
  for (char c : id)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) return false;
  return true;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// Splits running text into plain spans and [words](ID) links; a bracket that does not
// open such a link is text ("the [Other] section").
bool spansOf(const std::string& text, std::vector<Span>& out, std::string& error) {
  std::string plain;
  size_t at = 0;
  while (at < text.size()) {
    size_t open = text.find('[', at);
    size_t close = open == std::string::npos ? open : text.find(']', open);
    if (close == std::string::npos || text.compare(close, 2, "](") != 0) {
      size_t upto = open == std::string::npos ? text.size() : open + 1;
      plain += text.substr(at, upto - at);
      at = upto;
      continue;
    }
    size_t end = text.find(')', close);
    std::string words = text.substr(open + 1, close - open - 1);
    std::string id = end == std::string::npos ? "" : text.substr(close + 2, end - close - 2);
    if (words.empty() || !validId(id)) {
      error = "bad link \"" + text.substr(open, end == std::string::npos ? end : end - open + 1) + "\"";
      return false;
    }
    plain += text.substr(at, open - at);
    if (!plain.empty()) out.push_back({plain, ""});
    plain.clear();
    out.push_back({words, id});
    at = end + 1;
  }
  if (!plain.empty()) out.push_back({plain, ""});
  return true;
}

}  // namespace

bool toCp1252(const std::string& in, std::string& out) {
  // The characters of 0x80-0x9F in code page 1252 that typography uses.
  static const std::map<uint32_t, char> extra = {
      {0x2018, '\x91'}, {0x2019, '\x92'}, {0x201C, '\x93'}, {0x201D, '\x94'}, {0x2022, '\x95'},
      {0x2013, '\x96'}, {0x2014, '\x97'}, {0x2026, '\x85'}, {0x20AC, '\x80'}, {0x2122, '\x99'}};
  out.clear();
  for (size_t i = 0; i < in.size();) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    uint32_t cp;
    int n;
    if (c < 0x80) { cp = c; n = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 3; }
    else return false;
    if (i + n > in.size()) return false;
    for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(in[i + k]) & 0x3F);
    i += n;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) out += char(cp);
    else if (auto f = extra.find(cp); f != extra.end()) out += f->second;
    else return false;
  }
  return true;
}

bool parseSource(const std::string& text, HelpSource& out, std::string& error) {
  out = {};
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  Paragraph* open = nullptr;  // the paragraph that further text lines continue
  std::string pending;        // its text so far
  auto fail = [&](const std::string& what) {
    error = std::to_string(lineNo) + ": " + what;
    return false;
  };
  auto flush = [&]() {
    if (!open) return true;
    std::string why;
    if (!spansOf(pending, open->spans, why)) return fail(why);
    open = nullptr;
    pending.clear();
    return true;
  };
  auto start = [&](Style style, const std::string& body) {
    if (out.topics.empty()) return fail("text before the first .topic");
    out.topics.back().paragraphs.push_back({style, {}});
    open = &out.topics.back().paragraphs.back();
    pending = body;
    return true;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line;
    if (!toCp1252(trim(raw), line)) return fail("a character outside code page 1252");
    if (!line.empty() && line[0] == ';') continue;
    if (line.empty()) {
      if (!flush()) return false;
      continue;
    }
    if (line[0] == '.') {
      if (!flush()) return false;
      size_t sp = line.find(' ');
      std::string cmd = line.substr(0, sp), arg = sp == std::string::npos ? "" : trim(line.substr(sp));
      if (cmd == ".title") out.title = arg;
      else if (cmd == ".copyright") out.copyright = arg;
      else if (cmd == ".contents") out.contents = arg;
      else if (cmd == ".topic") {
        size_t s2 = arg.find(' ');
        Topic t;
        t.id = arg.substr(0, s2);
        t.title = s2 == std::string::npos ? "" : trim(arg.substr(s2));
        t.line = lineNo;
        if (!validId(t.id) || t.title.empty()) return fail(".topic needs an ID and a title");
        t.paragraphs.push_back({Style::Title, {{t.title, ""}}});
        out.topics.push_back(t);
      } else if (cmd == ".map") {
        if (out.topics.empty()) return fail(".map outside a topic");
        std::istringstream nums(arg);
        long n;
        while (nums >> n) out.topics.back().maps.push_back(uint32_t(n));
        if (!nums.eof()) return fail(".map takes numbers");
      } else if (cmd == ".keywords") {
        if (out.topics.empty()) return fail(".keywords outside a topic");
        std::istringstream words(arg);
        for (std::string k; std::getline(words, k, ';');)
          if (!trim(k).empty()) out.topics.back().keywords.push_back(trim(k));
      } else if (cmd == ".h") {
        if (!start(Style::Heading, arg)) return false;
        if (!flush()) return false;
      } else {
        return fail("unknown command " + cmd);
      }
      continue;
    }
    if (line.size() > 1 && line[0] == '*' && line[1] == ' ') {
      if (!flush() || !start(Style::Bullet, trim(line.substr(1)))) return false;
      continue;
    }
    // A bullet is one line: text after it is a paragraph of its own, not more of the bullet.
    if (open && open->style != Style::Bullet) pending += " " + line;
    else if (!flush() || !start(Style::Body, line)) return false;
  }
  if (!flush()) return false;

  // Whole-file checks.
  std::map<std::string, size_t> index;
  std::set<uint32_t> numbers;
  for (size_t i = 0; i < out.topics.size(); ++i) {
    const Topic& t = out.topics[i];
    lineNo = t.line;
    if (!index.emplace(t.id, i).second) return fail("topic " + t.id + " defined twice");
    for (uint32_t n : t.maps)
      if (!numbers.insert(n).second) return fail("context number " + std::to_string(n) + " mapped twice");
  }
  lineNo = 0;
  if (out.title.empty()) return fail("no .title");
  if (!index.count(out.contents)) return fail("the .contents topic \"" + out.contents + "\" does not exist");
  for (const Topic& t : out.topics)
    for (const Paragraph& p : t.paragraphs)
      for (const Span& s : p.spans)
        if (!s.target.empty() && !index.count(s.target)) {
          lineNo = t.line;
          return fail("topic " + t.id + " links to the missing topic " + s.target);
        }
  std::vector<bool> seen(out.topics.size());
  std::vector<size_t> todo = {index[out.contents]};
  seen[todo[0]] = true;
  while (!todo.empty()) {
    size_t i = todo.back();
    todo.pop_back();
    for (const Paragraph& p : out.topics[i].paragraphs)
      for (const Span& s : p.spans)
        if (!s.target.empty() && !seen[index[s.target]]) {
          seen[index[s.target]] = true;
          todo.push_back(index[s.target]);
        }
  }
  for (size_t i = 0; i < seen.size(); ++i)
    if (!seen[i]) {
      lineNo = out.topics[i].line;
      return fail("topic " + out.topics[i].id + " cannot be reached from the contents");
    }
  return true;
}

}  // namespace helpc
