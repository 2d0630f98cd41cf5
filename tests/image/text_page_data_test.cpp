// The three pages' words: 17 lines of exactly 20 drawable characters each,
// centred, and the closing NUL.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/text_pages.h"

namespace {

bool Drawable(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           std::strchr("'-.+?!():*&@/", c) != nullptr;
}

TEST(TextPageData, EveryLineHasTwentyDrawableCharactersAndEachPageEndsWithNul) {
    for (int p = 0; p < PAGE_COUNT; ++p) {
        const TextPage* page = pageTable[p];
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->text[340], '\0') << "page " << p;
        EXPECT_EQ(std::strlen(page->text), 340u) << "page " << p;
        int written = 0;
        for (int line = 0; line < 17; ++line) {
            const std::string text(page->text + 20 * line, 20);
            for (char c : text) {
                ASSERT_TRUE(Drawable(c) && c != '\0')
                    << "page " << p << " line " << line << ": \"" << text << "\"";
            }
            if (text.find_first_not_of(' ') != std::string::npos) ++written;
        }
        EXPECT_GE(written, 8) << "page " << p;
    }
}

TEST(TextPageData, LinesAreCentred) {
    for (int p = 0; p < PAGE_COUNT; ++p) {
        for (int line = 0; line < 17; ++line) {
            const std::string text(pageTable[p]->text + 20 * line, 20);
            const size_t first = text.find_first_not_of(' ');
            if (first == std::string::npos) continue;
            const size_t trailing = 19 - text.find_last_not_of(' ');
            EXPECT_TRUE(trailing == first || trailing == first + 1) << "page " << p << ": \"" << text << "\"";
        }
    }
}

TEST(TextPageData, PagesAreDistinctAndSayWhatTheyShould) {
    EXPECT_NE(pageTable[0], pageTable[1]);
    EXPECT_NE(pageTable[1], pageTable[2]);
    EXPECT_NE(pageTable[0], pageTable[2]);
    const std::string intro(pageTable[0]->text);
    const std::string credits(pageTable[1]->text);
    EXPECT_NE(intro.find("VORLIX"), std::string::npos);
    EXPECT_NE(intro.find("PRESENTS"), std::string::npos);
    EXPECT_NE(credits.find("THE VORLIX CREW"), std::string::npos);
}

}  // namespace
