// Starting other programs through the shell: a configured command line split into program
// and parameters, with a plain explanation when the shell cannot start it.
#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "settings/Ini.h"

namespace {
// The characters that cannot occur in a file name end the program part of an unquoted line.
const char kSeparators[] = "\"*/<>?|";

std::string ShellErrorText(intptr_t code) {
    switch (code) {
        case 0: return "The operating system is out of memory or resources.";
        case 2: return "The specified file was not found.";
        case 3: return "The specified path was not found.";
        case 5: return "The operating system denied access to the specified file.";
        case 8: return "There was not enough memory to complete the operation.";
        case 11: return "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
        case 26: return "A sharing violation occurred.";
        case 27: return "The filename association is incomplete or invalid.";
        case 28: return "The DDE transaction could not be completed because the request timed out.";
        case 29: return "The DDE transaction failed.";
        case 30: return "The DDE transaction could not be completed because other DDE transactions were being processed.";
        case 31: return "There is no application associated with the given filename extension.";
        case 32: return "The specified dynamic-link library was not found.";
        default: return "ShellExecute failed with error #" + IntToStr(code);
    }
}

}  // namespace

// Splits a command line: a quoted program path, or the text up to the first separator.
void SplitCommandLine(const std::string& commandLine, std::string& program, std::string& params) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        if (close == std::string::npos) close = commandLine.size();
        program = Trim(commandLine.substr(1, close - 1));
        params = close < commandLine.size() ? Trim(commandLine.substr(close + 1)) : "";
    } else {
        size_t sep = commandLine.find_first_of(kSeparators);
        if (sep == std::string::npos) sep = commandLine.size();
        program = Trim(commandLine.substr(0, sep));
        params = Trim(commandLine.substr(sep));
    }
}

void TMainForm::RunProgram(const std::string& commandLine, const std::string& directory) {
    if (commandLine.empty()) return;
    std::string program, params;
    SplitCommandLine(commandLine, program, params);
    intptr_t r = platform::Programs().ShellExecute("open", program, params, directory, SW_SHOWNORMAL_);
    if (r > 32) return;
    platform::Sound().Beep();
    platform::Ui().MsgBox(ShellErrorText(r) + "\ntrying to execute '" + commandLine + "'", "Warning", MB_OK_, helpctx::ProgramNotStarted);
}

void TMainForm::RunWebBrowser1Click(TObject*) {
    if (!IniInfo.WebBrowser.empty()) {
        RunProgram(IniInfo.WebBrowser, "");
        return;
    }
    for (const char* candidate : {"blank.htm", "netscape.exe", "iexplore.exe"})
        if (platform::Programs().ShellExecute("open", candidate, "", "", SW_SHOWNORMAL_) > 32) return;
    platform::Ui().MsgBox("Sorry your Web browser could not be found, please specify it in the Settings menu",
                          Application().Title(), MB_OK_, helpctx::ProgramNotStarted);
}

void OpenWebTarget(const std::string& target) {
    IPrograms& programs = platform::Programs();
    if (programs.ShellExecute("open", target, "", "", SW_SHOWNORMAL_) > 32) return;
    for (const char* browser : {"netscape.exe", "iexplore.exe"})
        if (programs.ShellExecute("open", browser, target, "", SW_SHOWNORMAL_) > 32) return;
    platform::Ui().MsgBox("Sorry your Web browser could not be found, please specify it in the Settings menu",
                          Application().Title(), MB_OK_, helpctx::ProgramNotStarted);
}

void TMainForm::RunEmailapplication1Click(TObject*) { RunProgram(IniInfo.EmailApp, ""); }

void TMainForm::HListBox2DblClick(TObject*) { RunProgram(IniInfo.EmailApp, ""); }

void TMainForm::FavoritesBtnSelectURL(TObject*) { OpenWebTarget(FavoritesBtn.URLPath); }

void TMainForm::FavoritesInternet1Click(TObject*) {
    int x = 0, y = 0;
    platform::Tray().GetCursorPos(x, y);
    FavoritesBtn.PopupAt(x, y);
}

void TMainForm::PlaySoundFile(const std::string& fileName) { platform::Sound().PlaySound(fileName); }
