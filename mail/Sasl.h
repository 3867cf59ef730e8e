// The SASL texts of a sign-in with an OAuth 2.0 access token, for IMAP AUTHENTICATE and
// POP3 AUTH alike: XOAUTH2 (the two large services' own) and OAUTHBEARER (RFC 7628), and
// the server's error challenge read into words for the user.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/OAuth.h"

// The mechanism's name as the server lists it.
const char* SaslMechanismName(TSaslMechanism m);
// Of the mechanisms a server lists (any case), the one to use: the provider's own when
// listed, else the other token mechanism; false when the server lists neither.
bool ChooseSaslMechanism(const std::vector<std::string>& offered, TSaslMechanism preferred, TSaslMechanism& chosen);
// The client's first message, Base64-encoded (what goes after the mechanism with SASL-IR,
// or as the answer to the server's first empty challenge). host and port are the server's,
// for OAUTHBEARER.
std::string SaslInitialResponse(TSaslMechanism m, const std::string& user, const std::string& token,
                                const std::string& host, uint16_t port);
// What the client answers to an error challenge so the server ends the exchange with its
// refusal: an empty line for XOAUTH2, "AQ==" (a single 0x01) for OAUTHBEARER.
std::string SaslErrorAcknowledgement(TSaslMechanism m);
// The server's error challenge (Base64 of a JSON object with "status", "scope", ...) in
// words, e.g. "the server refused the access token (invalid_token)"; a challenge that is
// no such object gives the plain refusal.
std::string SaslChallengeReason(const std::string& challenge);
