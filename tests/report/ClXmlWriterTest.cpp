#include "report/ClXmlWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

#include "ReportTestSupport.h"

using reporttest::ReadFile;
using reporttest::WindowsPath;

namespace {

// Every test writes through Z:, the host's root, with a home of its own.
class XmlWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()); }
    std::string HostFile(const char* name = "out.xml") const { return m_dir.File(name); }

    testsupport::ScopedPlatformHome m_dir{"deprlink-report"};
};

// --- Escape -----------------------------------------------------------------

std::string Repeat(const char* text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct EscapeCase {
    const char* label;
    std::string text;
    std::string expected;
};

const EscapeCase kEscapeCases[] = {
    {"all five", "R&D <Q1> \"new\" 'old'", "R&amp;D &lt;Q1&gt; &quot;new&quot; &apos;old&apos;"},
    {"empty", "", ""},
    // ソ, 表 and ポ end in 0x5C, 0x5C and 0x7C.
    {"trail bytes 5C and 7C", "\x83\x5C\x95\x5C\x83\x7C", "\x83\x5C\x95\x5C\x83\x7C"},
    {"controls", "a\tb\r\nc", "a\tb\r\nc"},
    // What no reader of code page 932 decodes becomes a space each byte:
    // single bytes that start no character, a lead byte without a trail
    // byte (also before a special), and pairs the code page leaves free.
    {"bytes that start no character", "\x82\xA0\xFF\x80\xA0\xFD", "\x82\xA0    "},
    {"lead byte at the end", "a\x82", "a "},
    {"lead byte before a special", "\x82<", " &lt;"},
    {"lead byte before a control", "\x82\t", " \t"},
    {"unassigned pairs", "\x85\x40\xEB\x9F", " @  "},
    {"user-defined and half-width characters", "\xF0\x40\xB1\x7F", "\xF0\x40\xB1\x7F"},
    {"255 bytes", std::string(255, 'x'), std::string(255, 'x')},
    {"escaped form of 255 bytes", std::string(51, '&'), Repeat("&amp;", 51)},
    {"256 bytes", std::string(256, 'x'), ""},
    {"escaped form beyond 255", std::string(42, '"') + "abcd", ""},
};

TEST(XmlWriterEscape, Table) {
    for (const EscapeCase& c : kEscapeCases) EXPECT_EQ(ClXmlWriter::Escape(c.text.c_str()), c.expected) << c.label;
}

// XML 1.0 admits of the C0 controls only TAB, CR and LF; every other one
// is written as a space.
TEST(XmlWriterEscape, ForbiddenControlsBecomeSpaces) {
    for (int c = 1; c < 0x20; ++c) {
        const std::string text = std::string("a") + static_cast<char>(c) + "b";
        const bool allowed = c == '\t' || c == '\r' || c == '\n';
        EXPECT_EQ(ClXmlWriter::Escape(text.c_str()), allowed ? text : std::string("a b")) << c;
    }
}

// --- Lines ------------------------------------------------------------------

struct LineCase {
    const char* label;
    std::function<int(ClXmlWriter&)> write;
    const char* expected;
};

const LineCase kLineCases[] = {
    {"start tag with one attribute",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "SISAN", 2, "Count", "1", nullptr, nullptr);
     },
     "\t\t<SISAN Count=\"1\">\r\n"},
    {"start tag with two attributes",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "A", 1, "x", "1", "y", "<2>");
     },
     "\t<A x=\"1\" y=\"&lt;2&gt;\">\r\n"},
    {"attribute name without value",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "SISAN", 2, "Count", nullptr, nullptr, nullptr);
     },
     "\t\t<SISAN>\r\n"},
    {"second attribute without the first",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "B", 0, nullptr, nullptr, "y", "2");
     },
     "<B>\r\n"},
    {"element with second attribute without the first",
     [](ClXmlWriter& w) {
         char line[256];
         return w.WriteElement(line, "B", "t", 0, nullptr, "1", "y", "2");
     },
     "<B>t</B>\r\n"},
    {"attribute value escaped",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "C", 0, "q", "a\"b'c&");
     },
     "<C q=\"a&quot;b&apos;c&amp;\">\r\n"},
    {"text element",
     [](ClXmlWriter& w) {
         char line[256];
         return w.WriteElement(line, "VERSION", "1", 2);
     },
     "\t\t<VERSION>1</VERSION>\r\n"},
    {"text element with attributes",
     [](ClXmlWriter& w) {
         char line[256];
         return w.WriteElement(line, "V", "&", 1, "a", "1", "b", "2");
     },
     "\t<V a=\"1\" b=\"2\">&amp;</V>\r\n"},
    {"empty text",
     [](ClXmlWriter& w) {
         char line[256];
         return w.WriteElement(line, "SUURYO", "", 3);
     },
     "\t\t\t<SUURYO></SUURYO>\r\n"},
    {"text with a line break stays inside",
     [](ClXmlWriter& w) {
         char line[256];
         return w.WriteElement(line, "T", "a\r\nb", 0);
     },
     "<T>a\r\nb</T>\r\n"},
    {"end tag",
     [](ClXmlWriter& w) {
         char line[256];
         return w.EndElement(line, "DATA", 1);
     },
     "\t</DATA>\r\n"},
    {"negative indent",
     [](ClXmlWriter& w) {
         char line[256];
         return w.EndElement(line, "X", -3);
     },
     "</X>\r\n"},
    {"names unchanged",
     [](ClXmlWriter& w) {
         char line[256];
         return w.StartElement(line, "a&b", 0);
     },
     "<a&b>\r\n"},
    {"text unchanged", [](ClXmlWriter& w) { return w.WriteText("<?x?>\r\n"); }, "<?x?>\r\n"},
    {"line and terminator exactly filling the buffer",
     [](ClXmlWriter& w) {
         char line[12];
         return w.EndElement(line, "ABCDE", 1);
     },
     "\t</ABCDE>\r\n"},
};

