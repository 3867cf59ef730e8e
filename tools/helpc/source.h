// helpc's input: a help source in a small line-based markup, read into topics, paragraphs
// and links. The markup:
//   ; comment line
//   .title TEXT            the help file's title (the viewer's caption)
//   .copyright TEXT        the copyright line
//   .contents ID           the topic "Help Topics" opens
//   .topic ID TITLE        starts a topic; ID is its context name ([A-Za-z0-9_.])
//   .map NUMBER...         context numbers the program asks for (HELP_CONTEXT)
//   .keywords K; K...      words of the viewer's Index that lead to the topic
//   .h TEXT                a heading inside the topic
//   * TEXT                 a bulleted paragraph of one line
//   TEXT                   body text; consecutive lines form one paragraph
//   (blank line)           ends a paragraph
// Inside text, [shown words](ID) is a link to the topic ID. The file is UTF-8; the help
// file is written in the Windows code page 1252, so only characters it has may appear.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace helpc {

struct Span {
  std::string text;    // in code page 1252
  std::string target;  // topic ID of a link; empty for plain text
};

enum class Style { Title, Heading, Body, Bullet };

struct Paragraph {
  Style style = Style::Body;
  std::vector<Span> spans;
};

struct Topic {
  std::string id;
  std::string title;  // code page 1252
  std::vector<uint32_t> maps;
  std::vector<std::string> keywords;  // code page 1252
  std::vector<Paragraph> paragraphs;
  int line = 0;  // where it starts in the source, for messages
};

struct HelpSource {
  std::string title, copyright, contents;
  std::vector<Topic> topics;
};

// Reads the markup; on an error returns false with "LINE: what" in `error`. Checks that
// IDs are unique and well formed, that every link and the contents name a topic, and that
// every topic can be reached from the contents.
bool parseSource(const std::string& text, HelpSource& out, std::string& error);

// UTF-8 to code page 1252; false when a character has no place in it.
bool toCp1252(const std::string& utf8, std::string& out);

}  // namespace helpc
