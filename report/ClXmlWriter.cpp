#include "report/ClXmlWriter.h"

#include <cstring>

#include "compat/mbcs.h"

namespace {

// The shared escape buffer: one writer runs at a time, and every escaped
// value is copied into its line before the next escape.
char s_szEscape[ClXmlWriter::ESCAPE_BUFFER_SIZE];

const char* EscapeOf(unsigned char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '>':
        return "&gt;";
    case '<':
        return "&lt;";
    case '"':
        return "&quot;";
    case '\'':
        return "&apos;";
    default:
        return nullptr;
    }
}

// Appends to a fixed line buffer, remembering whether anything did not
// fit; the buffer always stays NUL-terminated.
class LineBuilder {
public:
    LineBuilder(char* buffer, size_t size) : m_pBuffer(buffer), m_nSize(size) {
        if (m_nSize > 0)
            m_pBuffer[0] = '\0';
        else
            m_bOverflow = true;
    }
    void Tabs(int count) {
        if (count <= 0 || m_bOverflow) return;
        if (static_cast<size_t>(count) >= m_nSize - m_nLength) {
            m_bOverflow = true;
            return;
        }
        std::memset(m_pBuffer + m_nLength, '\t', static_cast<size_t>(count));
        m_nLength += static_cast<size_t>(count);
        m_pBuffer[m_nLength] = '\0';
    }
    void Append(const char* text) { Append(text, std::strlen(text)); }
    void Append(const char* text, size_t length) {
        if (m_bOverflow) return;
        if (length >= m_nSize - m_nLength) {
            m_bOverflow = true;
            return;
        }
        std::memcpy(m_pBuffer + m_nLength, text, length);
        m_nLength += length;
        m_pBuffer[m_nLength] = '\0';
    }
    bool Overflowed() const { return m_bOverflow; }
    size_t Length() const { return m_nLength; }

private:
    char* m_pBuffer;
    size_t m_nSize;
    size_t m_nLength = 0;
    bool m_bOverflow = false;
};

}  // namespace

ClXmlWriter::~ClXmlWriter() { Close(); }

short ClXmlWriter::Open(CFile* file, const char* path) {
    if (file == nullptr || path == nullptr) return -1;
    Close();
    m_pFile = file;
    m_strPath = path;
    m_bFailed = false;
    // A failed open leaves the file object closed, and its first write
    // reports the failure where the caller examines results.
    file->Open(path, CFile::modeCreate | CFile::modeWrite);
    return 0;
}

short ClXmlWriter::Close() {
    if (m_pFile == nullptr) return 0;
    CFile* file = m_pFile;
    m_pFile = nullptr;
    m_bFailed = false;
    if (!file->IsOpen()) return 0;
    try {
        file->Close();
    } catch (const CFileException&) {
        file->Abort();
        return -1;
    }
    return 0;
}

int ClXmlWriter::WriteText(const char* text) {
    if (text == nullptr) return 0;
    return WriteBytes(text, std::strlen(text));
}

int ClXmlWriter::WriteBytes(const char* text, size_t length) {
    if (m_pFile == nullptr || m_bFailed) return 0;
    try {
        m_pFile->Write(text, static_cast<UINT>(length));
    } catch (const CFileException&) {
        Fail();
        return 0;
    }
    return 1;
}

void ClXmlWriter::Fail() {
    m_bFailed = true;
    if (m_pFile != nullptr) m_pFile->Abort();
}

bool ClXmlWriter::EscapeTo(const char* text, char* out, size_t size) {
    // Like the fixed working copy it stands for, the scan never looks past
    // 255 bytes of the source.
    const size_t length = strnlen(text, ESCAPE_BUFFER_SIZE);
    LineBuilder escaped(out, size);
    if (length >= ESCAPE_BUFFER_SIZE) {
        out[0] = '\0';
        return false;
    }
    // Runs of bytes that need neither an entity nor a replacement go over
    // whole.  A byte that XML forbids (a C0 control other than TAB, CR and
    // LF) or that starts no character of the code page would make the whole
    // report unreadable; it is written as a space, so that the value keeps
    // its length and everything else in it.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t run = 0;
    for (size_t i = 0; i < length;) {
        const char* entity = EscapeOf(bytes[i]);
        if (entity == nullptr) {
            const size_t width = compat::XmlCharLength(bytes + i, length - i);
            if (width != 0) {
                i += width;
                continue;
            }
        }
        escaped.Append(text + run, i - run);
        if (entity != nullptr)
            escaped.Append(entity);
        else
            escaped.Append(" ", 1);
        run = ++i;
    }
    escaped.Append(text + run, length - run);
    if (escaped.Overflowed()) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool ClXmlWriter::ElementFits(size_t lineSize, const char* name, const char* text, int indent) {
    if (name == nullptr || text == nullptr) return false;
    char escaped[ESCAPE_BUFFER_SIZE];
    if (!EscapeTo(text, escaped, sizeof escaped)) return false;
    // TABs, "<" name ">", the text, "</" name ">", CR LF and the NUL.
    const size_t tabs = indent > 0 ? static_cast<size_t>(indent) : 0;
    return tabs + 2 * std::strlen(name) + std::strlen(escaped) + 8 <= lineSize;
}

const char* ClXmlWriter::Escape(const char* text) {
    EscapeTo(text ? text : "", s_szEscape, sizeof s_szEscape);
    return s_szEscape;
}

int ClXmlWriter::WriteTag(char* line, size_t size, const char* name, const char* text, int indent,
                          const TagAttributes& attributes) {
    if (m_pFile == nullptr || m_bFailed || name == nullptr) return 0;

    LineBuilder out(line, size);
    out.Tabs(indent);
    out.Append("<");
    out.Append(name);
    // The second attribute counts only when the first is there.
    if (attributes.names[0] != nullptr && attributes.values[0] != nullptr) {
        const char* const* names = attributes.names;
        const char* const* values = attributes.values;
        for (int i = 0; i < 2 && names[i] != nullptr && values[i] != nullptr; ++i) {
            if (!EscapeTo(values[i], s_szEscape, sizeof s_szEscape)) {
                Fail();
                return 0;
            }
            out.Append(" ");
            out.Append(names[i]);
            out.Append("=\"");
            out.Append(s_szEscape);
            out.Append("\"");
        }
    }
    out.Append(">");
    if (text != nullptr) {
        if (!EscapeTo(text, s_szEscape, sizeof s_szEscape)) {
            Fail();
            return 0;
        }
        out.Append(s_szEscape);
        out.Append("</");
        out.Append(name);
        out.Append(">");
    }
    out.Append("\r\n");
    // Half a line would leave the file unreadable: refuse it as a failed
    // write instead.
    if (out.Overflowed()) {
        Fail();
        return 0;
    }
    return WriteBytes(line, out.Length());
}

int ClXmlWriter::WriteEnd(char* line, size_t size, const char* name, int indent) {
    if (m_pFile == nullptr || m_bFailed || name == nullptr) return 0;
    LineBuilder out(line, size);
    out.Tabs(indent);
    out.Append("</");
    out.Append(name);
    out.Append(">\r\n");
    if (out.Overflowed()) {
        Fail();
        return 0;
    }
    return WriteBytes(line, out.Length());
}
