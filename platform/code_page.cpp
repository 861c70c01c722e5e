// Code pages of source text: the character-set table, lead bytes, the UTF-8
// scan and the iconv conversion to Unicode.
#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>

namespace ostrel::platform {
namespace {

struct CharSetCodePage {
    int charSet;
    int codePage;
};

constexpr std::array<CharSetCodePage, 18> CharSetTable = {{
    {0, 1252},     {1, 1252},     {77, 10000},   {128, 932},    {129, 949},    {130, 1361},
    {134, 936},    {136, 950},    {161, 1253},   {162, 1254},   {163, 1258},   {177, 1255},
    {178, 1256},   {186, 1257},   {204, 1251},   {222, 874},    {238, 1250},   {255, 437},
}};

struct CodePageName {
    int codePage;
    const char* iconvName;
};

constexpr std::array<CodePageName, 18> IconvNames = {{
    {437, "CP437"},     {874, "CP874"},     {932, "CP932"},     {936, "CP936"},
    {949, "CP949"},     {950, "CP950"},     {1250, "CP1250"},   {1251, "CP1251"},
    {1252, "CP1252"},   {1253, "CP1253"},   {1254, "CP1254"},   {1255, "CP1255"},
    {1256, "CP1256"},   {1257, "CP1257"},   {1258, "CP1258"},   {1361, "JOHAB"},
    {10000, "MACINTOSH"}, {Utf8CodePage, "UTF-8"},
}};

constexpr char32_t ReplacementCharacter = 0xFFFD;
constexpr char32_t MaxCodePoint = 0x10FFFF;
constexpr char32_t SurrogateFirst = 0xD800;
constexpr char32_t SurrogateLast = 0xDFFF;
constexpr unsigned char AsciiLimit = 0x80;
constexpr std::size_t Utf32Width = 4;
constexpr std::size_t ConversionChunk = 4096;
const char* const Utf32Target = "UTF-32LE";

bool InRange(unsigned char byte, unsigned char first, unsigned char last) {
    return byte >= first && byte <= last;
}

// One open converter, kept for the next call with the same code page.
struct ConverterCache {
    int codePage = 0;
    iconv_t descriptor = reinterpret_cast<iconv_t>(-1);

    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache() { Close(); }

    bool IsOpen() const { return descriptor != reinterpret_cast<iconv_t>(-1); }
    void Close() {
        if (IsOpen()) iconv_close(descriptor);
        descriptor = reinterpret_cast<iconv_t>(-1);
    }
};

// The converter from `codePage` to UTF-32LE, reset to its initial state, or
// null when iconv has none.
ConverterCache* ConverterFor(int codePage) {
    static ConverterCache cache;
    if (!cache.IsOpen() || cache.codePage != codePage) {
        cache.Close();
        cache.descriptor = iconv_open(Utf32Target, IconvNameOfCodePage(codePage));
        cache.codePage = codePage;
        if (!cache.IsOpen()) return nullptr;
    }
    iconv(cache.descriptor, nullptr, nullptr, nullptr, nullptr);
    return &cache;
}

// Appends the whole UTF-32LE code units in `bytes[0, count)`.
void AppendUtf32Le(const char* bytes, std::size_t count, std::u32string* out) {
    for (std::size_t i = 0; i + Utf32Width <= count; i += Utf32Width) {
        char32_t unit = 0;
        for (std::size_t b = 0; b < Utf32Width; ++b) {
            unit |= static_cast<char32_t>(static_cast<unsigned char>(bytes[i + b])) << (8 * b);
        }
        out->push_back(unit);
    }
}

void FallbackConversion(const std::string& bytes, std::u32string* out) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out->push_back(byte < AsciiLimit ? static_cast<char32_t>(byte) : ReplacementCharacter);
    }
}

