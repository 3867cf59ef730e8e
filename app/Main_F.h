// The main window: tool buttons, message list, status fields, menus, and the program-wide
// state of the connection. Its handlers drive dialing, the timers and the other windows.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/NewMail.h"
#include "dialup/DialUp.h"
#include "mail/ServerText.h"
#include "mail/tcpip.h"
#include "net/SntpClient.h"
#include "net/WSTimeClient.h"
#include "settings/Autostart.h"
#include "settings/DialogHost.h"
#include "widgets/Forms.h"
#include "widgets/TrayIco.h"
#include "widgets/wwwbtn97.h"

// The main window's own messages: work handed to its queue (posted) or run before the
// sender goes on (sent).
enum : uint32_t {
    UM_DIAL = WM_USER_ + 1,
    UM_CHECKMAIL = WM_USER_ + 2,
    UM_ADJUSTCLOCK = WM_USER_ + 3,
    UM_RECONNECT = WM_USER_ + 4,
    UM_CONNECTED = WM_USER_ + 5,
    UM_RUNBROWSER = WM_USER_ + 6,
    UM_RUNEMAIL = WM_USER_ + 7,
    UM_CANCELDIAL = WM_USER_ + 8,
    UM_DIALERROR = WM_USER_ + 9,
};

// Program-wide state of the connection, owned by the main window's unit.
extern bool Connected;
extern bool DialCancelled;
extern bool LineSeen;
extern uint32_t ConnectStartTick;
extern int32_t RunningHours, RunningMins, RunningSecs;

// Splits a configured command line into the program and its parameters.
void SplitCommandLine(const std::string& commandLine, std::string& program, std::string& params);

// Opens a web address: as a document, else in either of two well-known browsers; says so
// when none of the three starts.
void OpenWebTarget(const std::string& target);

// The warning that the TIME server cannot be had.
void ShowTimeServerDown();

// A time online as hours (unpadded), minutes and seconds (two digits each): 0:05:09.
std::string TimeText(int32_t h, int32_t m, int32_t s);

// The version text appended to the banner, the hint and the tip.
extern const char* const kVersionText;

// The main window is the host of the settings and schedule dialogs (DialogHost.cpp).
class TMainForm : public TForm, public IDialogHost {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // Controls, in creation order.
    TWinControl Panel1;
    TControl SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5;
    TWWWBtn97 FavoritesBtn;
    TListBox HListBox2;
    TControl Bevel1, Label2, nbr_emails;
    TControl Bevel2, Label1, Status2;
    TControl Bevel3, StaticText1, Label3;
    TStatusBar StatusBar1;
    TControl MSOfficeCaption1;  // title bar texts: Caption() = application name, Hint() = notice

    TTimer TimerTimeOnline, TimerStillOnline, TimerHangUp, TimerCheckEmail;
    TDialUp DialUp;
    T_Pop3 pop;
    // The client of each mailbox, chosen by its server text: pop for POP3, the others
    // made from the table of server forms as a server text first names them.
    TMailClients mailClients;
    TWSTimeClient WSTimeClient1;
    TSntpClient SntpClient1;  // for time servers given as ntp://host[:port]
    TAutostart Autostart1;

    TMenu MainMenu1, PopupMenu1;
    TSystemTrayIcon MainTrayIcon, SystemTrayIcon1;
    TMenuItem *RunEmailapplication1, *RunWebBrowser1, *Quit1, *Quit2;
    TMenuItem *Configuration1, *Scheduledownload1, *About1, *N1, *About;
    TMenuItem *Dial1, *StayOnline1, *HangUp1, *N3, *RunWebBrowser2, *RunEmailapp1, *N5, *CheckEmail1,
        *Adjustclock1, *FavoritesInternet1, *N2, *Options2, *N6, *Exit2;

    void FormCreate();
    void ReactToIniOptions();
    void WndProc(TMessage& m) override;
    bool AppWindowHook(TMessage& m);

