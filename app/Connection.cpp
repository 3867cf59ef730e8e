// The connection controller: starting a dial, following its states, redialing through
// the alternate numbers, cancelling, explaining the errors redialing cannot cure, the
// connected actions, and hanging up.
#include "app/Main_F.h"
#include "app/Progress.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/IniBatch.h"
#include "settings/IniLang.h"
#include "settings/schedule.h"

namespace {
constexpr int kStateConnected = 0x2000;
constexpr int kStateDisconnected = 0x2001;
constexpr uint32_t kEntryNotFound = 623, kNoDialTone = 680, kAuthFailed = 691;
const char* const CRLF = "\r\n";

void ProcessMessages() { Application().ProcessMessages(); }
}  // namespace

void TMainForm::SpeedButton1Click(TObject*) {
    if (Connected) {
        ShowDialButton(false);
        StopDialing();  // a redial after a dropped line may be under way
        Disconnect();
    } else if (dialing_) {
        // The button reads "Hang-Up" while a dial is under way: it cancels that dial.
        CancelDial();
    } else if (!IniInfo.UsernameDUN.empty() && !IniInfo.PasswordDUN.empty()) {
        ShowDialButton(true);
        userDialed_ = true;
        ConnectToInternet();
    } else if (Form2) {
        Form2->ShowMissingCredentials();
    }
}

// Starts a dial and returns; the outcome arrives through the dial-up component's events.
void TMainForm::ConnectToInternet() {
    Show();
    platform::Ui().SetBusyCursor(true);
    DialUp.SetDialMode(dmAsync);
    DialUp.SetUsername(IniInfo.UsernameDUN);
    DialUp.SetPassword(IniInfo.PasswordDUN);
    Progress().Begin({.animation = "PHONE_ANI",
                      .caption = GetLangText("Dialing......", "const_dialing") + IniInfo.DialUpConnection,
                      .onCancel = [this] { ProgressCancelled(); }});
    DialUp.SetEntry(IniInfo.DialUpConnection);
    DialUp.SetEntryUsername(IniInfo.UsernameDUN);
    DialUp.SetEntryPassword(IniInfo.PasswordDUN);
    DialCancelled = false;
    dialing_ = true;
    ProcessMessages();
    // A Cancel or Hang-Up handled just now ends the dial before it starts.
    if (!DialCancelled) DialUp.Dial();
    platform::Ui().SetBusyCursor(false);
}

void TMainForm::DialUpDialing(TObject*) {
    Status2.SetCaption(GetLangText("Dialing...", "const_dialing"));
    ProcessMessages();
}

void TMainForm::DialUpAsyncEvent(TObject*, int State, int Error, const std::string& MessageText) {
    Progress().SetStatus(MessageText);
    HListBox2.Add(MessageText);
    if (Error != 0 && !DialCancelled) {
        Status2.SetCaption(GetLangText("Error, see help file", "const_errorHelp"));
        HListBox2.Add(IntToStr(Error));
        HListBox2.Add("In state no:" + IntToStr(State));
    }
    if (State == kStateConnected) {
        ConnectStartTick = platform::Clock().TickCount();
        TimerTimeOnline.SetEnabled(true);
        Connected = true;
        dialing_ = false;
        Progress().End();
        if (!ScheduledRun) {
            PostMsg(UM_CONNECTED);
        } else {
            // An unattended run: its programs start, and its own hang-up is armed.
            RunScheduledPrograms();
            if (Form3) Form3->TimerScheduledHangUp.SetEnabled(true);
            ProcessMessages();
        }
    } else if (State == kStateDisconnected) {
        uint32_t err = DialUp.LastError();
        if (err == kNoDialTone || err == kAuthFailed) {
            DialCancelled = true;
            PostMsg(UM_CANCELDIAL);
            PostMsg(UM_DIALERROR);
        }
        if (err != 0) HListBox2.Add(IntToStr(err));
        platform::Clock().Sleep(1000);
        ProcessMessages();
        if (!DialCancelled) PostMsg(UM_RECONNECT);
    }
}

