// The POP3 mailbox client (T_Pop3, declared in tcpip.h): a plain sequence of exchanges
// (greeting, USER, PASS, LIST, TOP per message, QUIT), each a command line out and a status
// line back, some followed by a listing that ends with ".". Its extensions (UIDL, CAPA,
// APOP) are in Pop3Extensions.cpp.
#include <algorithm>

#include "core/SysUtils.h"
#include "mail/MimeDecode.h"
#include "mail/tcpip.h"

namespace {

const char* const kPop3 = "POP3";
// A mailbox of more messages than this asks whether the server takes commands in batches.
const size_t kPipelineFrom = 8;
// At most this many TOP commands wait for their answers; more go out when half are read.
const size_t kPipelineWindow = 64;
// OnProgress comes after every so many headers.
const size_t kProgressEvery = 200;

bool StartsWithText(const std::string& line, const std::string& prefix) {
    return line.size() >= prefix.size() && SameText(line.substr(0, prefix.size()), prefix);
}

// A header value: what follows the field name and its colon, leading blanks left out.
std::string FieldValue(const std::string& line, size_t nameLength) {
    size_t i = nameLength;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return line.substr(i);
}

// A message number or size of a LIST line: plain decimal digits only.
bool ParseCount(const std::string& s, int& value) {
    if (s.empty() || s.size() > 9) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

}  // namespace

T_Pop3::T_Pop3(TComponent* owner) : T_MailClient(owner) { port_ = 110; }

void T_Pop3::CheckReply() {
    StartExchange();
    std::string line;
    ReadLine(line);
    Trace(line, tlReply);
    lastReply_ = line;
    if (line.compare(0, 3, "+OK") == 0) return;
    if (line.compare(0, 4, "-ERR") == 0) throw EProtocolError(kPop3, line, 500);
    throw EProtocolError(kPop3, line, 999);
}

void T_Pop3::ReadListing(const std::function<void(const std::string&)>& each) {
    size_t count = 0;
    for (;;) {
        std::string line;
        // A listing cut off is a failure, never a shorter listing.
        if (!ReadLine(line)) throw EProtocolError(kPop3, "Connection ended before the end of the answer", 999);
        if (line == ".") return;
        if (++count > MaxListingLines) {
            ended_ = true;  // the rest of the runaway answer would be taken for replies
            throw ETcpIpError("The server's answer is too long");
        }
        if (!line.empty() && line[0] == '.') line.erase(0, 1);  // dot-stuffed line
        each(line);
    }
}

void T_Pop3::Greet() {
    pipelining_ = -1;
    CheckReply();
    greeting_ = lastReply_;
}

void T_Pop3::AskForTls() {
    SendCommand("STLS");
    CheckReply();
}

void T_Pop3::OpenMailbox() {
    SendCommand("LIST");
    CheckReply();
    numberOfMails_ = 0;
    messageList_.clear();
    ReadListing([this](const std::string& line) {
        size_t blank = line.find(' ');
        std::string number = line.substr(0, blank);
        std::string size;
        if (blank != std::string::npos) {
            size = line.substr(blank + 1);
            size = size.substr(0, size.find(' '));
        }
        auto reply = std::make_unique<t_reply>();
        if (!ParseCount(number, reply->Index) || !ParseCount(size, reply->Size))
            throw EProtocolError(kPop3, line, 999);
        if (numberOfMails_ >= MaxListedMessages) {
            ended_ = true;  // the rest of the listing is not read
            throw ETcpIpError("The mailbox lists more messages than are read");
        }
        messageList_.push_back(std::move(reply));
        ++numberOfMails_;
    });
}

void T_Pop3::ReadHeader(t_reply& r) {
    r.From.clear();
    r.Subject.clear();
    bool inHeader = true;
    size_t lines = 0;
    std::string* field = nullptr;  // the field a continuation line belongs to, if kept
    bool sawFrom = false, sawSubject = false;
    ReadListing([&](const std::string& line) {
        if (++lines > MaxHeaderLines) {
            ended_ = true;  // the rest of the runaway answer would be taken for replies
            throw ETcpIpError("The server's answer is too long");
        }
        // TOP n 1 also brings the first body line; only the header names sender and subject.
        if (!inHeader) return;
        if (line.empty()) {
            inHeader = false;
        } else if (line[0] == ' ' || line[0] == '\t') {
            // A folded field goes on here: unfolding drops only the line break, so the
            // blank that starts the line stays (and separates encoded words, which the
            // decoder then joins).
            if (field) *field = (field->empty() ? FieldValue(line, 0) : *field + line).substr(0, MaxSummaryField);
        } else if (StartsWithText(line, "From:") && !sawFrom) {
            // Of a field given twice the first counts, as with IMAP and other readers.
            r.From = FieldValue(line, 5).substr(0, MaxSummaryField);
            field = &r.From;
            sawFrom = true;
        } else if (StartsWithText(line, "Subject:") && !sawSubject) {
            r.Subject = FieldValue(line, 8).substr(0, MaxSummaryField);
            field = &r.Subject;
            sawSubject = true;
        } else {
            field = nullptr;
        }
    });
}

bool T_Pop3::ServerPipelines() {
    if (pipelining_ >= 0) return pipelining_ == 1;
    // Asked again after login: a server may offer more to a user it knows.
    pipelining_ = HasCapability(AskCapabilities(), "PIPELINING") ? 1 : 0;
    return pipelining_ == 1;
}

void T_Pop3::SendTops(size_t from, size_t to) {
    std::string batch;
    for (size_t k = from; k < to; ++k) {
        std::string command = "TOP " + IntToStr(messageList_[messageList_.size() - 1 - k]->Index) + " 1";
        Trace(command, tlCommand);
        batch += command + "\r\n";
    }
    if (!batch.empty()) SendText(batch);
}

void T_Pop3::GetHeaders() {
    MailLines.clear();
    // The walk goes from the last listed message to the first. The summaries are kept in
    // walk order and turned round at the end (also when the walk fails), so MailLines is in
    // LIST order.
    std::vector<std::string> walked;
    walked.reserve(messageList_.size());
    struct TurnRound {
        std::vector<std::string>& walked;
        std::vector<std::string>& lines;
        ~TurnRound() { lines.assign(std::make_move_iterator(walked.rbegin()), std::make_move_iterator(walked.rend())); }
    } turn{walked, MailLines};
    const size_t count = messageList_.size();
    // When the server takes commands in batches, the next TOP commands are already on their
    // way while an answer is read; the answers come in the order of the commands.
    const bool batches = count > kPipelineFrom && ServerPipelines();
    size_t sent = 0;  // walk positions whose TOP went out
    for (size_t k = 0; k < count; ++k) {
        t_reply& r = *messageList_[count - 1 - k];
        try {
            if (!batches) {
                SendCommand("TOP " + IntToStr(r.Index) + " 1");
            } else if (sent - k <= kPipelineWindow / 2) {
                size_t to = std::min(count, k + kPipelineWindow);
                SendTops(sent, to);
                sent = to;
            }
            CheckReply();
            ReadHeader(r);
            r.From = MimeDecode(r.From);
            r.Subject = MimeDecode(r.Subject);
            walked.push_back(r.Subject.empty() ? r.From : r.From + '\a' + r.Subject);
        } catch (const EProtocolError&) {
            // A refused header still counts as mail; a lost connection ends the walk, or
            // every remaining message would be listed as refused.
            if (Eof()) throw;
            walked.push_back(IntToStr(r.Index));
        }
        if (OnProgress && (k + 1) % kProgressEvery == 0) OnProgress(this);
    }
}

void T_Pop3::GetMail(int n) {
    if (!connected_) Login();
    SendCommand("RETR " + IntToStr(n));
    CheckReply();
    // A whole message needs the time its listed size takes on a slow line (2 KB a second)
    // on top of the usual limits; a server that sends more than it listed still runs out.
    int64_t size = 0;
    for (const auto& m : messageList_)
        if (m->Index == n) size = std::max(0, m->Size);
    ExtendDeadlines(size * 1000 / 2048);
    MailLines.clear();
    ReadListing([this](const std::string& line) { MailLines.push_back(line); });
}

void T_Pop3::SayGoodbye() {
    SendCommand("QUIT");
    CheckReply();
}

void T_Pop3::Action() {
    Login();
    if (!messageList_.empty()) GetMail(1);
    Logout();
}
