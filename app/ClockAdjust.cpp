// Setting the computer clock from a TIME server: the request starts here and the clock is
// set when the server's answer arrives.
#include <cmath>
#include <string>

#include "app/Main_F.h"
#include "app/Progress.h"
#include "net/SocketErrors.h"
#include "core/HelpContexts.h"
#include "platform/Platform.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"

namespace {
// A distance in days as signed seconds with tenths: "+2.5 s", "-0.3 s".
std::string SecondsMoved(TDateTime days) {
    long long ms = std::llround(days * 86400000.0);
    long long a = ms < 0 ? -ms : ms;
    return (ms < 0 ? "-" : "+") + std::to_string(a / 1000) + "." + std::to_string(a % 1000 / 100) + " s";
}
}  // namespace

void ShowTimeServerDown() {
    if (!MainForm) return;
    MainForm->ShowBoxOnce(GetLangText("The Time server is not responding or is possibly down, you could select another "
                                      "one in the Settings,",
                                      "const_ServerDown"),
                          MB_OK_ | MB_ICONWARNING_, helpctx::TimeServerDown);
}

void TMainForm::AdjustClock(bool userAsked) {
    clockUserAsked_ = userAsked;
    // The request cannot be taken back once sent: no Cancel.
    Progress().Begin({.animation = "TIME_ANI",
                      .heading = GetLangText("Adjusting the computer clock", "const_adjustclock"),
                      .cancellable = false});
    platform::Ui().SetBusyCursor(true);
    // Changing the server while a request runs is refused; that error is shown by the
    // caller's error box, and the dialog and cursor are put back all the same.
    struct Restore {
        ~Restore() {
            platform::Ui().SetBusyCursor(false);
            Progress().End();
        }
    } restore;
    // "ntp://host[:port]" names a network-time server; any other text a TIME server.
    if (sntp::IsNtpServer(IniOptions.TimeServer)) return AskNetworkTime(IniOptions.TimeServer);
    WSTimeClient1.SetAddr(IniOptions.TimeServer);
    try {
        WSTimeClient1.GetTime();
    } catch (const ESocketException&) {
        ShowTimeServerDown();
    }
}

// The answer: the clock is set in UTC, as the server gives it, and every window is told.
// A refused change (no privilege, or a step the system will not take) is said as such,
// with the system's reason, and nothing is announced.
void TMainForm::WSTimeClient1Time(TObject*, TDateTime DateTime) {
    // The answer was true when it arrived; the time since then is added.
    const uint32_t since = platform::Clock().TickCount() - WSTimeClient1.AnswerTick();
    DateTime += since / 86400000.0;
    if (!ClockStepAgreed(DateTime)) return;
    SetClockTo(DateTime, SecondsMoved(DateTime - platform::Clock().NowUtc()), WSTimeClient1.Addr());
}

bool TMainForm::ClockStepAgreed(TDateTime& utc) {
    const TDateTime asked = platform::Clock().NowUtc();
    const double hours = std::fabs(utc - asked) * 24.0;
    if (hours <= IniOptions.MaxClockStepHours) return true;
    // A server that is far out is more likely wrong than the computer: only the person asks
    // for such a step, and "No" is the default.
    auto withHours = [hours](std::string text) {
        size_t at = text.find("%d");
        return at == std::string::npos ? text : text.replace(at, 2, std::to_string(std::llround(hours)));
    };
    if (clockUserAsked_ &&
        platform::Ui().MsgBox(withHours(GetLangText("The time server's clock differs from this computer's clock by %d "
                                                    "hours. Set the computer clock to the time server's time?",
                                                    "const_ClockStepAsk")),
                              Application().Title(), MB_YESNO_ | MB_ICONQUESTION_ | MB_DEFBUTTON2_,
                              helpctx::ClockNotSet) == IDYES_) {
        // The time the question was open is added: the step stays what the server called for.
        utc += platform::Clock().NowUtc() - asked;
        return true;
    }
    HListBox2.Add(withHours(GetLangText("The time server's clock differs by %d hours: not set", "const_ClockStepNotSet")));
    return false;
}

void TMainForm::SetClockTo(TDateTime utc, const std::string& moved, const std::string& server) {
    // Before the attempt: how far the clock is from the server, positive when it is behind.
    const double behind = (utc - platform::Clock().NowUtc()) * 86400.0;
    uint32_t error = platform::Clock().SetSystemTimeUtc(DateTimeToSystemTime(utc));
    if (error == 0) {
        platform::Clock().BroadcastTimeChange();
        HListBox2.Add(GetLangText("Computer clock adjusted by ", "const_clockset") + moved);
    } else {
        constexpr uint32_t kPrivilegeNotHeld = 1314;
        const bool noRight = error == kPrivilegeNotHeld;
        const long long tenths = std::llround(std::fabs(behind) * 10.0);
        const std::string off = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s ";
        HListBox2.Add((behind >= 0 ? GetLangText("Computer clock is", "const_clockBehind") + " " + off +
                                         GetLangText("behind", "const_clockBehindOf")
                                   : GetLangText("Computer clock is", "const_clockAhead") + " " + off +
                                         GetLangText("ahead of", "const_clockAheadOf")) +
                      " " + server + ": " +
                      (noRight ? GetLangText("this account may not set the clock", "const_clockNoRight")
                               : platform::Clock().ErrorText(error)));
        if (clockUserAsked_ || !noRight)
            ShowBoxOnce(GetLangText("The computer clock could not be set:", "const_ClockNotSet") + " " +
                            platform::Clock().ErrorText(error),
                        MB_OK_ | MB_ICONWARNING_, helpctx::ClockNotSet);
    }
    Progress().End();
}

// Refused, cut short or closed without a word: said where the user looks after clicking
// Adjust, with the server's name, but without a box (a check after dialing may be unattended).
void TMainForm::WSTimeClient1NoAnswer(TObject*, int Error) {
    std::string why = Error ? WinsockErrorText(Error)
                      : WSTimeClient1.AnswerBytes() > 0 ? GetLangText("answer too short", "const_NoTimeShort")
                                                        : GetLangText("no answer", "const_NoTimeAnswer");
    HListBox2.Add(GetLangText("The clock was not adjusted, time server", "const_NoTimeFrom") + " " +
                  WSTimeClient1.Addr() + ": " + why);
}
