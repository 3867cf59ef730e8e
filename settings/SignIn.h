// How the mailboxes sign in, and what a sign-in leaves behind. The kind per mailbox is the
// list "SignIn" (settings/Ini.h); the providers' client ids and the Other provider's
// endpoints are the section "OAuth"; each mailbox's refresh token is kept in the section
// "Tokens", protected for the Windows user (platform/Crypto.h), never in plain text; access
// tokens are kept in memory only. WriteIniFile leaves "OAuth" and "Tokens" alone.
#pragma once
#include <string>

#include "net/OAuth.h"

// The kind of mailbox i (SignInList), the password where the list says nothing.
TSignInKind MailboxSignInKind(size_t i);
// The section "OAuth" as it is in the file now.
TOAuthSettings ReadOAuthSettings();
// The provider of a kind, with the file's settings.
TOAuthProvider SignInProvider(TSignInKind kind);

// The refresh token kept for the mailbox (account at server text), empty when there is none
// or it cannot be read (another user's, another computer's, damaged).
std::string StoredRefreshToken(const std::string& account, const std::string& server);
// Keeps token (protected) for the mailbox, written at once; an empty token forgets it.
// Raises EIniFileException when the file refuses the write; false when the system would not
// protect the token (then nothing is written).
bool StoreRefreshToken(const std::string& account, const std::string& server, const std::string& token);
// The in-memory access token of the mailbox (empty until a sign-in or renewal fills it).
TAccessToken& MailboxAccessToken(const std::string& account, const std::string& server);
