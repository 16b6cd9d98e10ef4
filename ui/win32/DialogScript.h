// The resource script of dialogs 130 and 131, written from the one table
// of their layout (ui/DialogResources.h) that the other windows read too.
// The script is code page 932 bytes, for windres -c 932.
#pragma once

#include <string>

#include "ui/DialogResources.h"

// The DIALOGEX statement of one dialog: its styles (those of the
// conditions dialog or of the progress dialog, by the template's id), font,
// caption and every control in the table's order, which is the tab order.
std::string DialogStatement(const StDlgTemplate& dialog);

// The whole script: the code page, the headers, both dialogs.
std::string DialogScript();