    void MainTrayIconLeftClick(TObject* Sender);
    void SystemTrayIcon1DblClick(TObject* Sender);
    void About1Click(TObject* Sender);
    void AboutClick(TObject* Sender);
    void Quit2Click(TObject* Sender);
    void Exit2Click(TObject* Sender);
    void Dial1Click(TObject* Sender);
    void HangUp1Click(TObject* Sender);

    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);

    // The connection controller.
    void ConnectToInternet();
    void Disconnect();
    void ShowIpAddress();
    void RunRasMonitor();
    void RunScheduledPrograms() override;
    void SpeedButton1Click(TObject* Sender);
    void DialUpEntryGet(TObject* Sender, const char* EntryName);
    void DialUpDialing(TObject* Sender);
    void DialUpAsyncEvent(TObject* Sender, int State, int Error, const std::string& MessageText);
    void DialUpError(TObject* Sender, int ErrorCode, const std::string& ErrorMessage);
    void DialUpNotConnected(TObject* Sender, int ErrorCode, const std::string& ErrorMessage);
    void DialUpActiveConnection(TObject* Sender);
    // The progress dialog's Cancel (also the handling of UM_CANCELDIAL).
    void CancelDial();
    // The progress window's Cancel: ends the mail check under way, otherwise the dial.
    void ProgressCancelled();
    // The user's word on a dial (Hang-Up, quitting): a dial under way is cancelled, and a
    // redial that is waiting to dial stops.
    void StopDialing();
    void ConnectedActions();  // UM_CONNECTED
    void Reconnect();         // UM_RECONNECT
    void ExplainDialError();  // UM_DIALERROR

    // The online timers.
    void TimerTimeOnlineTimer(TObject* Sender);
    void TimerStillOnlineTimer(TObject* Sender);
    void TimerHangUpTimer(TObject* Sender);
    void StayOnline1Click(TObject* Sender);
    void Label3Click(TObject* Sender);
    void ResetTimeOnline();

    // The mail check.
    // userAsked: the user just asked for this check (see userCheck_).
    void CheckEmailWithIcon(bool userAsked = true);
    void CheckAllEmailAccount(bool userAsked = false);
    void CheckEmailForThisAccount(const std::string& account, const std::string& password, const std::string& server,
                                  TSignInKind kind = skPassword);
    // The token a provider mailbox signs in with (raises ESignInNeeded, or ETcpIpError when
    // the provider could not be asked), and, in a check the user started, the offer to sign
    // in again after the provider refused: true once signed in.
    static std::string AccessTokenFor(TSignInKind kind, const std::string& account, const std::string& server,
                                      bool renew);
    bool OfferSignIn(const std::string& account, const std::string& server, TSignInKind kind);
    void TimerCheckEmailTimer(TObject* Sender);
    void ShowNewMailIcon();
    // Only new mail announced (NewMail.cpp): the tally runs from the start of a check to its
    // end; ListedMail asks the connected client for the unique ids; NoteNewMail compares a
    // mailbox's messages with its last check.
    void BeginNewMailTally();
    void EndNewMailTally();
    std::vector<TListedMail> ListedMail(T_MailClient& client);
    void NoteNewMail(const std::string& account, const std::string& server, const std::vector<TListedMail>& listed);
    int NewMailCount() const { return newMail_.Count; }
    void ShowNewMailBalloon();
    // The POP3 client's certificate question: trusted by the system, or by the fingerprint
    // the user confirmed for that server; a new certificate is asked about, a changed one
    // refused with a warning naming the mailbox.
    bool TrustMailServer(const std::string& account, const platform::TTlsPeer& peer);

    // Setting the clock from the time server; userAsked: the user's own Adjust, which may
    // make a step beyond MaxClockStepHours once the user agrees.
    void AdjustClock(bool userAsked = false);
    void WSTimeClient1Time(TObject* Sender, TDateTime DateTime);
    // Sets the clock (UTC) and says so in the list with how far it moved. When the system
    // refuses, the list says how far the clock is off from the server and why; a box says
    // it too, except after connecting when the account may not set the clock at all (that
    // would come back at every connection). Both time clients end here.
    void SetClockTo(TDateTime utc, const std::string& moved, const std::string& server);
    // One box of a kind (its help context) at a time: while one is open, the same kind
    // coming again adds its text to the message list instead. The answer, or 0 then.
    int ShowBoxOnce(const std::string& text, uint32_t flags, int helpContext);
    // Whether the clock may be set to utc: a step within MaxClockStepHours, or a larger one
    // the user asked for and agrees to (utc then gains the time the question was open);
    // otherwise the list says why not.
    bool ClockStepAgreed(TDateTime& utc);
    // A request that ended without an answer: one line in the message list, no box.
    void WSTimeClient1NoAnswer(TObject* Sender, int Error);
    // The network-time side of AdjustClock (app/NetworkTime.cpp).
    void AskNetworkTime(const std::string& server);
    void SntpClient1Offset(TObject* Sender, double Offset, double Delay);

    // Starting other programs.
    void RunProgram(const std::string& commandLine, const std::string& directory);
    void RunWebBrowser1Click(TObject* Sender);
    void RunEmailapplication1Click(TObject* Sender);
    // A click or a double-click on the message list: the e-mail program, started once.
    void HListBox2DblClick(TObject* Sender);
    void FavoritesBtnSelectURL(TObject* Sender);
    void PlaySoundFile(const std::string& fileName) override;
    void FavoritesInternet1Click(TObject* Sender);

    // The settings dialog is Form2 (settings/Config.h), the schedule dialog Form3
    // (settings/schedule.h); this window is their host.
    TForm* HostForm() override { return this; }
    std::vector<std::string> EntryNames() override;
    void EntryCredentials(const std::string& entry, std::string& user, std::string& password) override;
    void EditEntry(const std::string& entry) override;
    void CreateEntry() override;
    void SetMailCheckInterval(uint32_t ms) override;
    void SettingsSaved() override;
    void ClearMessages() override;
    void AddMessage(const std::string& line) override;
    bool IsOnline() override;
    // The schedule's dial: nobody need be at the machine, so its mail check asks nothing.
    void Dial() override {
        userDialed_ = false;
        ConnectToInternet();
    }
    void HangUp() override { Disconnect(); }
    // Shows the settings dialog, with the page of that caption in front when one is given.
    void ShowSettingsDialog(const std::string& page = "");

    int32_t AlternateIndex = 0;
    // The new-mail icon object: created empty, owned here, used by the mail check.
    TIcon MailIcon;

