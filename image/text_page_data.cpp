// The words of the three text pages. Every line is exactly 20 characters,
// centred (an odd space goes to the right); the compiler adds the
// closing NUL of each page.
#include "image/text_pages.h"

namespace {

// VORLIX presents TRELK.
constexpr TextPage INTRO_PAGE = {
    "                    "
    "     * VORLIX *     "
    "  PROUDLY PRESENTS  "
    "                    "
    "     T R E L K      "
    "                    "
    "   A LITTLE INTRO   "
    "    IN 640 X 480    "
    " WITH 16 BIT COLOUR "
    "                    "
    " SIT BACK AND ENJOY "
    "THE SPINNING SHAPES "
    "   AND THE MUSIC!   "
    "                    "
    " PRESS ESC TO LEAVE "
    "    AT ANY TIME     "
    "                    "};

// Who made it.
constexpr TextPage CREDITS_PAGE = {
    "                    "
    "    - CREDITS -     "
    "                    "
    "       CODE:        "
    "  THE VORLIX CREW   "
    "                    "
    "     GRAPHICS:      "
    "  THE VORLIX CREW   "
    "                    "
    "       MUSIC:       "
    "  THE VORLIX CREW   "
    "                    "
    "  3D + 2D + SOUND   "
    "  ALL MADE BY HAND  "
    "  (NO PIXELS WERE   "
    "      HARMED!)      "
    "                    "};

// Greetings and goodbye.
constexpr TextPage FAREWELL_PAGE = {
    "                    "
    "  GREETINGS GO OUT  "
    "  TO YOU WHO READ   "
    "    THESE WORDS!    "
    "                    "
    "AND TO ALL WHO MAKE "
    "   INTROS & DEMOS   "
    " FOR THE FUN OF IT  "
    "                    "
    "THANKS FOR WATCHING "
    "                    "
    " THAT'S ALL FOR NOW "
    "    GOODBYE AND     "
    "   SEE YOU SOON!    "
    "                    "
    "     - VORLIX -     "
    "                    "};

}  // namespace

const TextPage* const pageTable[PAGE_COUNT] = {&INTRO_PAGE, &CREDITS_PAGE, &FAREWELL_PAGE};