TEST_F(XmlWriterTest, EachLineKind) {
    for (const LineCase& c : kLineCases) {
        CFile file;
        ClXmlWriter writer;
        ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0) << c.label;
        EXPECT_EQ(c.write(writer), 1) << c.label;
        EXPECT_EQ(writer.Close(), 0) << c.label;
        EXPECT_EQ(ReadFile(HostFile()), c.expected) << c.label;
    }
}

// Whatever two bytes a value holds, as text or as an attribute, the
// document stays well-formed for a reader of code page 932.
TEST_F(XmlWriterTest, EveryTwoByteValueKeepsTheDocumentWellFormed) {
    if (!reporttest::XmllintAvailable()) GTEST_SKIP() << "no xmllint to read the document back";
    CFile file;
    ClXmlWriter writer;
    char root[512];
    char line[256];
    ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    ASSERT_EQ(writer.WriteText("<?xml version=\"1.0\" encoding=\"CP932\"?>\r\n"), 1);
    ASSERT_EQ(writer.StartElement(root, "R", 0), 1);
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            const char value[] = {static_cast<char>(a), static_cast<char>(b), '\0'};
            ASSERT_EQ(writer.WriteElement(line, "V", value, 1, "v", value), 1);
        }
    }
    ASSERT_EQ(writer.EndElement(root, "R", 0), 1);
    ASSERT_EQ(writer.Close(), 0);
    EXPECT_TRUE(reporttest::Xmllint({"--noout"}, HostFile()));
}

TEST_F(XmlWriterTest, MinimalDocumentIs65Bytes) {
    CFile file;
    ClXmlWriter writer;
    char line[512];
    ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    EXPECT_EQ(writer.WriteText("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"), 1);
    EXPECT_EQ(writer.StartElement(line, "REPORT", 0, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(writer.EndElement(line, "REPORT", 0), 1);
    EXPECT_EQ(writer.Close(), 0);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
        "<REPORT>\r\n"
        "</REPORT>\r\n";
    ASSERT_EQ(expected.size(), 65u);
    EXPECT_EQ(ReadFile(HostFile()), expected);
}

TEST_F(XmlWriterTest, OpenTruncatesAnExistingFile) {
    reporttest::WriteFile(HostFile(), std::string(1000, 'z'));
    {
        CFile file;
        ClXmlWriter writer;
        ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0);
        EXPECT_EQ(writer.WriteText("a"), 1);
    }  // the destructor closes
    EXPECT_EQ(ReadFile(HostFile()), "a");
}

TEST_F(XmlWriterTest, OpenRefusesNullFileOrPath) {
    CFile file;
    ClXmlWriter writer;
    EXPECT_EQ(writer.Open(nullptr, WindowsPath(HostFile()).c_str()), -1);
    EXPECT_EQ(writer.Open(&file, nullptr), -1);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(reporttest::Exists(HostFile()));
    EXPECT_EQ(writer.WriteText("x"), 0);
    EXPECT_EQ(writer.Close(), 0);
}

// --- Failures ---------------------------------------------------------------

// After the first failure the file is closed and every kind of write
// answers 0 without touching the file.
void ExpectFailedState(ClXmlWriter& writer, CFile& file) {
    char line[256];
    EXPECT_TRUE(writer.IsFailed());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(writer.WriteText("x\r\n"), 0);
    EXPECT_EQ(writer.StartElement(line, "A", 1), 0);
    EXPECT_EQ(writer.WriteElement(line, "B", "t", 2), 0);
    EXPECT_EQ(writer.EndElement(line, "A", 1), 0);
}

TEST_F(XmlWriterTest, DeviceFullFailsAndStaysFailed) {
    CFile file;
    ClXmlWriter writer;
    ASSERT_EQ(writer.Open(&file, reporttest::FullDiskFile().c_str()), 0);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(writer.WriteText("<?xml?>\r\n"), 0);
    ExpectFailedState(writer, file);
    EXPECT_EQ(writer.Close(), 0);
}

TEST_F(XmlWriterTest, FullFileSystemKeepsTheWholeLinesBefore) {
    reporttest::SmallDisk small(m_dir);
    if (!small.Ready()) GTEST_SKIP() << small.Why();

    const std::string host = small.File("out.xml");
    CFile file;
    ClXmlWriter writer;
    ASSERT_EQ(writer.Open(&file, WindowsPath(host).c_str()), 0);
    // 64 lines of 64 bytes fill the one page exactly.
    char line[256];
    const std::string text(52, 'v');
    std::string expected;
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(writer.WriteElement(line, "VA", text.c_str(), 1), 1) << i;
        expected += "\t<VA>" + text + "</VA>\r\n";
    }
    ASSERT_EQ(expected.size(), 4096u);
    EXPECT_EQ(writer.WriteElement(line, "VA", text.c_str(), 1), 0);
    ExpectFailedState(writer, file);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(ReadFile(host), expected);
}

