// What long work shows the user while it runs: a clip, a heading, a status line and, where
// the work can be stopped, a Cancel button. The work reports to this sink and never touches
// the progress window itself; the window is the one implementation the program installs.
#pragma once
#include <functional>
#include <string>

class TProgressSink {
public:
    struct TBegin {
        std::string animation{};  // one of the program's clips ("PHONE_ANI", ...)
        std::string caption{};    // the window's caption (what automation finds it by)
        std::string heading{};    // the bold text in the title bar
        bool cancellable = true;
        // Called on the user interface thread when Cancel (or the close box, or Escape) is
        // used while the work runs; never called after End.
        std::function<void()> onCancel{};
    };
    virtual ~TProgressSink() = default;
    // Shows the window with these texts; the status line starts empty.
    virtual void Begin(const TBegin& what) = 0;
    // A new stage of the same work (the next mailbox): heading replaced, caption and status
    // cleared, the clip and the Cancel button left as they are.
    virtual void Stage(const std::string& heading) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // Hides the window; safe when it is not shown. Cancel is offered again by default.
    virtual void End() = 0;
};

// The progress window when it exists, else a sink that shows nothing (a window not yet
// created, or a test without one).
TProgressSink& Progress();
