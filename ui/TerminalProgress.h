// The progress dialog on a terminal: the caption and the main bar as one
// line redrawn in place ("\r").  When the output is no terminal (a pipe, a
// file, a log), it stays quiet, so that the run's messages are all a script
// sees.
#pragma once

#include <cstdio>
#include <string>

#include "ui/ProgressDlg.h"

class ClTerminalProgress : public IProgressView {
public:
    // Draws only when out is a terminal.
    explicit ClTerminalProgress(FILE* out);
    ClTerminalProgress(FILE* out, bool draw);
    // Ends the drawn line, so that what follows starts on a line of its own.
    ~ClTerminalProgress() override;
    ClTerminalProgress(const ClTerminalProgress&) = delete;
    ClTerminalProgress& operator=(const ClTerminalProgress&) = delete;

    void SetCaption(const char* caption) override;
    void SetMainBar(int lower, int upper, int pos) override;
    void SetSubBar(int lower, int upper, int pos) override;
    void BringToTop() override;
    void Repaint() override;
    // The window the host is asked to take and that owns the run's last
    // message boxes; the terminal draws them the same whatever the owner.
    HWND Handle() override { return reinterpret_cast<HWND>(this); }

    // The line as it would be drawn now (UTF-8, without the "\r").
    std::string Line() const;

private:
    static constexpr int kBarCells = 30;

    FILE* m_pOut;
    bool m_bDraw;
    std::string m_strCaption;  // UTF-8
    int m_nLower = 0, m_nUpper = 100, m_nPos = 0;
    std::string m_strDrawn;  // the line on the terminal now
};
