#include "ui/TerminalProgress.h"

#include <unistd.h>

#include "compat/mbcs.h"
#include "ui/DialogResources.h"

ClTerminalProgress::ClTerminalProgress(FILE* out) : ClTerminalProgress(out, out != nullptr && isatty(fileno(out))) {}

ClTerminalProgress::ClTerminalProgress(FILE* out, bool draw)
    : m_pOut(out), m_bDraw(draw && out != nullptr), m_strCaption(compat::SjisToUtf8(g_dlgProgress.pszCaption)) {}

ClTerminalProgress::~ClTerminalProgress() {
    if (m_bDraw && !m_strDrawn.empty()) {
        std::fputc('\n', m_pOut);
        std::fflush(m_pOut);
    }
}

void ClTerminalProgress::SetCaption(const char* caption) { m_strCaption = compat::SjisToUtf8(caption ? caption : ""); }

void ClTerminalProgress::SetMainBar(int lower, int upper, int pos) {
    m_nLower = lower;
    m_nUpper = upper;
    m_nPos = pos;
}

// The secondary bar only says the run is alive; on a terminal the redrawn
// main line says as much.
void ClTerminalProgress::SetSubBar(int, int, int) {}

void ClTerminalProgress::BringToTop() {}

std::string ClTerminalProgress::Line() const {
    const long span = static_cast<long>(m_nUpper) - m_nLower;
    long filled = span > 0 ? (static_cast<long>(m_nPos) - m_nLower) * kBarCells / span : 0;
    if (filled < 0) filled = 0;
    if (filled > kBarCells) filled = kBarCells;
    std::string line = m_strCaption;
    line += " [";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kBarCells - filled), '-');
    line += ']';
    return line;
}

void ClTerminalProgress::Repaint() {
    if (!m_bDraw) return;
    // Pulses repaint for every element written; only a changed line is
    // worth the terminal's time.
    std::string line = Line();
    if (line == m_strDrawn) return;
    // Blanks cover what a longer earlier line left behind.
    std::string padded = line;
    if (padded.size() < m_strDrawn.size()) padded.append(m_strDrawn.size() - padded.size(), ' ');
    std::fputc('\r', m_pOut);
    std::fwrite(padded.data(), 1, padded.size(), m_pOut);
    std::fflush(m_pOut);
    m_strDrawn = std::move(line);
}
