// velmora.hlp as the compiler builds it from help/velmora.help, read back with the
// independent reader: every topic is there, every jump and context number lands on a
// topic, and everything can be reached from the contents.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "core/HelpContexts.h"
#include "tests/unit/help/HlpReader.h"
#include "tools/helpc/hlpwriter.h"
#include "tools/helpc/source.h"

using namespace hlp_test;

namespace {

std::string ReadSource() {
  std::string src = __FILE__;
  std::ifstream f(src.substr(0, src.rfind("/tests/unit/help/")) + "/help/velmora.help", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

const HelpFile& Shipped() {
  static const HelpFile file = [] {
    helpc::HelpSource src;
    std::string error;
    if (!helpc::parseSource(ReadSource(), src, error)) throw Format("help source: " + error);
    return readHelpFile(helpc::buildHelpFile(src, 0));
  }();
  return file;
}

const Topic* TopicAt(uint32_t offset) {
  for (const Topic& t : Shipped().topics)
    if (t.offset == offset) return &t;
  return nullptr;
}

std::string TitleFor(uint32_t offset) {
  const Topic* t = TopicAt(offset);
  return t ? t->title : "<no topic at this offset>";
}

TEST(HelpFile, EveryTopicHasTextAndEveryJumpLandsOnATopic) {
  const HelpFile& h = Shipped();
  EXPECT_EQ(h.title, "Velmora Help");
  EXPECT_EQ(h.mainCaption, "Velmora Help");
  EXPECT_GE(h.fonts, 3);
  ASSERT_GE(h.topics.size(), 30u);
  std::set<uint32_t> offsets;
  for (const Topic& t : h.topics) {
    EXPECT_TRUE(offsets.insert(t.offset).second) << t.title << " shares its offset";
    ASSERT_GE(t.paragraphs.size(), 2u) << t.title;
    EXPECT_EQ(t.paragraphs[0].text, t.title) << "the first paragraph shows the title";
    EXPECT_NE(t.paragraphs[0].firstFont, t.paragraphs[1].firstFont) << t.title << ": title in its own font";
    for (const Paragraph& p : t.paragraphs)
      for (int32_t hash : p.jumps) {
        auto c = h.context.find(hash);
        ASSERT_NE(c, h.context.end()) << t.title << ": a jump to an unknown context";
        EXPECT_NE(TopicAt(c->second), nullptr) << t.title << ": a jump to the middle of a topic";
      }
  }
  EXPECT_EQ(h.context.size(), h.topics.size()) << "one context name per topic";
  for (auto [hash, offset] : h.context) EXPECT_NE(TopicAt(offset), nullptr);

  // Reachable from the contents by following jumps.
  std::set<uint32_t> seen = {h.contents}, todo = {h.contents};
  while (!todo.empty()) {
    const Topic* t = TopicAt(*todo.begin());
    todo.erase(todo.begin());
    ASSERT_NE(t, nullptr);
    for (const Paragraph& p : t->paragraphs)
      for (int32_t hash : p.jumps)
        if (seen.insert(h.context.at(hash)).second) todo.insert(h.context.at(hash));
  }
  for (const Topic& t : h.topics) EXPECT_TRUE(seen.count(t.offset)) << t.title << " cannot be reached";
}

TEST(HelpFile, ContentsContextNumbersAndNamesOpenTheirTopics) {
  const HelpFile& h = Shipped();
  EXPECT_EQ(TitleFor(h.contents), "Velmora Help Contents");
  EXPECT_EQ(TitleFor(h.map.at(310)), "The main window");
  EXPECT_EQ(TitleFor(h.map.at(100)), "The settings dialog");
  EXPECT_NE(TitleFor(h.map.at(500)).find("680"), std::string::npos);
  EXPECT_NE(TitleFor(h.map.at(501)).find("691"), std::string::npos);
  // The names hashed here, independently of the compiler, find the same topics.
  EXPECT_EQ(TitleFor(h.context.at(nameHash("main_window"))), "The main window");
  EXPECT_EQ(TitleFor(h.context.at(nameHash("Err_623"))), TitleFor(h.context.at(nameHash("err_623"))));
  // A topic for every error the program reports.
  std::string titles;
  for (const Topic& t : h.topics) titles += t.title + "\n";
  for (const char* e : {"Error 623", "Error 676", "Error 678", "Error 680", "Error 691", "Error, see help file",
                        "Error, Not able to retrieve your email", "The Email server is not responding",
                        "The Time server is not responding", "A program cannot be started",
                        "CheckAppAlreadyRunning"})
    EXPECT_NE(titles.find(e), std::string::npos) << e;
}

// Every context number a window, page or message box asks for opens the topic meant for
// it, and the help file maps no number the program does not know.
TEST(HelpFile, EveryHelpContextOfTheProgramOpensItsTopic) {
  const HelpFile& h = Shipped();
  std::set<uint32_t> known;
  for (const helpctx::Topic& t : helpctx::kTopics) {
    known.insert(uint32_t(t.number));
    auto number = h.map.find(uint32_t(t.number));
    ASSERT_NE(number, h.map.end()) << t.number << " is not in the help file";
    auto name = h.context.find(nameHash(t.name));
    ASSERT_NE(name, h.context.end()) << t.name << " is not a topic";
    EXPECT_EQ(TitleFor(number->second), TitleFor(name->second)) << t.number;
  }
  for (auto [number, offset] : h.map) EXPECT_TRUE(known.count(number)) << number << " (" << TitleFor(offset) << ")";
  EXPECT_NE(TitleFor(h.map.at(helpctx::Schedule)), TitleFor(h.map.at(helpctx::MainWindow)));
  // The contents lead a newcomer to the first steps.
  EXPECT_EQ(TitleFor(h.context.at(nameHash("getting_started"))), "Getting started");
}

// The viewer's Index: every server form a mailbox or the clock takes is a keyword, and each
// keyword leads to topics of the file.
TEST(HelpFile, IndexLeadsFromEveryServerFormToItsTopic) {
  const HelpFile& h = Shipped();
  std::map<std::string, std::string> first;
  for (const auto& [word, topics] : h.keywords) {
    ASSERT_FALSE(topics.empty()) << word;
    for (uint32_t t : topics) EXPECT_NE(TopicAt(t), nullptr) << word;
    first[word] = TitleFor(topics[0]);
  }
  for (const char* form : {"pop3://", "pops://", "pop3s://", "pop3+starttls://", "imap://", "imaps://", "imap+starttls://", "ntp://"})
    EXPECT_TRUE(first.count(form)) << form << " is not in the Index";
  EXPECT_EQ(first["certificate"], "The mail server's certificate");
}

TEST(HelpCompiler, RefusesSourcesThatWouldGiveBrokenHelp) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {".title T\n.contents a\n.topic a A\nSee [b](b).\n", "missing topic b"},
      {".title T\n.contents a\n.topic a A\ntext\n.topic b B\ntext\n", "cannot be reached"},
      {".title T\n.contents a\n.topic a A\n[b](b)\n.topic b B\n.map 7\n.topic c C\n.map 7\n", "mapped twice"},
      {".title T\n.contents a\n.topic a A\n.topic a B\n", "defined twice"},
      {".title T\n.contents x\n.topic a A\n", "does not exist"},
  };
  for (const auto& c : cases) {
    helpc::HelpSource src;
    std::string error;
    EXPECT_FALSE(helpc::parseSource(c.source, src, error)) << c.source;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
  // A bracket that opens no link is text, and Latin-1 letters arrive in code page 1252.
  helpc::HelpSource src;
  std::string error;
  ASSERT_TRUE(helpc::parseSource(".title T\n.contents a\n.topic a A\nthe [Other] section, caf\xC3\xA9\n", src, error)) << error;
  EXPECT_EQ(src.topics[0].paragraphs[1].spans.size(), 1u);
  EXPECT_EQ(src.topics[0].paragraphs[1].spans[0].text, "the [Other] section, caf\xE9");
  // Text right after a bullet is a paragraph of its own ("See also ..." under a list).
  helpc::HelpSource list;
  ASSERT_TRUE(helpc::parseSource(".title T\n.contents a\n.topic a A\n* one\nSee also\nmore\n", list, error)) << error;
  ASSERT_EQ(list.topics[0].paragraphs.size(), 3u);
  EXPECT_EQ(list.topics[0].paragraphs[1].spans[0].text, "one");
  EXPECT_EQ(list.topics[0].paragraphs[2].style, helpc::Style::Body);
  EXPECT_EQ(list.topics[0].paragraphs[2].spans[0].text, "See also more");
}

}  // namespace
