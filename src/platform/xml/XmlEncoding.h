// How XML documents meet byte strings. A document holds the bytes of one code
// page (the caller's, normally the system code page) and pugixml parses those
// bytes without decoding them: GBK and Big5 trail bytes are >= 0x40, so they
// never look like markup. This unit does the two things that need a code
// page: it brings a file's bytes into the document's code page (byte order
// mark first, then the declared encoding) and turns numeric character
// references into bytes of that code page, so that "&#x4E2D;" and a literal
// character give the same bytes.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// Bytes that are not text in their encoding, an encoding this runtime cannot
// convert, or a character reference that names no character. Offset counts
// bytes from the start of the text that was being read.
class EXmlEncodingError : public EConvertError {
public:
  EXmlEncodingError(AnsiString message, size_t offset);
  size_t Offset() const { return FOffset; }
  const char* ClassName() const override { return "EXmlEncodingError"; }

private:
  size_t FOffset;
};

// The code page an encoding name stands for ("UTF-8", "GB2312", "gbk",
// "Big5", "windows-1252", "cp950", "ISO-8859-1" ...; ASCII case ignored);
// 0 for a name this runtime cannot convert. UTF-16 is no byte code page and
// gives 0 too: it is recognised by its byte pattern instead.
int XmlEncodingCodePage(std::string_view name);

// The value of encoding="..." in an XML declaration at the very start of the
// bytes (after a UTF-8 byte order mark); "" when there is no declaration or it
// names no encoding.
AnsiString DeclaredXmlEncoding(std::string_view bytes);

// A file's bytes -> the same document in codePage, without a byte order mark.
// The encoding is, in this order: the byte order mark (UTF-8, UTF-16 LE/BE);
// UTF-16 recognised by "<?" written in two-byte units; the declared encoding;
// without a declaration UTF-8 when the bytes are valid UTF-8, else the bytes
// are taken as codePage bytes (files written by hand in the local code page).
// Bytes already in codePage are kept as they are. Characters codePage cannot
// hold become "?". Raises EXmlEncodingError for an encoding that cannot be
// converted and for bytes that are not valid in the encoding they claim.
AnsiString XmlFileToCodePage(std::string_view fileBytes, int codePage);

// Text handed over by a caller is already in codePage and its declaration is
// only a label (documents travel with "GB2312" declared over Big5 bytes). The
// one exception is a UTF-8 byte order mark, which no code page text starts
// with: such a text is UTF-8 and is converted like a file.
AnsiString XmlTextToCodePage(std::string_view text, int codePage);

// Replaces the numeric character references (&#N; and &#xH;) of characters
// beyond ASCII in text content and attribute values with their bytes in
// codePage ("?" when it cannot hold them); comments, CDATA sections and
// processing instructions are left alone, and so are ASCII references, which
// the parser resolves itself. Raises EXmlEncodingError for a malformed
// reference or one that names no XML character (&#0;, a surrogate).
AnsiString ResolveCharacterReferences(std::string_view text, int codePage);

// Document bytes in codePage -> UTF-8 for a file. Raises EXmlEncodingError
// when a byte is not valid in codePage: writing U+FFFD would lose it.
AnsiString CodePageToUtf8Strict(std::string_view bytes, int codePage);
