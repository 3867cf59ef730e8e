// Sign-in settings and kept tokens; see SignIn.h.
#include "settings/SignIn.h"

#include <map>
#include <utility>

#include "core/Base64.h"
#include "platform/Platform.h"
#include "settings/Ini.h"
#include "settings/IniBatch.h"
#include "settings/IniLang.h"

namespace {
const char kOAuth[] = "OAuth";
const char kTokens[] = "Tokens";
const char kBlobMark[] = "dpapi:";
// A value is read with at most 1023 characters (platform/Profile.h); a longer protected
// token (some providers' run past a thousand characters) goes on in the keys "<key>#2",
// "<key>#3", ... up to kMaxPieces.
constexpr size_t kPiece = 1000;
constexpr size_t kMaxPieces = 16;

std::string PieceKey(const std::string& key, size_t i) { return i == 0 ? key : key + "#" + std::to_string(i + 1); }

// The key of a mailbox in "Tokens": the account and the server text, with the characters a
// settings file cannot hold in a key written as "%HH".
std::string TokenKey(const std::string& account, const std::string& server) {
    static const char hex[] = "0123456789ABCDEF";
    std::string key;
    for (char c : account + " " + server.substr(0, server.find('\r'))) {
        if (uint8_t(c) < 0x20 || c == '%' || c == '=' || c == ';' || c == '[' || c == ']' || c == '"') {
            key += '%';
            key += hex[uint8_t(c) >> 4];
            key += hex[uint8_t(c) & 15];
        } else {
            key += c;
        }
    }
    return key;
}

// The keys of the section "OAuth" and the fields they fill.
const std::pair<const char*, std::string TOAuthSettings::*> kOAuthKeys[] = {
    {"GoogleClientId", &TOAuthSettings::GoogleClientId},
    {"GoogleClientSecret", &TOAuthSettings::GoogleClientSecret},
    {"MicrosoftClientId", &TOAuthSettings::MicrosoftClientId},
    {"OtherAuthorizationEndpoint", &TOAuthSettings::OtherAuthorizationEndpoint},
    {"OtherTokenEndpoint", &TOAuthSettings::OtherTokenEndpoint},
    {"OtherClientId", &TOAuthSettings::OtherClientId},
    {"OtherClientSecret", &TOAuthSettings::OtherClientSecret},
    {"OtherScope", &TOAuthSettings::OtherScope},
};
}  // namespace

TSignInKind MailboxSignInKind(size_t i) { return i < SignInList.size() ? SignInKindFromText(SignInList[i]) : skPassword; }

TOAuthSettings ReadOAuthSettings() {
    const TIniFile ini(IniFileName());
    TOAuthSettings s;
    for (const auto& [key, field] : kOAuthKeys) s.*field = ini.ReadString(kOAuth, key, "");
    return s;
}

void WriteOAuthSettings(const TOAuthSettings& s) {
    const TIniFile ini(IniFileName());
    TIniBatch batch(ini.FileName());
    bool changed = false;
    for (const auto& [key, field] : kOAuthKeys)
        if (ini.ReadString(kOAuth, key, "") != s.*field) {
            batch.String(kOAuth, key, s.*field);
            changed = true;
        }
    if (changed) batch.Commit();
}

TOAuthProvider SignInProvider(TSignInKind kind) { return ProviderFor(kind, ReadOAuthSettings()); }

std::string StoredRefreshToken(const std::string& account, const std::string& server) {
    const TIniFile ini(IniFileName());
    const std::string key = TokenKey(account, server);
    std::string text;
    for (size_t i = 0; i < kMaxPieces; ++i) {
        std::string piece = ini.ReadString(kTokens, PieceKey(key, i), "");
        text += piece;
        if (piece.size() < kPiece) break;
    }
    std::string blob, token;
    if (text.compare(0, sizeof(kBlobMark) - 1, kBlobMark) != 0 || !Base64Decode(text.substr(sizeof(kBlobMark) - 1), blob) ||
        !platform::Crypto().Unprotect(blob, token))
        return "";
    return token;
}

bool StoreRefreshToken(const std::string& account, const std::string& server, const std::string& token) {
    std::string value;
    if (!token.empty()) {
        std::string blob;
        if (!platform::Crypto().Protect(token, blob)) return false;
        value = kBlobMark + Base64Encode(blob);
    }
    if (value.size() >= kPiece * kMaxPieces) return false;
    const std::string key = TokenKey(account, server);
    const TIniFile ini(IniFileName());
    TIniBatch batch(ini.FileName());
    // Every piece written, and the pieces of a longer older token after them emptied.
    for (size_t i = 0; i < kMaxPieces; ++i) {
        std::string piece = i * kPiece < value.size() ? value.substr(i * kPiece, kPiece) : "";
        if (piece.empty() && i > 0 && ini.ReadString(kTokens, PieceKey(key, i), "").empty()) break;
        batch.String(kTokens, PieceKey(key, i), piece);
    }
    batch.Commit();
    return true;
}

void ForgetSignIn(const std::string& account, const std::string& server) {
    MailboxAccessToken(account, server) = {};
    if (!TIniFile(IniFileName()).ReadString(kTokens, TokenKey(account, server), "").empty())
        StoreRefreshToken(account, server, "");
}

TAccessToken& MailboxAccessToken(const std::string& account, const std::string& server) {
    static std::map<std::string, TAccessToken> tokens;
    return tokens[TokenKey(account, server)];
}

TSignInOutcome SignInMailbox(TSignInKind kind, const std::string& account, const std::string& server,
                             const std::function<bool()>& keepWaiting) {
    TSignInPages pages;
    pages.SignedIn = GetLangText("Velmora is signed in; you can close this window.", "const_SignInPageDone");
    pages.Refused = GetLangText("This is not the sign-in Velmora is waiting for.", "const_SignInPageRefused");
    TSignInOutcome out = RunOAuthSignIn(SignInProvider(kind), account, keepWaiting, pages);
    if (!out.Ok) return out;
    bool kept = false;
    try {
        kept = StoreRefreshToken(account, server, out.RefreshToken);
    } catch (const EIniFileException&) {
    }
    if (!kept) {
        // A sign-in that cannot be kept would be asked for again at the next check.
        out.Ok = false;
        out.Problem = GetLangText("the sign-in could not be kept in the settings file", "const_SignInNotKept");
        return out;
    }
    MailboxAccessToken(account, server) = out.Access;
    return out;
}

TTokenAnswer MailboxAccess(TSignInKind kind, const std::string& account, const std::string& server, bool renew) {
    TAccessToken& access = MailboxAccessToken(account, server);
    TTokenAnswer out;
    if (!renew && !access.NeedsRenewal(platform::Clock().TickCount())) {
        out.Outcome = toTokens;
        out.AccessToken = access.Token;
        return out;
    }
    access = {};
    const std::string refresh = StoredRefreshToken(account, server);
    if (refresh.empty()) {
        out.Outcome = toRefused;
        return out;
    }
    TTokenAnswer answer = RenewAccessToken(SignInProvider(kind), refresh);
    out.Outcome = answer.Outcome;
    out.Problem = answer.Problem;
    if (answer.Outcome != toTokens) return out;
    access = AccessTokenOf(answer);
    out.AccessToken = access.Token;
    // A rotated refresh token replaces the old one, which the provider may no longer take.
    // When the file refuses, the new one is lost and the next renewal may ask for a sign-in.
    if (answer.RefreshToken != refresh) try {
            StoreRefreshToken(account, server, answer.RefreshToken);
        } catch (const EIniFileException&) {
        }
    return out;
}
