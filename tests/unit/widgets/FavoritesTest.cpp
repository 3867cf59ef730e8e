// The favorites button's menu, built from a real folder of shortcut files.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/unit/HeadlessFixture.h"
#include "widgets/wwwbtn97.h"

namespace fs = std::filesystem;

class FavoritesTest : public HeadlessTest {
protected:
    FavoritesTest() {
        favorites = dir + "/Favorites";
        fs::create_directories(favorites);
        registry.WriteString(TRootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                             "Favorites", favorites);
    }
    void Shortcut(const std::string& relPath, const std::string& url) {
        fs::create_directories(fs::path(favorites + "/" + relPath).parent_path());
        std::ofstream f(favorites + "/" + relPath);
        f << "[InternetShortcut]\r\n";
        if (!url.empty()) f << "URL=" << url << "\r\n";
    }
    static std::vector<std::string> Captions(TMenuItem& level) {
        std::vector<std::string> v;
        for (int i = 0; i < level.Count(); ++i) v.push_back(level.Items(i)->Caption());
        return v;
    }
    std::string favorites;
};

TEST_F(FavoritesTest, FoldersFirstThenShortcutsInByteOrderAnyCaseOfExtension) {
    fs::create_directories(favorites + "/b");
    fs::create_directories(favorites + "/A");
    Shortcut("z.url", "http://z/");
    Shortcut("C.url", "http://c/");
    Shortcut("news.url", "http://n1/");
    Shortcut("News.URL", "http://n2/");
    std::ofstream(favorites + "/notes.txt") << "not a shortcut";
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.Refresh();
    EXPECT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"A", "b", "C", "News", "news", "z"}));
    EXPECT_EQ(b.Menu()->Items(0)->Tag(), TWWWBtn97::kFolderTag);
    EXPECT_EQ(b.Menu()->Items(0)->Count(), 0);  // an empty folder: no submenu
}

TEST_F(FavoritesTest, LongLevelsSpillIntoDotDotDotAfterTwentyOne) {
    for (int i = 0; i < 22; ++i) Shortcut("full/" + std::string(1, char('a' + i)) + ".url", "http://x/");
    for (int i = 0; i < 23; ++i) Shortcut("over/" + std::string(1, char('a' + i)) + ".url", "http://x/");
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.Refresh();
    TMenuItem* full = b.Menu()->Items(0);
    TMenuItem* over = b.Menu()->Items(1);
    EXPECT_EQ(full->Count(), 22);
    ASSERT_EQ(over->Count(), 22);
    EXPECT_EQ(over->Items(21)->Caption(), "...");
    EXPECT_EQ(Captions(*over->Items(21)), (std::vector<std::string>{"v", "w"}));
}

TEST_F(FavoritesTest, ChoosingAnItemStoresItsNameAndAddressAndFiresOnce) {
    Shortcut("News/Daily.url", "http://daily.example/");
    Shortcut("broken.url", "");
    fs::create_directories(favorites + "/Empty");
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    int fired = 0;
    b.OnSelectURL = [&](TObject* s) {
        EXPECT_EQ(s, &b);
        ++fired;
    };
    b.Refresh();
    ASSERT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"Empty", "News", "broken"}));
    b.Menu()->Items(1)->Items(0)->Click();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(b.URLName, "Daily");
    EXPECT_EQ(b.URLPath, "http://daily.example/");
    b.Menu()->Items(2)->Click();
    EXPECT_EQ(b.URLPath, "URL not found");
    b.Menu()->Items(0)->Click();  // an empty folder is an item too
    EXPECT_EQ(b.URLName, "Empty");
    EXPECT_EQ(b.URLPath, "");
}

TEST_F(FavoritesTest, AClickOnThePictureRescansAndTheArrowOpensTheMenu) {
    Shortcut("one.url", "http://1/");
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.SetBounds(0, 0, 57, 57);
    b.PopupAt(10, 20);  // builds on first opening
    EXPECT_TRUE(b.Built());
    EXPECT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"one"}));
    Shortcut("two.url", "http://2/");
    b.ClickAt(50, 10);  // the arrow part: opens, no rescan
    EXPECT_EQ(b.Menu()->Count(), 1);
    EXPECT_EQ(headless::PeerOf(*b.Menu())->popups.size(), 2u);
    b.ClickAt(10, 10);  // the picture part
    EXPECT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"one", "two"}));
}

