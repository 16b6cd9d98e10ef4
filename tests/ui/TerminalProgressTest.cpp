// The progress line on a terminal, and the silence elsewhere.

#include "ui/TerminalProgress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/TestSupport.h"

namespace {

std::string Contents(FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

std::string Bar(int filled) { return "[" + std::string(filled, '#') + std::string(30 - filled, '-') + "]"; }

using testsupport::U8;

TEST(TerminalProgressTest, RedrawsOneLineInPlaceAndEndsIt) {
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ClTerminalProgress view(out, true);
        view.SetMainBar(0, 1000, 0);
        view.Repaint();
        view.SetCaption("集計中 50％");
        view.SetMainBar(0, 1000, 500);
        view.Repaint();
        view.Repaint();  // nothing changed: nothing drawn
        view.SetSubBar(0, 5, 3);
        view.BringToTop();
        view.Repaint();  // the secondary bar is not drawn
        view.SetCaption("集計中 100％");
        view.SetMainBar(0, 1000, 1000);
        view.Repaint();
    }
    const std::string expected = "\r" + U8(u8"集計中 ") + Bar(0) + "\r" + U8(u8"集計中 50％ ") + Bar(15) + "\r" +
                                 U8(u8"集計中 100％ ") + Bar(30) + "\n";
    EXPECT_EQ(Contents(out), expected);
    std::fclose(out);
}

TEST(TerminalProgressTest, BlanksCoverALongerEarlierLine) {
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ClTerminalProgress view(out, true);
        view.SetCaption("集計中 100％");
        view.Repaint();
        view.SetCaption("集計中");
        view.Repaint();
    }
    const std::string longer = U8(u8"集計中 100％ ") + Bar(0);
    const std::string shorter = U8(u8"集計中 ") + Bar(0);
    EXPECT_EQ(Contents(out), "\r" + longer + "\r" + shorter + std::string(longer.size() - shorter.size(), ' ') + "\n");
    std::fclose(out);
}

TEST(TerminalProgressTest, StaysQuietWhenTheOutputIsNoTerminal) {
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ClTerminalProgress view(out);
        view.SetCaption("集計中 10％");
        view.SetMainBar(0, 1000, 100);
        view.Repaint();
    }
    EXPECT_EQ(Contents(out), "");
    std::fclose(out);
}

TEST(TerminalProgressTest, DrawsWhenTheOutputIsATerminal) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    FILE* out = std::fopen(ptsname(master), "w");
    ASSERT_NE(out, nullptr);
    {
        ClTerminalProgress view(out);
        view.SetMainBar(0, 1000, 1000);
        view.Repaint();
    }
    std::fclose(out);
    std::string seen;
    char buffer[512];
    pollfd ready{master, POLLIN, 0};
    while (::poll(&ready, 1, 1000) > 0 && (ready.revents & POLLIN)) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) break;
        seen.append(buffer, static_cast<size_t>(got));
        if (seen.find('\n') != std::string::npos) break;
    }
    ::close(master);
    EXPECT_NE(seen.find(U8(u8"集計中 ") + Bar(30)), std::string::npos) << seen;
}

}  // namespace