// The connected actions, in order; the mail check, the clock and the browser are sent so
// each completes before the next starts.
void TMainForm::ConnectedActions() {
    Progress().End();
    RunRasMonitor();
    TimerTimeOnline.SetEnabled(true);
    TimerStillOnline.SetEnabled(true);
    if (Connected) {
        if (IniOptions.TimerEnabled) TimerCheckEmail.SetEnabled(true);
        if (IniOptions.AutoHangUp) TimerHangUp.SetEnabled(true);
    }
    ShowDialButton(true);
    Status2.SetCaption(GetLangText("Connected.", "const_connected"));
    SpeedButton2.SetEnabled(true);
    ProcessMessages();
    SetOnlineLook(true);
    ShowIpAddress();
    ProcessMessages();
    if (IniOptions.TimerEnabled) Perform(UM_CHECKMAIL);
    if (IniOptions.AutoAdjustClock) Perform(UM_ADJUSTCLOCK);
    if (!IniInfo.WebBrowser.empty()) Perform(UM_RUNBROWSER);
    const std::vector<std::string> programs = ApplicationList;  // a program may change the list
    for (const std::string& p : programs) RunProgram(p, "");
}

// The Dial / Hang-Up button: its caption, and a glyph that shows which of the two it does.
void TMainForm::ShowDialButton(bool hangUp) {
    SpeedButton1.SetCaption(hangUp ? GetLangText("Hang-Up", "const_hangup") : GetLangText("Dial", "const_dial"));
    SpeedButton1.SetGlyph(hangUp ? "HANGUP" : "PHONE");
}

// Popup items 2 (hang up), 7 (mail) and 8 (clock) belong to the online look, 0 (dial) to
// the off-line one.
void TMainForm::SetOnlineLook(bool online) {
    PopupMenu1.Items(2)->SetEnabled(online);
    PopupMenu1.Items(7)->SetEnabled(online);
    PopupMenu1.Items(8)->SetEnabled(online);
    PopupMenu1.Items(0)->SetEnabled(!online);
}

// Hangs up and dials again, with the next alternate number when there are any. Every
// check of DialCancelled lets a Cancel pressed meanwhile stop the series.
void TMainForm::Reconnect() {
    ProcessMessages();
    if (DialCancelled) return;
    TimerTimeOnline.SetEnabled(false);
    if (Connected && ConnectStartTick != 0) {
        // The line dropped while online: its time joins the total now, or it would never
        // be counted, since no Disconnect comes between this connection and the next.
        FoldSessionTime();
        ConnectStartTick = 0;
        WriteTime();
    }
    DialUp.HangUp();
    platform::Clock().Sleep(2000);
    if (DialCancelled) return;
    DialUp.HangUp();
    ProcessMessages();
    if (DialCancelled) return;
    if (!PhoneNumberList.empty()) {
        // The list may have been shortened in the settings since the last redial.
        int32_t count = static_cast<int32_t>(PhoneNumberList.size());
        if (AlternateIndex < 0 || AlternateIndex >= count) AlternateIndex = 0;
        const std::string number = PhoneNumberList[static_cast<size_t>(AlternateIndex)];
        DialUp.SetPhoneNumber(number);
        AlternateIndex = (AlternateIndex + 1) % count;
        const std::string line = "Dialing alternate number : " + number;
        HListBox2.Add(GetLangText(line, line));
    }
    HListBox2.Add(GetLangText("Reconnecting automatically", "const_reconnecting"));
    userDialed_ = false;
    ConnectToInternet();
}

void TMainForm::CancelDial() {
    DialCancelled = true;
    dialing_ = false;
    DialUp.HangUp();
    platform::Clock().Sleep(1000);
    DialUp.HangUp();
    EndFailedDial(GetLangText("Connect Cancelled", "const_connectCancel"));
}

// A dial that ends without a line. A redial after a dropped line ends here too: that line
// is gone, so the program goes fully off-line rather than keep an online look, timers and a
// Hang-Up with no line.
void TMainForm::EndFailedDial(const std::string& status) {
    if (Connected) Disconnect();
    ShowDialButton(false);
    Status2.SetCaption(status);
    Progress().End();
}

void TMainForm::StopDialing() {
    if (dialing_) CancelDial();
    DialCancelled = true;
}

void TMainForm::ExplainDialError() {
    uint32_t err = DialUp.LastError();
    if (err == kNoDialTone) {
        std::string text = GetLangText("Error, there is NO dial tone !", "const_error1") + CRLF + CRLF +
                           GetLangText("Check your phone line it may be disconnected or already in use by someone else.",
                                       "const_error2");
        platform::Ui().MsgBox(text, Application().Title(), MB_OK_ | MB_ICONWARNING_, helpctx::NoDialTone);
    } else if (err == kAuthFailed) {
        std::string text =
            GetLangText("Your username and or password for accessing the internet is wrong.", "const_error4") + CRLF +
            CRLF + GetLangText("Go in the Settings and then verify that your account is configured properly ", "const_error5") +
            CRLF + GetLangText("check for typo in your username and password.", "const_error5a") + CRLF + CRLF +
            GetLangText("If the problem persist, please contact your ISP (Internet Service Provider) ", "const_error5b") +
            CRLF + GetLangText("for assistance.", "const_error5c");
        platform::Ui().MsgBox(text, Application().Title(), MB_OK_ | MB_ICONERROR_, helpctx::PasswordRefused);
    }
}

