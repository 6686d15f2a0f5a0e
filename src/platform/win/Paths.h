// File paths and files. Paths reach this unit as bytes of the system code
// page, in the Windows form ("C:\a\b.txt", "\\srv\share\x") or the POSIX form
// ("/a/b.txt", "//srv/share/x"); the helpers take "/" and "\" alike and write
// "/". Every scan walks characters in the system code page, so the trail byte
// 0x5C of a double-byte character is never taken for a "\". Before a path
// reaches the file system it is converted to the UTF-8 name the disk holds.
//
// Index: path pieces · native names · files and folders.
#pragma once

#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// ---- Path pieces (bytes in the system code page) ----

// Whether the byte at the 1-based index is "/" or "\" and starts a character.
bool IsPathDelimiter(std::string_view path, int index);
// The path with one "/" added unless it already ends with a delimiter ("" gives
// "/", as the original's gives its root).
AnsiString IncludeTrailingPathDelimiter(std::string_view path);
// The path without its one trailing delimiter; a path that is nothing but one
// delimiter (the root) stays as it is.
AnsiString ExcludeTrailingPathDelimiter(std::string_view path);
// Up to and including the last delimiter (or the "X:" of a drive); "" when
// there is none.
AnsiString ExtractFilePath(std::string_view path);
// ExtractFilePath without its trailing delimiter, except where that delimiter
// is the root ("/a" -> "/", "C:\a" -> "C:\").
AnsiString ExtractFileDir(std::string_view path);
// What follows the last delimiter (or drive).
AnsiString ExtractFileName(std::string_view path);
// The extension of the file name with its dot ("b.tar.gz" -> ".gz"); "" when
// the file name has no dot.
AnsiString ExtractFileExt(std::string_view path);
// The path with its extension replaced by ext (which carries its dot), or ext
// appended when there is none; ext "" removes the extension.
AnsiString ChangeFileExt(std::string_view path, std::string_view ext);

// ---- Native names ----

// A path that the system code page cannot decode, or a native name that it
// cannot hold.
class EPathConvertError : public EConvertError {
public:
  using EConvertError::EConvertError;
  const char* ClassName() const override { return "EPathConvertError"; }
};

// System-code-page bytes -> the UTF-8 name on disk, every "\" written "/".
// A drive prefix means nothing here: "C:\a" and "C:/a" name "/a" (the drive's
// root is the root), a drive-relative "C:a" names "a". A share "\\srv\x" keeps
// its two leading delimiters ("//srv/x"). Raises EPathConvertError naming the
// path when a byte is not valid in the system code page (such a path names no
// file that could exist, and creating one under a garbled name would lose it).
std::string ToNativePath(std::string_view path);
// The UTF-8 name from the file system -> system-code-page bytes. A character
// the code page cannot hold becomes "?"; lossy, when given, tells whether that
// happened (such a name cannot be opened again through ToNativePath).
AnsiString FromNativePath(std::string_view nativePath, bool* lossy = nullptr);

// ---- Files and folders (paths in the system code page) ----
// A path that cannot be converted names nothing: the queries answer false,
// reading and appending raise.

// An existing file that is not a folder (symbolic links followed).
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// Creates the folder and every missing parent. True when the folder exists
// afterwards; false for "", for a path where a file stands, or when the
// system refuses.
bool ForceDirectories(std::string_view path);
// Removes a file (never a folder); false when it did not exist or could not
// be removed.
bool DeleteFile(std::string_view path);
// The whole file as bytes. Raises EInOutError (with errno and the path) when
// it cannot be read.
AnsiString ReadFileBytes(std::string_view path);
// Appends line followed by CR LF, creating the file when missing. Log files
// keep the original's line ends, so a message that carries "\r\n" inside reads
// like the record breaks around it. Raises EInOutError when it cannot write.
void AppendLine(std::string_view path, std::string_view line);
