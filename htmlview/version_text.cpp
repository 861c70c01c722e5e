// Version screen and banner note of the reading programs.
#include "htmlview/version_text.h"

#include <cstdio>

namespace ostrel {

void PrintBannerNote() {
    std::fputs("Part of the Ostrel subtitle tools (see README.md).\n", stdout);
}

void PrintVersionText() {
    std::fputs("Home page (see README.md)\n"
               "Bug report send to the project's issue tracker (see README.md)\n"
               "\n"
               "2003-10-01      1.5 new build.\n"
               "2003-06-30      1.3 modified color setting.\n"
               "2003-05-20      1.2 corrected NTSC support.\n"
               "2003-05-05      1.1 new build.\n"
               "2003-04-27      1.0 main release.\n\n",
               stdout);
}

}  // namespace ostrel