void IconvConversion(iconv_t descriptor, const std::string& bytes, int codePage, std::u32string* out) {
    std::string input = bytes;  // iconv takes a non-const input pointer
    char* in = input.data();
    std::size_t inLeft = input.size();
    char chunk[ConversionChunk];
    while (inLeft > 0) {
        char* outPos = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(descriptor, &in, &inLeft, &outPos, &outLeft);
        AppendUtf32Le(chunk, sizeof chunk - outLeft, out);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        out->push_back(ReplacementCharacter);
        if (errno == EINVAL) break;  // the text ends inside a character
        const std::size_t skip = NextCharacter(input, static_cast<std::size_t>(in - input.data()), codePage) -
                                 static_cast<std::size_t>(in - input.data());
        in += skip;
        inLeft -= skip;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPos = chunk;
    std::size_t outLeft = sizeof chunk;
    iconv(descriptor, nullptr, nullptr, &outPos, &outLeft);
    AppendUtf32Le(chunk, sizeof chunk - outLeft, out);
}

// UTF-8 forms: 0xxxxxxx | 110xxxxx 10xxxxxx | 1110xxxx 10xxxxxx 10xxxxxx |
// 11110xxx 10xxxxxx 10xxxxxx 10xxxxxx.
void AppendUtf8(char32_t code, std::string* out) {
    if (code > MaxCodePoint || (code >= SurrogateFirst && code <= SurrogateLast)) code = ReplacementCharacter;
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Starts a UTF-8 sequence at lead byte `byte`: how many continuation bytes
// follow and the allowed range of the first of them. False for a byte that
// cannot begin a sequence.
bool StartUtf8Sequence(Utf8Scan* scan, unsigned char byte) {
    struct LeadRule {
        unsigned char first, last;
        int continuations;
        unsigned char lower, upper;
    };
    static constexpr std::array<LeadRule, 7> Rules = {{
        {0xC2, 0xDF, 1, 0x80, 0xBF},
        {0xE0, 0xE0, 2, 0xA0, 0xBF},  // no overlong forms
        {0xE1, 0xEC, 2, 0x80, 0xBF},
        {0xED, 0xED, 2, 0x80, 0x9F},  // no surrogates
        {0xEE, 0xEF, 2, 0x80, 0xBF},
        {0xF0, 0xF0, 3, 0x90, 0xBF},  // no overlong forms
        {0xF1, 0xF3, 3, 0x80, 0xBF},
    }};
    static constexpr LeadRule LastPlane = {0xF4, 0xF4, 3, 0x80, 0x8F};  // nothing above U+10FFFF
    for (const LeadRule& rule : Rules) {
        if (InRange(byte, rule.first, rule.last)) {
            scan->pendingContinuations = rule.continuations;
            scan->lowerBound = rule.lower;
            scan->upperBound = rule.upper;
            return true;
        }
    }
    if (byte != LastPlane.first) return false;
    scan->pendingContinuations = LastPlane.continuations;
    scan->lowerBound = LastPlane.lower;
    scan->upperBound = LastPlane.upper;
    return true;
}

void ScanUtf8Byte(Utf8Scan* scan, unsigned char byte) {
    constexpr unsigned char ContinuationFirst = 0x80;
    constexpr unsigned char ContinuationLast = 0xBF;
    if (scan->pendingContinuations > 0) {
        if (!InRange(byte, scan->lowerBound, scan->upperBound)) {
            scan->invalid = true;
            return;
        }
        scan->lowerBound = ContinuationFirst;
        scan->upperBound = ContinuationLast;
        if (--scan->pendingContinuations == 0) scan->sawMultiByte = true;
        return;
    }
    if (byte < AsciiLimit) return;
    if (!StartUtf8Sequence(scan, byte)) scan->invalid = true;
}

}  // namespace

int CodePageOfCharSet(int charSet) {
    for (const CharSetCodePage& entry : CharSetTable) {
        if (entry.charSet == charSet) return entry.codePage;
    }
    return DefaultAnsiCodePage;
}

int IsLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
        case 932:
            return InRange(byte, 0x81, 0x9F) || InRange(byte, 0xE0, 0xFC);
        case 936:
        case 949:
        case 950:
            return InRange(byte, 0x81, 0xFE);
        case 1361:
            return InRange(byte, 0x84, 0xD3) || InRange(byte, 0xD8, 0xDE) || InRange(byte, 0xE0, 0xF9);
        default:
            return 0;
    }
}

std::size_t NextCharacter(const std::string& text, std::size_t pos, int codePage) {
    if (pos >= text.size()) return text.size();
    const bool pair = IsLeadByte(codePage, static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
                      text[pos + 1] != '\0';
    return pos + (pair ? 2 : 1);
}

void ScanUtf8(Utf8Scan* scan, const unsigned char* bytes, std::size_t count) {
    if (scan == nullptr || bytes == nullptr) return;
    for (std::size_t i = 0; i < count && !scan->invalid; ++i) ScanUtf8Byte(scan, bytes[i]);
}

bool Utf8ScanResult(const Utf8Scan& scan) {
    return !scan.invalid && scan.pendingContinuations == 0 && scan.sawMultiByte;
}

const char* IconvNameOfCodePage(int codePage) {
    for (const CodePageName& entry : IconvNames) {
        if (entry.codePage == codePage) return entry.iconvName;
    }
    return "CP1252";
}

bool ConvertToUtf32(const std::string& bytes, int codePage, std::u32string* out) {
    if (out == nullptr) return false;
    out->clear();
    ConverterCache* converter = ConverterFor(codePage);
    if (converter == nullptr) {
        FallbackConversion(bytes, out);
        return false;
    }
    IconvConversion(converter->descriptor, bytes, codePage, out);
    return true;
}

bool ConvertToUtf8(const std::string& bytes, int codePage, std::string* out) {
    if (out == nullptr) return false;
    std::u32string wide;
    const bool converted = ConvertToUtf32(bytes, codePage, &wide);
    *out = Utf32ToUtf8(wide);
    return converted;
}

std::string Utf32ToUtf8(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t code : text) AppendUtf8(code, &out);
    return out;
}

}  // namespace ostrel::platform
