// Forms: a form is a top-level window with its controls, its menu, its close sequence and
// the keyboard of a dialog (Tab order, default and cancel buttons, mnemonics). The
// application object, which every form's close reaches, is in Application.h.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/Application.h"
#include "widgets/Controls.h"

enum class TBorderStyle { Single, Dialog, None, Sizeable };
enum class TCloseAction { None, Hide, Free, Minimize };

class TForm;
// The form a control sits on (the control itself for a form); nullptr for none.
TForm* FormOf(TControl* c);

class TForm : public TWinControl {
public:
    TForm(TComponent* owner, const std::string& name);
    ~TForm() override;

    // Window definition, set before Realize().
    TBorderStyle BorderStyle = TBorderStyle::Single;
    bool SystemMenu = true, MinimizeBox = true, MaximizeBox = false;
    bool StayOnTop = false;
    bool CenterOnScreen = true;
    bool ShowHint = true;
    std::string IconRes;  // icon resource, empty: the program icon
    std::string BackgroundTile;  // bitmap resource tiled over the client area, if any
    TMenu* Menu = nullptr;
    // The window this one stays above and is minimised with (none: the application window).
    TForm* OwnerForm = nullptr;
    // The drawn title bar, if any: its Caption() is the application name shown in it, its
    // Hint() the second text (a notice) after it.
    TControl* TitleBar = nullptr;
    // The drawn title bar shows the window's caption after its own text when it has no
    // second text of its own.
    bool TitleBarShowsCaption = false;
    void SetClientSize(int w, int h) { SetBounds(Left(), Top(), w, h); }
    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }

    // Creates the windows: the menu, the form, every control in creation order, then the
    // drawn title bar.
    void CreateHandle();
    // Leaves the windows to the first Show (or ShowModal): a dialog that stays hidden costs
    // the program's start nothing. Until then the form and its controls keep their values
    // and the windows are made from them.
    void CreateHandleOnShow() { handleOnShow_ = true; }
    void Show();
    void Hide();
    // Runs the close sequence: OnCloseQuery may refuse; OnClose then chooses the action.
    void Close();
    int ShowModal();
    void SetModalResult(int r);
    bool Closed() const { return closed_; }

    // The form's own messages (WM_USER + n): posted ones run later from the loop, sent ones
    // before the sender goes on. Both arrive at WndProc.
    bool PostMsg(uint32_t msg, uintptr_t w = 0, intptr_t l = 0);
    intptr_t Perform(uint32_t msg, uintptr_t w = 0, intptr_t l = 0);
    // Every message the backend does not handle itself passes through here first; a form
    // that sets Handled keeps it from the default handling.
    virtual void WndProc(TMessage& m) {}
    void Dispatch(TMessage& m) { WndProc(m); }

    // Dialog keyboard: Enter presses DefaultButton, Escape CancelButton, Tab and Shift+Tab
    // move through the tab stops of the showing controls in creation order, Alt+letter
    // reaches the control whose caption marks that letter with "&".
    TControl* DefaultButton = nullptr;
    TControl* CancelButton = nullptr;
    // The button Enter presses with the focus in `focused` (nullptr: nowhere in particular):
    // the control's EnterButton when it has one, whether or not it can be pressed now (Enter
    // in a box whose Add button is off adds nothing and closes nothing), else DefaultButton.
    TControl* DefaultButtonFor(const TControl* focused) const;
    // The focus moved to `focused` (nullptr: out of a box with an EnterButton): the button
    // shown as the default follows.
    void FocusMoved(const TControl* focused);
    // The next (or previous) control that Tab stops at after `from` (nullptr: from the
    // start), wrapping around; nullptr when there is none.
    TControl* NextTabStop(TControl* from, bool backwards) const;
    // What Alt+key reaches: a button, check box or page whose caption marks the letter, or
    // the first tab stop after a label or group box that marks it; nullptr when none does.
    TControl* MnemonicTarget(char key) const;
    // Every page control of the form, in creation order.
    std::vector<TPageControl*> PageControls() const;

    // The backend reports that the form became the program's active window. OnActivate
    // fires when another form (or none) was active before: leaving the program and coming
    // back, or a message box or file dialog over the form, does not count.
    void Activated();
    TNotifyEvent OnActivate;
    // The form that was last activated, while it is still shown.
    static TForm* ActiveForm();

    std::function<void(TObject* Sender, bool& CanClose)> OnCloseQuery;
    std::function<void(TObject* Sender, TCloseAction& Action)> OnClose;
    TNotifyEvent OnDestroy;

private:
    bool handleOnShow_ = false;
    bool closed_ = false;
    int modalResult_ = 0;
};