private:
    bool MinimiseOrRestore(TMessage& m);
    void UpdateRunningTime();
    void FoldSessionTime();
    void EndFailedDial(const std::string& status);
    void SetOnlineLook(bool online);
    void ShowDialButton(bool hangUp);
    void WriteTime();
    void SaveSettings();
    void BuildControls();
    void BuildMenus();
    int appHook_ = 0;
    bool dialing_ = false;  // from ConnectToInternet until connected, cancelled or refused
    uint32_t listClickTick_ = 0;
    bool listClicked_ = false;
    bool checkingMail_ = false;
    bool mailCancelled_ = false;  // the user cancelled the running mail check
    // The running mail check was started by the user (a click, or the connection the user
    // dialled): only then may it ask about a certificate. Timer and schedule checks do not.
    bool userCheck_ = false;
    bool clockUserAsked_ = false;  // the running clock adjustment is the user's own
    std::string ntpHost_;          // the network-time server asked last, as the user named it
    std::set<int> openBoxes_;      // the help contexts of the boxes ShowBoxOnce has open
    bool userDialed_ = false;  // the current connection came from the user's Dial
    TNewMailTally newMail_;
    std::vector<std::string> entryNames_;  // filled by DialUpEntryGet while EntryNames asks
};

extern TMainForm* MainForm;
