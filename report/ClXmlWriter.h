// The report file's lexical layer: one whole line per call.
//
// Lines are indented with TABs and end in CR LF; element text and attribute
// values are escaped.  There is no document tree and no stack of open
// elements: the caller names every tag and its depth.  Nothing is buffered,
// so each line reaches the file in its own write call.
#pragma once

#include <cstddef>
#include <string>

#include "compat/file.h"

class ClXmlWriter {
public:
    ClXmlWriter() = default;
    ~ClXmlWriter();
    ClXmlWriter(const ClXmlWriter&) = delete;
    ClXmlWriter& operator=(const ClXmlWriter&) = delete;

    // Creates or truncates the file at path through the caller's file
    // object, which must outlive the writer.  0, or -1 when file or path is
    // null.  A file that cannot be created is noticed at the first write.
    short Open(CFile* file, const char* path);
    // Closes the held file and forgets it.  0, or -1 when the close itself
    // reported an error (the data may not have reached the disk).
    short Close();

    // Writes text unchanged in one write call.  1 written, 0 failed.
    int WriteText(const char* text);

    // The tag operations build their line in the caller's buffer and write
    // it.  A line that does not fit the buffer (or a value whose escaped
    // form exceeds 255 bytes) is never cut: it fails like a write error.
    // An attribute is written only when both its name and value are given,
    // and the second only after the first.  1 written, 0 failed.
    template <size_t N>
    int StartElement(char (&line)[N], const char* name, int indent, const char* attrName1 = nullptr,
                     const char* attrValue1 = nullptr, const char* attrName2 = nullptr,
                     const char* attrValue2 = nullptr) {
        return WriteTag(line, N, name, nullptr, indent, {{attrName1, attrName2}, {attrValue1, attrValue2}});
    }
    // Start tag, escaped text and end tag on one line; text "" gives an
    // empty element written as a start and an end tag.
    template <size_t N>
    int WriteElement(char (&line)[N], const char* name, const char* text, int indent, const char* attrName1 = nullptr,
                     const char* attrValue1 = nullptr, const char* attrName2 = nullptr,
                     const char* attrValue2 = nullptr) {
        return WriteTag(line, N, name, text ? text : "", indent, {{attrName1, attrName2}, {attrValue1, attrValue2}});
    }
    template <size_t N>
    int EndElement(char (&line)[N], const char* name, int indent) {
        return WriteEnd(line, N, name, indent);
    }

    // Escapes the five XML specials (none of them is ever a Shift_JIS trail
    // byte) and writes as a space every byte that no XML document may hold:
    // a C0 control other than TAB, CR and LF, and a byte that starts no
    // assigned code page 932 character.  Returns the shared 256-byte escape
    // buffer, valid until the next call; a text of more than 255 bytes, or
    // one whose escaped form is longer, gives "".
    static const char* Escape(const char* text);

    // Whether WriteElement of text at indent fits a line buffer of
    // lineSize bytes (without attributes).
    static bool ElementFits(size_t lineSize, const char* name, const char* text, int indent);

    bool IsFailed() const { return m_bFailed; }
    const std::string& GetPath() const { return m_strPath; }

    static constexpr size_t ESCAPE_BUFFER_SIZE = 256;

private:
    // A tag's two attributes as the callers give them, names and values.
    struct TagAttributes {
        const char* names[2];
        const char* values[2];
    };
    int WriteTag(char* line, size_t size, const char* name, const char* text, int indent,
                 const TagAttributes& attributes);
    int WriteEnd(char* line, size_t size, const char* name, int indent);
    // length bytes of text in one write call; 1 written, 0 failed.
    int WriteBytes(const char* text, size_t length);
    // Closes the file after a failed line; every later write returns 0.
    void Fail();
    // The escaped form of text into out; false, with out emptied, when the
    // text or its escaped form does not fit size - 1 bytes.
    static bool EscapeTo(const char* text, char* out, size_t size);

    CFile* m_pFile = nullptr;
    std::string m_strPath;
    bool m_bFailed = false;
};
