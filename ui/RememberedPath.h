// The remembered-path file's replacement, as far as callers other than the
// conditions dialog need to know it.
//
// SaveRememberedPath never rewrites the file in place: the new content goes
// to "<file>.tmp" in the same folder, is flushed to disk and then renamed
// over the file, so the file always holds either its old or its new bytes.
#pragma once

// The suffix of the temporary file beside the remembered-path file.
constexpr char kRememberedPathTempSuffix[] = ".tmp";

// For tests: while set, SaveRememberedPath stops as a killed process would,
// right after the temporary file is complete and before the rename, and
// answers FALSE.
void SetRememberedPathSaveInterrupt(bool interrupt);
