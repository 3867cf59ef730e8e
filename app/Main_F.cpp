// The main window: its layout as the form resource defines it, its menus, the minimise
// and restore rules, and its life from creation to destruction.
#include "app/Main_F.h"

#include "app/Comabout.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "settings/schedule.h"

bool Connected = false;
bool DialCancelled = false;
bool LineSeen = false;
uint32_t ConnectStartTick = 0;
int32_t RunningHours = 0, RunningMins = 0, RunningSecs = 0;
const char* const kVersionText = " 1.2d";
// The system's standard time between the two clicks of a double-click.
constexpr uint32_t kDoubleClickMs = 500;
TMainForm* MainForm = nullptr;

TMainForm::TMainForm(TComponent* owner)
    : TForm(owner, "MainForm"),
      Panel1(this, this, TControlKind::Panel, "Panel1"),
      SpeedButton1(this, &Panel1, TControlKind::SpeedButton, "SpeedButton1"),
      SpeedButton2(this, &Panel1, TControlKind::SpeedButton, "SpeedButton2"),
      SpeedButton3(this, &Panel1, TControlKind::SpeedButton, "SpeedButton3"),
      SpeedButton4(this, &Panel1, TControlKind::SpeedButton, "SpeedButton4"),
      SpeedButton5(this, &Panel1, TControlKind::SpeedButton, "SpeedButton5"),
      FavoritesBtn(this, &Panel1, "FavoritesBtn"),
      HListBox2(this, this, "HListBox2"),
      Bevel1(this, this, TControlKind::Bevel, "Bevel1"),
      Label2(this, this, TControlKind::Label, "Label2"),
      nbr_emails(this, this, TControlKind::Label, "nbr_emails"),
      Bevel2(this, this, TControlKind::Bevel, "Bevel2"),
      Label1(this, this, TControlKind::Label, "Label1"),
      Status2(this, this, TControlKind::Label, "Status2"),
      Bevel3(this, this, TControlKind::Bevel, "Bevel3"),
      StaticText1(this, this, TControlKind::StaticText, "StaticText1"),
      Label3(this, this, TControlKind::Label, "Label3"),
      StatusBar1(this, this, "StatusBar1"),
      MSOfficeCaption1(this, nullptr, TControlKind::TitleBar, "MSOfficeCaption1"),
      TimerTimeOnline(this, 1000, false),
      TimerStillOnline(this, 1000, false),
      TimerHangUp(this, 0, false),
      TimerCheckEmail(this, 0, false),
      DialUp(this),
      pop(this),
      mailClients(this, {&pop}),
      WSTimeClient1(this),
      SntpClient1(this),
      Autostart1(this),
      MainMenu1(this, "MainMenu1", false),
      PopupMenu1(this, "PopupMenu1", true),
      MainTrayIcon(this),
      SystemTrayIcon1(this) {
    MainForm = this;
    DialUp.SetName("DialUp");
    DialUp.SetDialMode(dmAsync);
    DialUp.SetLanguage(English);
    DialUp.OnEntryGet = [this](TObject* s, const char* name) { DialUpEntryGet(s, name); };
    DialUp.OnDialing = [this](TObject* s) { DialUpDialing(s); };
    DialUp.OnNotConnected = [this](TObject* s, int c, const std::string& m) { DialUpNotConnected(s, c, m); };
    DialUp.OnAsyncEvent = [this](TObject* s, int st, int e, const std::string& m) { DialUpAsyncEvent(s, st, e, m); };
    DialUp.OnError = [this](TObject* s, int c, const std::string& m) { DialUpError(s, c, m); };
    DialUp.OnActiveConnection = [this](TObject* s, int, const ras::RasConnStatus*, const std::string&, const char*,
                                       const char*, const char*) { DialUpActiveConnection(s); };
    TimerTimeOnline.OnTimer = [this](TObject* s) { TimerTimeOnlineTimer(s); };
    TimerStillOnline.OnTimer = [this](TObject* s) { TimerStillOnlineTimer(s); };
    TimerHangUp.OnTimer = [this](TObject* s) { TimerHangUpTimer(s); };
    TimerCheckEmail.OnTimer = [this](TObject* s) { TimerCheckEmailTimer(s); };
    // The time client as its stored definition sets it up.
    WSTimeClient1.SetProto("tcp");
    WSTimeClient1.SetPort("0");
    WSTimeClient1.SetLocalAddr("0.0.0.0");
    WSTimeClient1.SetLocalPort("0");
    WSTimeClient1.LineMode = false;
    WSTimeClient1.SetMultiThreaded(false);
    WSTimeClient1.SetFlushTimeout(20);
    WSTimeClient1.SetSendFlags(wsSendNormal);
    WSTimeClient1.SetLingerOnOff(wsLingerOn);
    WSTimeClient1.SetLingerTimeout(15);
    WSTimeClient1.SetSocksLevel("5");
    WSTimeClient1.SocksAuthentication = socksNoAuthentication;
    WSTimeClient1.SetPreserveSettings(true);
    WSTimeClient1.OnTime = [this](TObject* s, TDateTime t) { WSTimeClient1Time(s, t); };
    WSTimeClient1.OnRequestTimedOut = [](TObject*) { ShowTimeServerDown(); };
    WSTimeClient1.OnNoAnswer = [this](TObject* s, int e) { WSTimeClient1NoAnswer(s, e); };
    WSTimeClient1.Loaded();
    SntpClient1.OnOffset = [this](TObject* s, double o, double d) { SntpClient1Offset(s, o, d); };
    SntpClient1.OnKissOfDeath = [this](TObject*, const std::string& code) {
        HListBox2.Add(GetLangText("The time server refused the request: ", "const_ntpRefused") + code);
        ShowTimeServerDown();
    };
    SntpClient1.OnUnsynchronised = [this](TObject*) {
        HListBox2.Add(GetLangText("The time server's clock is not synchronised", "const_ntpUnsynchronised"));
        ShowTimeServerDown();
    };
    SntpClient1.OnRequestTimedOut = [](TObject*) { ShowTimeServerDown(); };
    // Start with Windows, hidden in the notification area; the setting decides in
    // ReactToIniOptions whether the entry stays.
    Autostart1.SetAppName("Velmora");
    Autostart1.SetAutostart(true);
    Autostart1.SetStartNextLogon(false);
    // The machine's key only for a program every user can run (and only when writable).
    Autostart1.SetGlobal(TAutostart::ForEveryUser());
    Autostart1.Parameters = "/minimize";
    BuildControls();
    BuildMenus();
    PopupMenu1.Realize();
    CreateHandle();
    TitleBar = &MSOfficeCaption1;
    MSOfficeCaption1.Realize();

    // The permanent icon, with the program icon and the popup menu; the new-mail icon
    // starts without an icon, so it stays hidden until the mail check shows it.
    MainTrayIcon.MessageID = 1025;
    MainTrayIcon.SetTip("Velmora v ");
    MainTrayIcon.PopupMenu = &PopupMenu1;
    TIcon programIcon;
    programIcon.SetHandle(platform::Tray().LoadIconResource("MAINICON"));
    MainTrayIcon.SetIcon(programIcon);
    MainTrayIcon.OnDblClick = [this](TObject* s) { MainTrayIconLeftClick(s); };
    MainTrayIcon.Loaded();
    SystemTrayIcon1.MessageID = 1025;
    SystemTrayIcon1.SetTip("You have new emails !");
    SystemTrayIcon1.OnDblClick = [this](TObject* s) { SystemTrayIcon1DblClick(s); };
    SystemTrayIcon1.Loaded();
    OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TMainForm::~TMainForm() {
    // Runs here, while every member still exists, rather than from the base destructor.
    OnDestroy = nullptr;
    FormDestroy(this);
    if (MainForm == this) MainForm = nullptr;
}

// The window as stored in its resource; FormCreate then adjusts it.
void TMainForm::BuildControls() {
    SetCaption("Velmora ");
    SetClientSize(529, 302);
    BorderStyle = TBorderStyle::Single;
    MinimizeBox = true;
    MaximizeBox = false;
    CenterOnScreen = true;
    ShowHint = true;
    SetHint("Velmora");
    SetHelpContext(helpctx::MainWindow);
    Menu = &MainMenu1;

    Panel1.SetBounds(6, 7, 347, 59);
    struct Btn {
        TControl* c;
        int left;
        const char* caption;
        const char* hint;
        const char* glyph;
    };
    const Btn buttons[] = {
        {&SpeedButton1, 1, "Dial", "Connect or disconnect to the internet", "PHONE"},
        {&SpeedButton2, 57, "E-mail", "Check for new email received ", "MAIL"},
        {&SpeedButton3, 113, "Settings", "Configure the options", "TOOL"},
        {&SpeedButton4, 169, "Browser", "Execute Web browser", "WEB"},
        {&SpeedButton5, 225, "Adjust", "Synchronize computer clock with Atomic time server", "ADJUST"},
        {&FavoritesBtn, 282, "Favorites",
         "Your Internet explorer favorites click on the Folder icon to refresh, or click on the right arrow to activate",
         "FAVORITES"},
    };
    for (const Btn& b : buttons) {
        b.c->SetBounds(b.left, 1, 57, 57);
        b.c->SetCaption(b.caption);
        b.c->SetHint(b.hint);
        b.c->SetGlyph(b.glyph);
    }
    SpeedButton2.SetEnabled(false);
    // The favorites menu: black items on the button face, white on navy when highlighted.
    TMenuOption& fav = FavoritesBtn.MenuOptions;
    fav.FontItem = TFontStyle{};
    fav.FontItemColor = 0x000000;
    fav.FontColorSelect = 0xFFFFFF;
    fav.ItemSelectColor = 0x800000;
    fav.ItemUnselectColor = TMenuLook::kButtonFaceColor;
    fav.ItemBorderStyle = TMenuLook::Raised;
    fav.MenuStyle = TMenuOption::Extended;
    fav.URLBitmapDisplay = TMenuOption::All_icon;
    fav.ItemBmpFolder = "FAVFOLDER";
    fav.ItemBmpURL = "FAVURL";

    HListBox2.SetBounds(0, 152, 529, 81);
    HListBox2.SetHint("Double click on message to open Email application");
    HListBox2.ScrollToNew = true;
    HListBox2.Add("");

    Bevel1.SetBounds(0, 237, 257, 19);
    Label2.SetBounds(4, 239, 100, 13);
    Label2.SetCaption("Number of emails :");
    nbr_emails.SetBounds(106, 239, 40, 13);
    nbr_emails.SetCaption("0");
    nbr_emails.SetHint("Number of email received");

    Bevel2.SetBounds(0, 260, 257, 19);
    Label1.SetBounds(4, 262, 70, 13);
    Label1.SetCaption("Status: ");
    Status2.SetBounds(76, 262, 177, 20);  // to the bevel's end: long states fit on one line
    Status2.SetCaption("Off-line");
    TFontStyle bold;
    bold.Bold = true;
    Status2.SetFont(bold);
    Status2.SetWordWrap(true);

    Bevel3.SetBounds(259, 260, 270, 19);  // on the status row, to the window's edge
    StaticText1.SetBounds(263, 262, 150, 15);
    StaticText1.SetCaption("Cumulative Time online :");
    Label3.SetBounds(420, 262, 100, 13);
    Label3.SetCaption("time");
    Label3.SetHandCursor(true);
    Label3.SetHint("Double click to reset to zero");

    StatusBar1.SetBounds(0, 280, 529, 22);
    StatusBar1.SetPanels({{"Host :", 257}, {"IP address :", 50}});
    StatusBar1.SetHint("Your computer name and Internet address when you are on Internet");

    MSOfficeCaption1.SetCaption("Velmora");
}

void TMainForm::BuildMenus() {
    TMenuItem* file = MainMenu1.Add("File1", "&File");
    RunEmailapplication1 = file->Add("RunEmailapplication1", "Execute &Email Application");
    RunWebBrowser1 = file->Add("RunWebBrowser1", "Execute &Web Browser");
    Quit1 = file->Add("Quit1", "-");
    Quit2 = file->Add("Quit2", "&Quit");
    TMenuItem* edit = MainMenu1.Add("Edit1", "&Edit");
    Configuration1 = edit->Add("Configuration1", "&Settings");
    Configuration1->Hint = "To adjust the preferences";
    TMenuItem* sched = MainMenu1.Add("Schedule1", "&Schedule");
    Scheduledownload1 = sched->Add("Scheduledownload1", "&Dial and execute progs");
    TMenuItem* help = MainMenu1.Add("Help1", "&Help");
    About1 = help->Add("About1", "Help &Topics");
    N1 = help->Add("N1", "-");
    About = help->Add("About", "&About...");
    for (TMenuItem* i : {RunEmailapplication1, RunWebBrowser1, Quit2, About1, About}) i->HelpContext = helpctx::Menus;
    Configuration1->HelpContext = helpctx::Settings;
    Scheduledownload1->HelpContext = helpctx::Schedule;

    Dial1 = PopupMenu1.Add("Dial1", "&Dial");
    StayOnline1 = PopupMenu1.Add("StayOnline1", "&Stay Online");
    StayOnline1->SetChecked(true);
    HangUp1 = PopupMenu1.Add("HangUp1", "&Hang-up");
    HangUp1->SetEnabled(false);
    N3 = PopupMenu1.Add("N3", "-");
    RunWebBrowser2 = PopupMenu1.Add("RunWebBrowser2", "Execute &Web Browser");
    RunEmailapp1 = PopupMenu1.Add("RunEmailapp1", "Execute &Email Application");
    N5 = PopupMenu1.Add("N5", "-");
    CheckEmail1 = PopupMenu1.Add("CheckEmail1", "&Check For New Email");
    CheckEmail1->SetEnabled(false);
    Adjustclock1 = PopupMenu1.Add("Adjustclock1", "&Adjust Computer Clock");
    Adjustclock1->SetEnabled(false);
    FavoritesInternet1 = PopupMenu1.Add("FavoritesInternet1", "&Favorites Internet");
    N2 = PopupMenu1.Add("N2", "-");
    Options2 = PopupMenu1.Add("Options2", "&Settings");
    N6 = PopupMenu1.Add("N6", "-");
    Exit2 = PopupMenu1.Add("Exit2", "&Close");
    PopupMenu1.BannerText = "Velmora";

    Quit2->OnClick = [this](TObject* s) { Quit2Click(s); };
    Exit2->OnClick = [this](TObject* s) { Exit2Click(s); };
    SpeedButton1.OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    Dial1->OnClick = [this](TObject* s) { Dial1Click(s); };
    HangUp1->OnClick = [this](TObject* s) { HangUp1Click(s); };
    About1->OnClick = [this](TObject* s) { About1Click(s); };
    About->OnClick = [this](TObject* s) { AboutClick(s); };
    StayOnline1->OnClick = [this](TObject* s) { StayOnline1Click(s); };
    // A double-click resets as well: its first click already does.
    Label3.OnClick = [this](TObject* s) { Label3Click(s); };
    RunWebBrowser1->OnClick = [this](TObject* s) { RunWebBrowser1Click(s); };
    RunWebBrowser2->OnClick = RunWebBrowser1->OnClick;
    SpeedButton4.OnClick = RunWebBrowser1->OnClick;
    RunEmailapplication1->OnClick = [this](TObject* s) { RunEmailapplication1Click(s); };
    RunEmailapp1->OnClick = RunEmailapplication1->OnClick;
    HListBox2.OnClick = [this](TObject* s) {
        listClickTick_ = platform::Clock().TickCount();
        listClicked_ = true;
        HListBox2DblClick(s);
    };
    HListBox2.OnDblClick = [this](TObject* s) {
        // The click that began this double-click has started the program already.
        bool started = listClicked_ && platform::Clock().TickCount() - listClickTick_ <= kDoubleClickMs;
        listClicked_ = false;
        if (!started) HListBox2DblClick(s);
    };
    Options2->OnClick = [this](TObject*) {
        Show();
        ShowSettingsDialog();
    };
    Configuration1->OnClick = [this](TObject*) { ShowSettingsDialog(); };
    Scheduledownload1->OnClick = [](TObject*) {
        if (Form3) Form3->Show();
    };
    SpeedButton3.OnClick = Configuration1->OnClick;
    FavoritesBtn.OnSelectURL = [this](TObject* s) { FavoritesBtnSelectURL(s); };
    FavoritesInternet1->OnClick = [this](TObject* s) { FavoritesInternet1Click(s); };
    SpeedButton2.OnClick = [this](TObject*) { CheckEmailWithIcon(); };
    SpeedButton5.OnClick = [this](TObject*) { AdjustClock(true); };
    Adjustclock1->OnClick = SpeedButton5.OnClick;
    CheckEmail1->OnClick = [this](TObject*) {
        Show();
        CheckEmailWithIcon();
    };
}

void TMainForm::Quit2Click(TObject*) {
    Disconnect();
    Close();
}

void TMainForm::Exit2Click(TObject*) {
    Disconnect();
    Close();
}

void TMainForm::Dial1Click(TObject*) {
    Show();
    if (dialing_) return;  // one dial at a time: the one under way goes on
    ShowDialButton(true);  // as the button itself does when it dials
    userDialed_ = true;
    ConnectToInternet();
}

void TMainForm::HangUp1Click(TObject*) {
    Show();
    StopDialing();
    Disconnect();
}

void TMainForm::About1Click(TObject*) { Application().HelpCommand(HELP_FINDER_, 0); }

void TMainForm::AboutClick(TObject*) { ShowAboutBox(); }

void TMainForm::MainTrayIconLeftClick(TObject*) {
    Show();
    Application().ShowWindow(SW_SHOW_);
}

void TMainForm::SystemTrayIcon1DblClick(TObject* Sender) { MainTrayIconLeftClick(Sender); }

// Runs once the window and its controls exist.
void TMainForm::FormCreate() {
    appHook_ = Application().HookMainWindow([this](TMessage& m) { return AppWindowHook(m); });
    Panel1.SetLeft(89);
    HListBox2.SetTop(85);
    HListBox2.SetHeight(HListBox2.Height() + 60);
    AlternateIndex = 0;
    ConnectStartTick = 0;
    Connected = false;
    DialCancelled = false;
    ScheduledRun = false;
    ProgramDir = ExtractFilePath(platform::ExePath());
    Application().HelpFile = ProgramDir + "velmora.hlp";
    ReadIniFile();
    OpenLangFile();
    TranslateForm(*this, {&PopupMenu1});
    ReactToIniOptions();
    MailIcon.Clear();
    PopupMenu1.BannerText += kVersionText;
    SetHint(Hint() + kVersionText);
    MainTrayIcon.SetTip(MainTrayIcon.Tip() + kVersionText);
}

// Cumulative time as hours (unpadded), minutes and seconds (two digits).
std::string TimeText(int32_t h, int32_t m, int32_t s) { return IntToStr(h) + ":" + Pad2(m) + ":" + Pad2(s); }

void TMainForm::ReactToIniOptions() {
    Label3.SetCaption(TimeText(IniOptions.TimeOnLineHours, IniOptions.TimeOnLineMins, IniOptions.TimeOnLineSecs));
    StayOnline1->SetChecked(IniOptions.StayOnline);
    TimerCheckEmail.SetInterval(IniOptions.TimerEnabled && IniOptions.TimerDelay > 0
                                    ? static_cast<uint32_t>(IniOptions.TimerDelay) * 60000u
                                    : 0);
    if (IniOptions.AutoHangUp) {
        MSOfficeCaption1.SetCaption("Velmora");
        MSOfficeCaption1.SetHint("/ Scheduled to hang-up at (" + IntToStr(IniOptions.HangUpHour) + ":" +
                                 Pad2(IniOptions.HangUpMinutes) + ")");
        MSOfficeCaption1.SetVisible(true);
        TimerHangUp.SetInterval(20000);
    } else {
        Application().SetTitle("Velmora");
        MSOfficeCaption1.SetCaption("Velmora");
        MSOfficeCaption1.SetHint("");
        TimerHangUp.SetInterval(0);
    }
    TimerCheckEmail.SetEnabled(Connected);
    TimerHangUp.SetEnabled(Connected);
    Autostart1.SetAutostart(IniOptions.AutoStartUp);
}

// Minimising leaves only the notification-area icon; a restore brings the window back.
// The window's own messages run the work handed to the queue.
void TMainForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case UM_DIAL: ConnectToInternet(); m.Handled = true; return;
        case UM_CHECKMAIL: CheckEmailWithIcon(userDialed_); m.Handled = true; return;
        case UM_ADJUSTCLOCK: AdjustClock(false); m.Handled = true; return;
        case UM_RECONNECT: Reconnect(); m.Handled = true; return;
        case UM_CONNECTED: ConnectedActions(); m.Handled = true; return;
        case UM_RUNBROWSER: RunProgram(IniInfo.WebBrowser, ""); m.Handled = true; return;
        case UM_RUNEMAIL: RunProgram(IniInfo.EmailApp, ""); m.Handled = true; return;
        case UM_CANCELDIAL: CancelDial(); m.Handled = true; return;
        case UM_DIALERROR: ExplainDialError(); m.Handled = true; return;
        case WM_QUERYENDSESSION_: {
            // Windows is ending the session: the close query runs now (it hangs up and writes
            // the time, since the process may end without a close), and logging off goes on.
            bool canClose = true;
            FormCloseQuery(this, canClose);
            m.Result = 1;
            m.Handled = true;
            return;
        }
        case WM_ENDSESSION_:
            if (m.WParam) Close();
            m.Handled = true;
            return;
        default: break;
    }
    if (MinimiseOrRestore(m)) m.Handled = true;
}

