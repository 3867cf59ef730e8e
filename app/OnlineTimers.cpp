// The timers that watch a connection: the time online and its cumulative total, the line
// check that notices a dropped line, and the daily hang-up.
#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"

namespace {
// While online the running total is also saved this often, so that a crash or a power cut
// loses at most this much of it. Counted in the connection's own time: SavedElapsed is its
// time at the last save, for the connection whose count began at SavedStart.
constexpr uint32_t kTimeSaveInterval = 5 * 60 * 1000;
uint32_t SavedStart = 0, SavedElapsed = 0;
}  // namespace

// The stored total plus the current connection. The elapsed time is the difference of two
// tick counts modulo 2^32 read as signed, so it stays right across a wrap of the count.
void TMainForm::UpdateRunningTime() {
    uint32_t now = platform::Clock().TickCount();
    int32_t e;
    if (ConnectStartTick == 0) {
        ConnectStartTick = now;
        e = 0;
    } else {
        e = static_cast<int32_t>(now - ConnectStartTick);
    }
    int32_t h = e / 3600000, m = (e % 3600000) / 60000, s = (e % 60000) / 1000;
    // 64-bit sums: a hand-edited total near the 32-bit limit must not overflow here.
    int64_t secs = int64_t{s} + IniOptions.TimeOnLineSecs;
    RunningSecs = static_cast<int32_t>(secs % 60);
    int64_t mins = int64_t{IniOptions.TimeOnLineMins} + secs / 60 + m;
    RunningMins = static_cast<int32_t>(mins % 60);
    RunningHours = static_cast<int32_t>(int64_t{IniOptions.TimeOnLineHours} + mins / 60 + h);
}

void TMainForm::TimerTimeOnlineTimer(TObject*) {
    UpdateRunningTime();
    Label3.SetCaption(TimeText(RunningHours, RunningMins, RunningSecs));
    if (SavedStart != ConnectStartTick) SavedStart = ConnectStartTick, SavedElapsed = 0;
    const uint32_t elapsed = platform::Clock().TickCount() - ConnectStartTick;
    if (Connected && elapsed - SavedElapsed >= kTimeSaveInterval) {
        SavedElapsed = elapsed;
        try {
            // The total so far goes to the file only; the stored counters in memory stay the
            // base the connection's time is added to.
            WriteTimeOnLine(RunningHours, RunningMins, RunningSecs);
        } catch (const Exception&) {
            // Tried again in five minutes; the end of the connection saves and reports.
        }
    }
}

// Any active connection counts as the line, whatever its entry; a failed enumeration
// counts as no line.
void TMainForm::TimerStillOnlineTimer(TObject*) {
    LineSeen = false;
    DialUp.GetConnections();
    if (LineSeen || !Connected) return;
    TimerStillOnline.SetEnabled(false);
    if (IniOptions.StayOnline) {
        PostMsg(UM_RECONNECT);
        return;
    }
    Disconnect();
    int answer = platform::Ui().MsgBox(
        GetLangText("Your ISP (Internet Service Provider) terminated the connection. Would you like to reconnect "
                    "automatically next time ?",
                    "const_ispreconnect"),
        Application().Title(), MB_YESNOCANCEL_ | MB_ICONQUESTION_, helpctx::LineDropped);
    if (answer == IDYES_) {
        IniOptions.StayOnline = true;
        StayOnline1->SetChecked(true);
        SaveSettings();
        PostMsg(UM_RECONNECT);
    }
}

void TMainForm::TimerHangUpTimer(TObject*) {
    int h, m, s, ms;
    DecodeTime(platform::Clock().Now(), h, m, s, ms);
    if (h == IniOptions.HangUpHour && m == IniOptions.HangUpMinutes) Disconnect();
}

void TMainForm::StayOnline1Click(TObject*) {
    StayOnline1->SetChecked(!StayOnline1->Checked());
    IniOptions.StayOnline = StayOnline1->Checked();
    SaveSettings();
}

void TMainForm::Label3Click(TObject*) { ResetTimeOnline(); }

// A running connection restarts its count at the next tick; its time so far is dropped.
void TMainForm::ResetTimeOnline() {
    ConnectStartTick = 0;
    IniOptions.TimeOnLineHours = 0;
    IniOptions.TimeOnLineMins = 0;
    IniOptions.TimeOnLineSecs = 0;
    Label3.SetCaption("00:00:00");
    WriteTime();
}
