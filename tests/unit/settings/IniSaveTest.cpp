// Saving the settings file as one whole-file replacement: a step that fails at any point
// leaves the old file whole, and so does a process killed in the middle of a save.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "platform/WholeFile.h"
#include "settings/IniBatch.h"
#include "tests/unit/settings/SettingsFixture.h"

namespace {

// The disk, with one step failing as a full disk, a read-only folder or a locked file make
// it fail. A short write is reported as a success, as the platform's profile service does.
enum class TFault { None, Create, ShortWrite, Flush, ReadBack, Replace };

class FaultyDisk : public headless::DiskFileSystem {
public:
    TFault fault = TFault::None;
    bool Write(const std::string& path, const std::string& content, std::string& error) override {
        if (fault == TFault::Create) return error = "Access is denied.", false;
        if (fault == TFault::ShortWrite) return DiskFileSystem::Write(path, content.substr(0, content.size() / 2), error);
        return DiskFileSystem::Write(path, content, error);
    }
    bool Flush(const std::string& path, std::string& error) override {
        if (fault == TFault::Flush) return error = "There is not enough space on the disk.", false;
        return DiskFileSystem::Flush(path, error);
    }
    bool Read(const std::string& path, size_t limit, std::string& content, std::string& error) override {
        bool ok = DiskFileSystem::Read(path, limit, content, error);
        if (fault == TFault::ReadBack && path.size() > 4 && path.compare(path.size() - 4, 4, ".new") == 0)
            content.resize(content.size() / 2);
        return ok;
    }
    bool Replace(const std::string& from, const std::string& to, std::string& error) override {
        if (fault == TFault::Replace) return error = "The process cannot access the file because it is being used by another process.", false;
        return DiskFileSystem::Replace(from, to, error);
    }
};

class IniSaveTest : public SettingsTest {
protected:
    FaultyDisk disk;
    platform::TSwapServices faulty{[this](platform::Services& s) { s.files = &disk; }};
};

TEST_F(IniSaveTest, AFailingStepLeavesTheOldFileWholeAndSaysWhy) {
    const std::string old = "; kept by hand\r\n[Other]\r\nTimeServer=old.example\r\n[Mail]\r\nm0=ann\r\n[Extra]\r\nk=v\r\n";
    const struct {
        TFault fault;
        std::string reason;
    } rows[] = {
        {TFault::Create, "Access is denied."},
        {TFault::ShortWrite, whole_file::kNotReadBack},
        {TFault::Flush, "There is not enough space on the disk."},
        {TFault::ReadBack, whole_file::kNotReadBack},
        {TFault::Replace, "The process cannot access the file because it is being used by another process."},
    };
    for (const auto& r : rows) {
        Lay("velmora.ini", old);
        ReadIniFile();
        IniOptions.TimeServer = "new.example";
        ApplicationList.assign(50, "C:\\Programs\\a program with a long name.exe");
        disk.fault = r.fault;
        try {
            WriteIniFile();
            ADD_FAILURE() << "no error";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), r.reason);
        }
        EXPECT_EQ(Slurp("velmora.ini"), old);
        EXPECT_FALSE(std::filesystem::exists(Ini() + ".new"));
        EXPECT_EQ(IniOptions.TimeServer, "new.example");  // still in effect

        disk.fault = TFault::None;  // the next save goes through, keeping what it does not own
        WriteIniFile();
        const std::string now = Slurp("velmora.ini");
        EXPECT_EQ(Get("Other", "TimeServer"), "new.example");
        EXPECT_EQ(Get("Mail", "m0"), "ann");
        EXPECT_EQ(Get("Extra", "k"), "v");
        EXPECT_EQ(now.find("; kept by hand"), 0u);
    }
}

// A save loop killed at random moments, many times: the file is always one of the two
// versions it alternates between, never a mixture, a cut or an empty file.
TEST_F(IniSaveTest, AProcessKilledWhileSavingLeavesTheOldFileOrTheNew) {
    MailList.assign(40, "someone@example.net");
    PopServerList.assign(40, "pop.example.net");
    PasswordList.assign(40, "secret");
    ApplicationList.assign(40, "C:\\Programs\\a program.exe");
    auto version = [](int v) {
        IniOptions.TimeServer = v ? "b.example" : "a.example";
        PhoneNumberList.assign(v ? 30 : 10, v ? "555-0199" : "555-0100");
    };
    std::string texts[2];
    for (int v : {0, 1}) {
        version(v);
        WriteIniFile();
        texts[v] = Slurp("velmora.ini");
    }
    std::mt19937 random(12345);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    int kills = 0;
    for (; kills < 60 && std::chrono::steady_clock::now() < deadline; ++kills) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int v = 0;; v ^= 1) {
                version(v);
                WriteIniFile();
            }
        }
        usleep(1000 + random() % 20000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = Slurp("velmora.ini");
        ASSERT_TRUE(now == texts[0] || now == texts[1]) << "after kill " << kills << ":\n" << now;
    }
    EXPECT_GE(kills, 50);
}

}  // namespace