// The minimise and restore commands, of this window or of the application's window: both
// windows hide (only the notification-area icon is left) or show again. True when m was one.
bool TMainForm::MinimiseOrRestore(TMessage& m) {
    if (m.Msg != WM_SYSCOMMAND_ || (m.WParam != SC_MINIMIZE_ && m.WParam != SC_RESTORE_)) return false;
    bool restore = m.WParam == SC_RESTORE_;
    Application().ShowWindow(restore ? SW_SHOW_ : SW_HIDE_);
    if (restore) Show();
    else Hide();
    m.Result = 1;
    return true;
}

bool TMainForm::AppWindowHook(TMessage& m) { return MinimiseOrRestore(m); }

void TMainForm::FormCloseQuery(TObject*, bool& CanClose) {
    // A dial still under way would go on, and connect, with no window left to end it.
    StopDialing();
    Disconnect();
    CanClose = true;
}

void TMainForm::FormClose(TObject*, TCloseAction&) { Disconnect(); }

void TMainForm::ShowSettingsDialog(const std::string& page) {
    if (Form2) Form2->ShowSettings(page);
}

void TMainForm::FormDestroy(TObject*) {
    Application().HelpCommand(HELP_QUIT_, 0);
    if (appHook_) Application().UnhookMainWindow(appHook_);
    appHook_ = 0;
}

int TMainForm::ShowBoxOnce(const std::string& text, uint32_t flags, int helpContext) {
    if (!openBoxes_.insert(helpContext).second) {
        // The first line is the message; further lines (a reason, a fingerprint) stay in the box.
        HListBox2.Add(text.substr(0, text.find_first_of("\r\n")));
        return 0;
    }
    struct Closed {
        std::set<int>& open;
        int kind;
        ~Closed() { open.erase(kind); }
    } closed{openBoxes_, helpContext};
    return platform::Ui().MsgBox(text, Application().Title(), flags, helpContext);
}
