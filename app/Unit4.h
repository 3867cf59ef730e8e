// The progress dialog shared by dialing, the mail check and the clock adjustment: an
// animation, a status text and a Cancel button. Work drives it through TProgressSink.
#pragma once
#include "app/Progress.h"
#include "widgets/Forms.h"

class TForm4 : public TForm, public TProgressSink {
public:
    explicit TForm4(TComponent* owner);
    ~TForm4() override;
    TAnimate Animate1;
    TControl Status;
    TControl Button1;
    TControl MSOfficeCaption1;
    // Plays one of the program's clips ("PHONE_ANI", "CHECKEMAIL_ANI", "TIME_ANI").
    void PlayAnimation(const std::string& resName);
    // Closing the window (its close box, Alt+F4) while the Cancel button is offered is
    // that button's click: the window cannot go away and leave the dial running.
    void WndProc(TMessage& m) override;

    void Begin(const TBegin& what) override;
    void Stage(const std::string& heading) override;
    void SetStatus(const std::string& text) override;
    void End() override;

private:
    std::function<void()> onCancel_;
};

extern TForm4* Form4;
