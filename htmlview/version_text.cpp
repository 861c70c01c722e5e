// Texts the two reading programs share: the banner note, the usage lines
// after the first, and the version screen.
#include "htmlview/version_text.h"

#include <cstdio>

namespace ostrel {

void PrintBannerNote() {
    std::fputs("Part of the Ostrel subtitle tools (see README.md).\n", stdout);
}

void PrintReaderUsageLines() {
    std::fputs("          where subtitle1.sup is VobEdit subtitle file\n"
               "          options\n"
               "                -help         display help\n"
               "                -bitmap       create bitmap file for every subtitle block\n"
               "                -fr:N         set up frame rate to  N fps (N=25, 29.97)\n"
               "                -pal          set up frame rate to 25 fps\n"
               "                -ntsc         set up frame rate to 29.97 fps\n"
               "                -version      display version info\n"
               "\n",
               stdout);
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
