// The output path checks: any path (up to its first NUL, the last byte
// before a guard page) is judged without reading past its end; its folder
// and file name parts make it up again; and NormaliseFolder leaves a
// terminated folder within its buffer.

#include <string>

#include "FuzzSupport.h"
#include "compat/drives.h"
#include "compat/mbcs.h"
#include "ui/OutputPath.h"

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string path = fuzz::UpToNul(testCase.substr(0, 1024));
    const std::string home = fuzz::Home("output_path");
    if (!fuzz::Exists(home + "/drives.conf")) {
        for (const char* folder : {"/drive_c", "/drive_c/Data", "/drive_d", "/share"})
            mkdir((home + folder).c_str(), 0755);
        fuzz::WriteFile(home + "/drives.conf",
                        "C: fixed drive_c\nD: cdrom drive_d\nR: removable drive_d ro\n\\\\SV\\share remote share\n");
    }
    compat::ReloadDriveTable();

    const fuzz::GuardedBuffer text = fuzz::GuardedBuffer::Text(path);
    const char* p = text.Data();
    const bool invalid = HasInvalidChars(p);
    const bool usable = IsDriveUsable(p);
    (void)invalid;
    (void)usable;
    CheckDriveLetter(static_cast<unsigned char>(path.empty() ? 0 : path[0]), 6);
    FolderExists(p);

    const std::string folder = FolderPart(path), name = FileNamePart(path);
    FUZZ_CHECK(folder + name == path);
    FUZZ_CHECK(folder.empty() || folder.back() == '\\');
    FUZZ_CHECK(DrivePart(path) + AfterDrivePart(path) == path);

    if (path.size() < kOutputPathBufferSize) {
        fuzz::GuardedBuffer buffer(kOutputPathBufferSize);
        std::memcpy(buffer.Data(), path.c_str(), path.size() + 1);
        const bool kept = NormaliseFolder(buffer.Data(), buffer.Size());
        const size_t length = strnlen(buffer.Data(), buffer.Size());
        FUZZ_CHECK(length < buffer.Size());
        if (kept) FUZZ_CHECK(length > 0);
        // The folder keeps bytes of the path, in order, and may gain a final
        // separator.
        FUZZ_CHECK(length <= path.size() + 1);
    }
}
