// How the mailboxes sign in, and what a sign-in leaves behind. The kind per mailbox is the
// list "SignIn" (settings/Ini.h); the providers' client ids and the Other provider's
// endpoints are the section "OAuth"; each mailbox's refresh token is kept in the section
// "Tokens", protected for the Windows user (platform/Crypto.h), never in plain text; access
// tokens are kept in memory only. WriteIniFile leaves "OAuth" and "Tokens" alone.
#pragma once
#include <functional>
#include <string>

#include "net/OAuth.h"
#include "net/OAuthSignIn.h"

// The kind of mailbox i (SignInList), the password where the list says nothing.
TSignInKind MailboxSignInKind(size_t i);
// The section "OAuth" as it is in the file now; and written (the keys that differ, at once;
// raises EIniFileException when the file refuses).
TOAuthSettings ReadOAuthSettings();
void WriteOAuthSettings(const TOAuthSettings& s);
// The provider of a kind, with the file's settings.
TOAuthProvider SignInProvider(TSignInKind kind);

// The refresh token kept for the mailbox (account at server text), empty when there is none
// or it cannot be read (another user's, another computer's, damaged).
std::string StoredRefreshToken(const std::string& account, const std::string& server);
// Keeps token (protected) for the mailbox, written at once; an empty token forgets it.
// Raises EIniFileException when the file refuses the write; false when the system would not
// protect the token (then nothing is written).
bool StoreRefreshToken(const std::string& account, const std::string& server, const std::string& token);
// Forgets the mailbox's refresh token and access token, if it has any (written at once;
// raises EIniFileException when the file refuses).
void ForgetSignIn(const std::string& account, const std::string& server);
// The in-memory access token of the mailbox (empty until a sign-in or renewal fills it).
TAccessToken& MailboxAccessToken(const std::string& account, const std::string& server);

// Signs the mailbox in with the provider of kind in the browser (RunOAuthSignIn, with the
// pages in the user's language); on success the refresh token is kept (protected) and the
// access token put in memory. The outcome's tokens are for no one else to show or keep.
TSignInOutcome SignInMailbox(TSignInKind kind, const std::string& account, const std::string& server,
                             const std::function<bool()>& keepWaiting);

// The access token for a check of the mailbox: the one in memory while it is fresh (and
// renew is false), else a new one from the kept refresh token, a refresh token the provider
// rotated kept in its place. toRefused when the user must sign in again (no sign-in kept,
// or the provider no longer honours it); toFailed with Problem when the provider could not
// be asked. Only AccessToken (and Problem) of the answer are filled.
TTokenAnswer MailboxAccess(TSignInKind kind, const std::string& account, const std::string& server, bool renew);
