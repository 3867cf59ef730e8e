// The main window and the progress window over the simulated dial-up service, set to dial
// the phonebook entry "ISP" as joe. Each test puts a recorder of its own (a RecordingRas or
// a kind of it) between the window and the service, and drives time with AdvanceUntil.
#pragma once
#include <fstream>
#include <memory>
#include <string>

#include "app/Main_F.h"
#include "app/Unit4.h"
#include "dialup/SimulatedRas.h"
#include "settings/Ini.h"
#include "tests/unit/HeadlessFixture.h"
#include "tests/unit/dialup/DialUpTestKit.h"

template <class Recorder>
class SimulatedLineTest : public HeadlessTest {
protected:
    // Writes the phonebook, then makes the service, the recorder (from the service and
    // `extra`) and the windows.
    template <class... Extra>
    void Open(const std::string& bookText, Extra&... extra) {
        book = dir + "/phonebook.ini";
        WriteBook(bookText);
        sim = std::make_unique<ras::SimulatedRas>(book, std::make_unique<dialup_test::VirtualScheduler>(clock));
        ras = std::make_unique<Recorder>(*sim, extra...);
        form = std::make_unique<TMainForm>(&Application());
        progress = std::make_unique<TForm4>(&Application());
        Application().MainForm = form.get();
        form->DialUp.SetRasApi(ras.get());
        form->FormCreate();
        IniInfo.DialUpConnection = "ISP";
        IniInfo.UsernameDUN = "joe";
        IniInfo.PasswordDUN = "pw";
        IniOptions.AutoAdjustClock = false;
        PhoneNumberList.clear();
        ApplicationList.clear();
    }
    ~SimulatedLineTest() override {
        form.reset();
        progress.reset();
        Connected = false;
    }
    void WriteBook(const std::string& text) { std::ofstream(book) << text; }
    // Advances in small steps until the condition holds (at most `ms`).
    template <class P>
    bool AdvanceUntil(P pred, uint32_t ms = 20000) {
        for (uint32_t t = 0; t < ms && !pred(); t += 10) clock.Advance(10);
        return pred();
    }

    std::string book;
    std::unique_ptr<ras::SimulatedRas> sim;
    std::unique_ptr<Recorder> ras;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TForm4> progress;
};
