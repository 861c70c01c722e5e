// Escaping of names for HTML text and image addresses.
#include "htmlview/html_text.h"

#include <cstring>

namespace ostrel {

namespace {

bool StaysInUrlPath(unsigned char byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
        return true;
    return byte != 0 && std::strchr("/-._~!$'()*+,;=@", byte) != nullptr;
}

}  // namespace

std::string EscapeHtmlText(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string EncodeUrlPath(const std::string& path) {
    static constexpr char HexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (StaysInUrlPath(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += HexDigits[byte >> 4];
            encoded += HexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

}  // namespace ostrel
