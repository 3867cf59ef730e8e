// Reading what an IMAP4rev1 server says: one response (its line and the literals the line
// announces, as they arrived) taken apart into tag, name, response code, text and data
// items; and the two fields of a message header that the mail check lists.
//
// A response's raw form is its lines joined by CR LF with each literal's bytes right after
// the "{n}" line that announces it, the last line's CR LF left off.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TImapItem {
    enum TKind { Atom, String, Nil, List } Kind = Atom;
    std::string Text;              // Atom: as sent (numbers are atoms); String: its content
    std::vector<TImapItem> Items;  // List: its members
};

struct TImapResponse {
    std::string Tag;               // "*" untagged, "+" a request for more, else a command's tag
    std::string Number;            // the number of "* 3 EXISTS", "* 2 FETCH (...)"; else empty
    std::string Name;              // upper case: OK NO BAD BYE PREAUTH CAPABILITY SEARCH FETCH...
    std::vector<TImapItem> Code;   // a status response's code: [UIDVALIDITY 7] gives two atoms
    std::string Text;              // a status response's (or a request's) text for people
    std::vector<TImapItem> Data;   // everything after the name of any other response
};

// Bounds on one response: lists nested this deep at most, this many items in all.
constexpr size_t MaxImapDepth = 16;
constexpr size_t MaxImapItems = 250000;

// Takes raw apart; false for a response that does not follow the grammar (or breaks a bound).
bool ParseImapResponse(const std::string& raw, TImapResponse& response);

// True when a line ends by announcing a literal ("{n}" or "{n+}"); n is its length in bytes.
bool ImapLiteralAtEnd(const std::string& line, uint64_t& n);

// True for a status response name (OK, NO, BAD, BYE, PREAUTH).
bool IsImapStatus(const std::string& name);

// The value of the FETCH attribute whose name starts with name (case ignored) in a FETCH
// response's list of name and value pairs; null when there is none.
const TImapItem* ImapFetchValue(const TImapResponse& fetch, const std::string& name);

// The sender and subject of a message header (folded lines joined), each at most maxLength
// characters, still encoded as the header has them.
void ImapHeaderFields(const std::string& header, size_t maxLength, std::string& from, std::string& subject);

// A user name or password as a command argument: a quoted string when it is plain printable
// ASCII, otherwise empty (it has to go as a literal).
std::string ImapQuoted(const std::string& s);
