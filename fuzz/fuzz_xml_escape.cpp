// The XML writer's escaping: any bytes, cut at their NULs into values, are
// written as element text and as attribute values; the document is always
// well-formed for a reader of code page 932 (libxml2 over iconv, as the
// tests' xmllint), and a value that holds only what XML allows comes back
// from the parser as the same characters.

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "compat/drives.h"
#include "compat/file.h"
#include "compat/mbcs.h"
#include "report/ClXmlWriter.h"

namespace {

// What a parser makes of line ends inside element text.
std::string NormaliseLineEnds(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Whether the writer has to replace anything in text.
bool AllAllowed(const std::string& text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        const size_t width = compat::XmlCharLength(bytes + i, text.size() - i);
        if (width == 0) return false;
        i += width;
    }
    return true;
}

}  // namespace

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string input = testCase.substr(0, 4096);
    const std::string home = fuzz::Home("xml_escape");
    const std::string hostFile = home + "/out.xml";

    std::vector<std::string> values;
    for (size_t start = 0;;) {
        const size_t nul = input.find('\0', start);
        values.push_back(input.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
        if (nul == std::string::npos) break;
        start = nul + 1;
    }

    CFile file;
    ClXmlWriter writer;
    // Room for every value within the escape limit, so that no line fails.
    char line[2048];
    FUZZ_CHECK(writer.Open(&file, compat::ToWindowsPath(hostFile).c_str()) == 0);
    FUZZ_CHECK(writer.WriteText("<?xml version=\"1.0\" encoding=\"CP932\"?>\r\n") == 1);
    FUZZ_CHECK(writer.StartElement(line, "R", 0) == 1);
    std::vector<std::string> written;
    for (const std::string& value : values) {
        const fuzz::GuardedBuffer text = fuzz::GuardedBuffer::Text(value);
        const std::string escaped = ClXmlWriter::Escape(text.Data());
        FUZZ_CHECK(escaped.size() < ClXmlWriter::ESCAPE_BUFFER_SIZE);
        if (escaped.empty() && !value.empty()) {
            FUZZ_CHECK(value.size() > 42);  // 43 double quotes are the shortest text that grows past 255 bytes
            continue;
        }
        FUZZ_CHECK(writer.WriteElement(line, "V", text.Data(), 1, "a", text.Data()) == 1);
        written.push_back(value);
    }
    FUZZ_CHECK(writer.EndElement(line, "R", 0) == 1);
    FUZZ_CHECK(writer.Close() == 0);

    const std::string document = fuzz::ReadFile(hostFile);
    xmlDocPtr doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), "out.xml", "CP932",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    FUZZ_CHECK(doc != nullptr);
    xmlNodePtr root = xmlDocGetRootElement(doc);
    FUZZ_CHECK(root != nullptr);
    size_t index = 0;
    for (xmlNodePtr node = root->children; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        FUZZ_CHECK(index < written.size());
        const std::string& value = written[index++];
        xmlChar* content = xmlNodeGetContent(node);
        const std::string parsed = content != nullptr ? reinterpret_cast<const char*>(content) : "";
        xmlFree(content);
        if (AllAllowed(value)) FUZZ_CHECK(parsed == NormaliseLineEnds(compat::SjisToUtf8(value)));
    }
    FUZZ_CHECK(index == written.size());
    xmlFreeDoc(doc);
}