TEST_F(FavoritesTest, WithoutAFavoritesFolderTheMenuIsNeverBuilt) {
    registry.DeleteValue(TRootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                         "Favorites");
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.PopupAt(0, 0);
    EXPECT_FALSE(b.Built());
    // What opens says so, rather than an invisible menu that takes the next click.
    ASSERT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"(Empty)"}));
    EXPECT_FALSE(b.Menu()->Items(0)->Enabled());
}

TEST_F(FavoritesTest, AnEmptyFolderOpensAsTheEmptyItemUntilShortcutsArrive) {
    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.SetBounds(0, 0, 57, 57);
    b.ClickAt(50, 10);
    EXPECT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"(Empty)"}));
    Shortcut("one.url", "http://1/");
    b.ClickAt(10, 10);  // rescan
    EXPECT_EQ(Captions(b.Menu()->ItemsRoot()), (std::vector<std::string>{"one"}));
}

TEST_F(FavoritesTest, TheExtendedStyleDrawsTheMenuWithTheButtonsLook) {
    Shortcut("one.url", "http://1/");
    TWWWBtn97 plain(nullptr, nullptr, "Plain");
    plain.MenuOptions.MenuStyle = TMenuOption::Standard;
    plain.PopupAt(0, 0);
    EXPECT_EQ(plain.Menu()->Look, nullptr);

    TWWWBtn97 drawn(nullptr, nullptr, "Drawn");
    drawn.MenuOptions.ItemSelectColor = 0x800000;
    drawn.MenuOptions.URLBitmapDisplay = TMenuOption::All_icon;
    drawn.MenuOptions.ItemBmpURL = "FAVURL";
    drawn.PopupAt(0, 0);
    ASSERT_NE(drawn.Menu()->Look, nullptr);
    EXPECT_EQ(drawn.Menu()->Look->SelectColor, 0x800000u);
    EXPECT_TRUE(drawn.Menu()->Look->IconOnEveryItem);
    EXPECT_EQ(drawn.Menu()->Look->ItemIcon, "FAVURL");
    drawn.Refresh();  // a new build is drawn again from its first opening
    EXPECT_EQ(drawn.Menu()->Look, nullptr);
    drawn.PopupAt(0, 0);
    EXPECT_NE(drawn.Menu()->Look, nullptr);
}

// Links that lead back into the tree (two of them make the tree grow without end) and trees
// too deep or too large for a menu: each real folder gets a submenu once per build, and the
// depth and the number of items are bounded.
TEST_F(FavoritesTest, FolderLinksAndHugeTreesBuildABoundedMenu) {
    Shortcut("Docs/d.url", "http://d/");
    fs::create_directory_symlink(favorites, favorites + "/Loop1");
    fs::create_directory_symlink(favorites, favorites + "/Loop2");
    fs::create_directory_symlink(favorites + "/Docs", favorites + "/Also docs");
    std::string deep = "Deep";
    for (int i = 0; i < 40; ++i) deep += "/d";
    Shortcut(deep + "/bottom.url", "http://bottom/");
    for (int i = 0; i < 2100; ++i) Shortcut("Many/" + std::to_string(10000 + i) + ".url", "http://m/");

    TWWWBtn97 b(nullptr, nullptr, "Fav");
    b.Refresh();
    ASSERT_EQ(Captions(b.Menu()->ItemsRoot()),
              (std::vector<std::string>{"Also docs", "Deep", "Docs", "Loop1", "Loop2", "Many"}));
    EXPECT_EQ(Captions(*b.Menu()->Items(0)), std::vector<std::string>{"d"});  // Docs, reached first by its link
    EXPECT_EQ(b.Menu()->Items(2)->Count(), 0);                                 // and not again
    EXPECT_EQ(b.Menu()->Items(3)->Count(), 0);                                 // the favorites folder itself
    EXPECT_EQ(b.Menu()->Items(4)->Count(), 0);

    std::function<int(TMenuItem&, int, int&)> walk = [&](TMenuItem& level, int depth, int& items) {
        int deepest = depth;
        for (int i = 0; i < level.Count(); ++i) {
            ++items;
            deepest = std::max(deepest, walk(*level.Items(i), depth + 1, items));
        }
        return deepest;
    };
    int items = 0;
    int depth = walk(*b.Menu()->Items(1), 1, items);  // the deep chain alone
    EXPECT_GE(depth, 10);
    EXPECT_LE(depth, TWWWBtn97::kMaxDepth + 1);
    items = 0;
    walk(b.Menu()->ItemsRoot(), 0, items);
    EXPECT_LE(items, TWWWBtn97::kMaxItems);
    EXPECT_GE(items, TWWWBtn97::kMaxItems - 30);
}
