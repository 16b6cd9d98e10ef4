// Dialog resources 130 (conditions) and 131 (progress): every control with
// its id, kind, text and place in dialog units, in the resource's order,
// which is also the tab order.  Texts are cp932.  The behaviour classes
// take their initial texts from here and the windows their layout.
#pragma once

#include <cstddef>

enum class EDlgItemKind { Label, Group, FirstRadio, Radio, Edit, Button, SmoothProgress, Progress };

struct StDlgItem {
    int nId;
    EDlgItemKind eKind;
    const char* pszText;
    int x, y, cx, cy;
};

struct StDlgTemplate {
    int nId;
    const char* pszCaption;
    const char* pszFontFace;
    int nPointSize;
    int cx, cy;
    const StDlgItem* pItems;
    size_t nItems;

    const StDlgItem* begin() const { return pItems; }
    const StDlgItem* end() const { return pItems + nItems; }
    // Null for an id the dialog does not have.
    const StDlgItem* Find(int id) const;
};

extern const StDlgTemplate g_dlgConditions;  // 130
extern const StDlgTemplate g_dlgProgress;    // 131