// The service refused to start the dial: no redial follows.
void TMainForm::DialUpError(TObject*, int ErrorCode, const std::string& ErrorMessage) {
    Status2.SetCaption(GetLangText("Error # ", "const_error") + IntToStr(ErrorCode) + "-->" + ErrorMessage);
    Repaint();
    ProcessMessages();
    if (static_cast<uint32_t>(ErrorCode) == kEntryNotFound) {
        DialCancelled = true;
        dialing_ = false;
        EndFailedDial("Error, this DialUp networking entry does not exist");
        platform::Ui().MsgBox(
            "Error, this DialUp networking entry does'nt exist !!\rPlease configure it and select an existing entry",
            Application().Title(), MB_OK_ | MB_ICONWARNING_, helpctx::EntryMissing);
        ShowSettingsDialog();
        Status2.SetCaption("");
        Repaint();
    }
}

void TMainForm::DialUpNotConnected(TObject*, int, const std::string&) {
    Status2.SetCaption(GetLangText("Not Connected", "const_notconnected"));
}

void TMainForm::DialUpEntryGet(TObject*, const char* EntryName) {
    entryNames_.push_back(EntryName ? EntryName : "");
}

void TMainForm::DialUpActiveConnection(TObject*) { LineSeen = true; }

// The session's time joins the total online time (the settings' running total).
void TMainForm::FoldSessionTime() {
    UpdateRunningTime();
    IniOptions.TimeOnLineHours = RunningHours;
    IniOptions.TimeOnLineMins = RunningMins;
    IniOptions.TimeOnLineSecs = RunningSecs;
}

void TMainForm::Disconnect() {
    if (Connected) {
        Connected = false;
        TimerStillOnline.SetEnabled(false);
        TimerCheckEmail.SetEnabled(false);
        TimerHangUp.SetEnabled(false);
        TimerTimeOnline.SetEnabled(false);
        FoldSessionTime();
        DialUp.HangUp();
        ShowDialButton(false);
        Status2.SetCaption(GetLangText("Disconnected", "const_disc"));
        SpeedButton2.SetEnabled(false);
        SetOnlineLook(false);
    }
    WriteTime();
}

// Writing the settings file: a refused write is shown and the program goes on.
static void ShowingErrors(void (*write)()) {
    try {
        write();
    } catch (const EIniFileException& e) {
        // The file stays as it was and the values stay in effect; the next save tries again.
        platform::Ui().MsgBox(SettingsNotSavedText(e.Message()), Application().Title(), MB_OK_ | MB_ICONERROR_,
                              helpctx::SettingsNotSaved);
    } catch (const Exception& e) {
        platform::Ui().MsgBox(e.Message(), Application().Title(), MB_OK_ | MB_ICONERROR_, helpctx::SettingsNotSaved);
    }
}

void TMainForm::WriteTime() { ShowingErrors(WriteTimeOnLine); }

void TMainForm::SaveSettings() { ShowingErrors(WriteIniFile); }

void TMainForm::ShowIpAddress() {
    std::string host, address;
    if (!platform::Programs().LocalHostEntry(host, address)) return;
    StatusBar1.SetPanelText(0, "Host: " + host);
    if (!address.empty()) StatusBar1.SetPanelText(1, "IP: " + address);
    else StatusBar1.SetPanelText(1, "IP:" + GetLangText("address unknown", "const_addressUnk"));
}

void TMainForm::RunRasMonitor() {
    platform::Programs().ShellExecute("open", platform::Programs().SystemDirectory() + "\\rasmon.exe", "", "", SW_SHOW_);
}

// The schedule dialog's rows, in list order: command text and working directory.
void TMainForm::RunScheduledPrograms() {
    if (!Form3) return;
    std::vector<std::vector<std::string>> rows;  // a failing start's box lets the user edit the list
    for (int i = 0; i < Form3->ListView1.RowCount(); ++i) rows.push_back(Form3->ListView1.Row(i));
    for (const auto& row : rows) RunProgram(row.empty() ? "" : row[0], row.size() > 1 ? row[1] : "");
}
