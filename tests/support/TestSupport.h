// What every test program shares: a temporary folder, a platform home of
// its own in one, the UTF-8 text of a u8 literal, and a recorder of the
// message boxes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compat/msgbox.h"

namespace testsupport {

// Narrow literals are code page 932 here; import texts, drive tables and
// the platform's files are UTF-8.
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
// The name starts the folder's name, so that a leftover tells whose it is.
class TempFolder {
public:
    explicit TempFolder(std::string_view name = "deprlink-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !m_strPath.empty(); }
    const std::string& Path() const { return m_strPath; }
    // Host paths of what lies below the folder.
    std::string File(const std::string& relative) const { return m_strPath + "/" + relative; }
    // Creates the folder with its parents; returns its host path.
    std::string MakeDir(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& bytes) const;
    std::string ReadFile(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    bool IsDir(const std::string& relative) const;

private:
    std::string m_strPath;
};

// A temporary folder named by BOK_HOME while the object lives; the drive
// table is read afresh from it (none: Z: is the host's root), and on
// destruction BOK_HOME is what it was before (or unset) again.
class ScopedPlatformHome : public TempFolder {
public:
    explicit ScopedPlatformHome(std::string_view name = "deprlink-home");
    ~ScopedPlatformHome();

    // Writes drives.conf (UTF-8, one "root type folder [flags]" a line)
    // and makes the drive table its own.
    void WriteDrives(const std::string& table) const;

private:
    bool m_bHadHome = false;
    std::string m_strOldHome;
};

struct ShownMessage {
    HWND owner;
    std::string text;     // code page 932, as shown
    std::string caption;  // code page 932
    UINT type;

    std::string TextU8() const;
    std::string CaptionU8() const;
};

// Records every message box while it lives and answers each with answer;
// the handler installed before is installed again on destruction.
class MessageRecorder {
public:
    explicit MessageRecorder(int answer = IDOK);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<ShownMessage> messages;

private:
    compat::MessageBoxHandler m_previous;
};

}  // namespace testsupport
