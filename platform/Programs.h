// The programs seam: starting other programs and opening documents, and the two facts about
// this computer the program shows or needs to find them (system folder, host entry).
#pragma once
#include <cstdint>
#include <string>

class IPrograms {
public:
    virtual ~IPrograms() = default;
    // Starts a program or opens a document (operation "open", or empty for the default),
    // with parameters and working folder (empty: none) and a show command (SW_*). Returns
    // the shell's code: above 32 on success, else the reason (2 file not found, ...).
    virtual intptr_t ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                                  const std::string& dir, int show) = 0;
    // The Windows system directory, without a trailing separator.
    virtual std::string SystemDirectory() = 0;
    // This computer's host name resolved to its host entry: the official name and the first
    // address in dotted decimal (empty when none can be formatted). False when the name
    // cannot be had or resolved.
    virtual bool LocalHostEntry(std::string& officialName, std::string& firstAddress) = 0;
};