TEST_F(XmlWriterTest, FileThatCannotBeCreatedFailsAtTheFirstWrite) {
    reporttest::WriteFile(HostFile("plain"), "not a folder");
    const std::string host = HostFile("plain") + "/out.xml";
    CFile file;
    ClXmlWriter writer;
    EXPECT_EQ(writer.Open(&file, WindowsPath(host).c_str()), 0);
    EXPECT_EQ(writer.WriteText("<?xml?>\r\n"), 0);
    ExpectFailedState(writer, file);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(ReadFile(HostFile("plain")), "not a folder");
}

// A network share or a quota can refuse the close itself, after every
// write went through: the data may never have reached the file.
class CloseFailingFile : public CFile {
public:
    void Close() override {
        CFile::Close();
        throw CFileException(CFileException::diskFull, ENOSPC, "out.xml");
    }
};

TEST_F(XmlWriterTest, AFailedCloseAnswersMinusOneAndTheFileIsLetGo) {
    CloseFailingFile file;
    ClXmlWriter writer;
    ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    ASSERT_EQ(writer.WriteText("<R>\r\n"), 1);
    EXPECT_EQ(writer.Close(), -1);
    EXPECT_FALSE(file.IsOpen());
    // Nothing is held any more: no further line, and a second close has
    // nothing to report.
    EXPECT_EQ(writer.WriteText("<S>\r\n"), 0);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_EQ(ReadFile(HostFile()), "<R>\r\n");
}

// A line that does not fit is never cut: it fails like a write error, and
// the file keeps the lines before it.
struct OverlongCase {
    const char* label;
    std::function<int(ClXmlWriter&)> write;
};

const OverlongCase kOverlongCases[] = {
    {"terminator one byte over the buffer",
     [](ClXmlWriter& w) {
         char line[11];
         return w.EndElement(line, "ABCDE", 1);
     }},
    {"text whose escaped form exceeds 255 bytes",
     [](ClXmlWriter& w) {
         char line[512];
         return w.WriteElement(line, "T", std::string(52, '&').c_str(), 0);
     }},
    {"attribute value of 256 bytes",
     [](ClXmlWriter& w) {
         char line[512];
         return w.StartElement(line, "T", 0, "a", std::string(256, 'a').c_str());
     }},
    {"indent beyond the buffer",
     [](ClXmlWriter& w) {
         char line[256];
         return w.EndElement(line, "T", 1000000);
     }},
    {"indent filling the buffer",
     [](ClXmlWriter& w) {
         char line[8];
         return w.EndElement(line, "T", 8);
     }},
};

TEST_F(XmlWriterTest, OverlongLinesFailWithoutWritingHalfALine) {
    for (const OverlongCase& c : kOverlongCases) {
        CFile file;
        ClXmlWriter writer;
        ASSERT_EQ(writer.Open(&file, WindowsPath(HostFile()).c_str()), 0) << c.label;
        ASSERT_EQ(writer.WriteText("<R>\r\n"), 1) << c.label;
        EXPECT_EQ(c.write(writer), 0) << c.label;
        ExpectFailedState(writer, file);
        EXPECT_EQ(writer.Close(), 0) << c.label;
        EXPECT_EQ(ReadFile(HostFile()), "<R>\r\n") << c.label;
    }
}

}  // namespace
