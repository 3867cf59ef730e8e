// Profile values laid down so that they read back unchanged; see ProfileValue.h.
#include "platform/ProfileValue.h"

#include "core/Utf16.h"
#include "platform/FileSystem.h"

namespace profile_value {
namespace {

// Characters that a read may take away at either end of a value.
bool Fragile(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u <= 0x20 || u >= 0x7F || c == '"' || c == '\'';
}

bool NeedsQuotes(const std::string& v) { return !v.empty() && (Fragile(v.front()) || Fragile(v.back())); }

}  // namespace

size_t Limit(const std::string& value) {
    // The read copies the closing quote into its buffer before dropping it, so a quoted value
    // has one character less room.
    return NeedsQuotes(value) ? kReadLimit - 1 : kReadLimit;
}

TFit Check(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return TFit::LineBreak;
    if (value.size() > Limit(value)) return TFit::TooLong;
    return TFit::Fits;
}

std::string Stored(const std::string& value) { return NeedsQuotes(value) ? "\"" + value + "\"" : value; }

std::string FileText(const std::string& bytes, IFileSystem* codePage, TEncoding& encoding) {
    encoding = TEncoding::CodePage;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        encoding = TEncoding::Utf16;
        std::wstring wide;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        return WideToUtf8(wide);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = TEncoding::Utf8;
        return bytes.substr(3);
    }
    return codePage ? codePage->FromCodePage(bytes) : bytes;
}

std::string FileBytes(const std::string& text, IFileSystem* codePage, TEncoding& encoding) {
    std::string bytes;
    if (encoding == TEncoding::Utf8) return "\xEF\xBB\xBF" + text;
    if (encoding == TEncoding::CodePage && (!codePage || codePage->ToCodePage(text, bytes)))
        return codePage ? bytes : text;
    encoding = TEncoding::Utf16;
    bytes = "\xFF\xFE";
    for (wchar_t c : Utf8ToWide(text)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace profile_value
