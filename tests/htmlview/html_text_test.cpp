// Escaping file names for HTML text and image addresses.
#include "htmlview/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

TEST(HtmlText, EscapesMarkupCharacters) {
    const struct {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"movie.sup", "movie.sup"},
        {"a&b.sup", "a&amp;b.sup"},
        {"</TITLE><script>.sup", "&lt;/TITLE&gt;&lt;script&gt;.sup"},
        {"say \"hi\".sup", "say &quot;hi&quot;.sup"},
        {"it's.sup", "it's.sup"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeHtmlText(c.text), c.escaped) << c.text;
}

TEST(HtmlText, PercentEncodesWhatAUrlPathNeeds) {
    const struct {
        std::string path;
        std::string encoded;
    } cases[] = {
        {"/tmp/subs/movie_000001.bmp", "/tmp/subs/movie_000001.bmp"},
        {"/tmp/my subs/a b.bmp", "/tmp/my%20subs/a%20b.bmp"},
        {"/x/100%.bmp", "/x/100%25.bmp"},
        {"/x/a\"><script>.bmp", "/x/a%22%3E%3Cscript%3E.bmp"},
        {"/x/#1?.bmp", "/x/%231%3F.bmp"},
        {"/x/a&b.bmp", "/x/a%26b.bmp"},
        {"/x/c:\\d.bmp", "/x/c%3A%5Cd.bmp"},
        {"/x/\xC3\xA9t\xC3\xA9.bmp", "/x/%C3%A9t%C3%A9.bmp"},
        {"/x/tab\there\n.bmp", "/x/tab%09here%0A.bmp"},
        {"/x/a-b_c~d(1)+e,f;g=h@i!j$k'l*.bmp", "/x/a-b_c~d(1)+e,f;g=h@i!j$k'l*.bmp"},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeUrlPath(c.path), c.encoded) << c.path;
}

}  // namespace
}  // namespace ostrel
