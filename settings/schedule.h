// The schedule dialog: arms one unattended session. At the chosen time of day the program
// dials, starts the listed programs once the line is up, and hangs up at a second time. The
// schedule lives only in this dialog's controls and its two timers; nothing is stored.
#pragma once
#include <string>

#include "settings/DialogHost.h"
#include "widgets/Forms.h"

class TForm3 : public TForm {
public:
    // The host (the window it is opened from, which it stays above) may be nullptr.
    explicit TForm3(TComponent* owner, IDialogHost* host = nullptr);
    ~TForm3() override;

    // Controls, in tab order.
    TControl Label2;
    TControl Label1, Label3, Label4;
    TListBox ComboBox1, ComboBox2;  // dial hour, dial minute
    TControl Label5, Label6, Label7;
    TListBox ComboBox3, ComboBox4;  // hang-up hour, hang-up minute
    TControl Label8;
    TControl Edit1;    // command text of the row to add
    TControl Button1;  // Browse
    TControl Label9;
    TControl Edit2;    // working directory of the row to add
    TControl Button5, Button6;  // Add, Remove
    TListView ListView1;        // programs to start: command text, working directory
    TControl Button2, Button3, Button4;  // Ok, Cancel, Reset scheduling

    TTimer Timer1;                // watches the dial time while armed
    TTimer TimerScheduledHangUp;  // watches the hang-up time once a scheduled line is up
    TOpenDialog OpenDialog1;

    void Button1Click(TObject* Sender);
    void Button5Click(TObject* Sender);
    void Button6Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Button4Click(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void TimerScheduledHangUpTimer(TObject* Sender);

    static constexpr uint32_t kTickMs = 25000;

private:
    IDialogHost* host_ = nullptr;
    void BuildControls();
};

// The one schedule dialog, created hidden at start-up (nullptr before and after).
extern TForm3* Form3;

// True from the schedule's dial until its hang-up time: the session under way is the
// scheduled one (its programs run once the line is up).
extern bool ScheduledRun;
