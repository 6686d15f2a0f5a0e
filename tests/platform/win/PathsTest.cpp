#include "platform/win/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/TempDir.h"

// GBK bytes below come from iconv -f UTF-8 -t CP936:
//   "\x95\x5C" is 昞 (its trail byte is "\"), "\x9C\x5C" is 淺 (likewise),
//   "\xD6\xD0\xCE\xC4" is 中文.
// Native (UTF-8) names are escaped too: narrow literals are compiled to GBK.
namespace {

#define UTF8_ZHONGWEN "\xE4\xB8\xAD\xE6\x96\x87"  // 中文
#define UTF8_BING "\xE6\x98\x9E"                   // 昞
#define UTF8_QIAN "\xE6\xB7\xBA"                   // 淺

class PathsTest : public testing::Test {
protected:
  TScopedCodePage FCodePage{936};
};

struct TPieces {
  const char* Name;
  AnsiString Path;
  AnsiString FilePath, FileDir, FileName, FileExt;
};

}  // namespace

// Guards against byte-wise scans that cut a double-byte character at its
// 0x5C trail byte, and against "/" and "\" being treated differently.
TEST_F(PathsTest, SplitsPathsAtDelimitersOnly) {
  const TPieces rows[] = {
      {"windows form", "C:\\dir\\file.txt", "C:\\dir\\", "C:\\dir", "file.txt", ".txt"},
      {"posix form", "/opt/kulr/file.tar.gz", "/opt/kulr/", "/opt/kulr", "file.tar.gz", ".gz"},
      {"mixed delimiters", "a/b\\c.d", "a/b\\", "a/b", "c.d", ".d"},
      {"posix root", "/file", "/", "/", "file", ""},
      {"drive root", "C:\\file", "C:\\", "C:\\", "file", ""},
      {"drive relative", "C:file.x", "C:", "C:", "file.x", ".x"},
      {"share", "\\\\srv\\share", "\\\\srv\\", "\\\\srv", "share", ""},
      {"posix share", "//srv", "//", "//", "srv", ""},
      {"dot in folder only", "dir.d/file", "dir.d/", "dir.d", "file", ""},
      {"bare name", "file", "", "", "file", ""},
      {"empty", "", "", "", "", ""},
      {"trailing delimiter", "dir/", "dir/", "dir", "", ""},
      {"dot file", "dir/.profile", "dir/", "dir", ".profile", ".profile"},
      {"trail byte in file name", "\xD6\xD0\\\x95\x5C", "\xD6\xD0\\", "\xD6\xD0", "\x95\x5C", ""},
      {"trail byte before extension", "\x95\x5C.txt", "", "", "\x95\x5C.txt", ".txt"},
      {"trail byte in folder", "a\\\x9C\x5C\\b", "a\\\x9C\x5C\\", "a\\\x9C\x5C", "b", ""},
      {"trail byte ends folder", "\x9C\x5C/b", "\x9C\x5C/", "\x9C\x5C", "b", ""},
  };
  for (const TPieces& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(ExtractFilePath(row.Path), row.FilePath);
    EXPECT_EQ(ExtractFileDir(row.Path), row.FileDir);
    EXPECT_EQ(ExtractFileName(row.Path), row.FileName);
    EXPECT_EQ(ExtractFileExt(row.Path), row.FileExt);
  }
}

// Guards against a trail byte 0x5C counting as a trailing "\" (a folder
// named 昞 would get no delimiter, or lose half of its last character).
TEST_F(PathsTest, AddsAndRemovesTrailingDelimiters) {
  struct TRow {
    const char* Name;
    AnsiString Path, Included, Excluded;
  } rows[] = {
      {"no delimiter", "a", "a/", "a"},
      {"backslash", "a\\", "a\\", "a"},
      {"slash", "a/", "a/", "a"},
      {"trail byte", "\x95\x5C", "\x95\x5C/", "\x95\x5C"},
      {"trail byte then backslash", "\x95\x5C\\", "\x95\x5C\\", "\x95\x5C"},
      {"root stays", "/", "/", "/"},
      {"one of two removed", "a//", "a//", "a/"},
      {"empty", "", "/", ""},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(IncludeTrailingPathDelimiter(row.Path), row.Included);
    EXPECT_EQ(ExcludeTrailingPathDelimiter(row.Path), row.Excluded);
  }
}

// Guards against a delimiter test that looks at bytes instead of characters.
TEST_F(PathsTest, IsPathDelimiterSkipsTrailBytes) {
  EXPECT_TRUE(IsPathDelimiter("a\\b", 2));
  EXPECT_TRUE(IsPathDelimiter("a/b", 2));
  EXPECT_FALSE(IsPathDelimiter("a\\b", 1));
  EXPECT_FALSE(IsPathDelimiter("\x95\x5C", 2));
  EXPECT_FALSE(IsPathDelimiter("a/", 0));
  EXPECT_FALSE(IsPathDelimiter("a/", 3));
}

// Guards against an extension found inside a folder name or a character.
TEST_F(PathsTest, ChangesOnlyTheFileNamesExtension) {
  EXPECT_EQ(ChangeFileExt("a/b.txt", ".ini"), "a/b.ini");
  EXPECT_EQ(ChangeFileExt("a.d/b", ".ini"), "a.d/b.ini");
  EXPECT_EQ(ChangeFileExt("b.tar.gz", ""), "b.tar");
  EXPECT_EQ(ChangeFileExt("\x95\x5C", ".lng"), "\x95\x5C.lng");
  EXPECT_EQ(ChangeFileExt("C:\\x\\Kulr31C.dll", ".so"), "C:\\x\\Kulr31C.so");
}

// Guards against GBK bytes reaching the file system unconverted, and against
// a trail byte 0x5C being rewritten to "/" (which splits the character).
TEST_F(PathsTest, ToNativePathConvertsToUtf8WithSlashes) {
  struct TRow {
    const char* Name;
    AnsiString Path;
    std::string Native;
  } rows[] = {
      {"drive root is the root", "C:\\Temp\\Log", "/Temp/Log"},
      {"drive with slash", "C:/Temp", "/Temp"},
      {"drive relative", "C:Temp", "Temp"},
      {"share", "\\\\srv\\share", "//srv/share"},
      {"posix", "/opt/x", "/opt/x"},
      {"relative", "Profile\\User", "Profile/User"},
      {"chinese", "\xD6\xD0\xCE\xC4\\a", UTF8_ZHONGWEN "/a"},
      {"trail byte 0x5C", "\x95\x5C\\\x9C\x5C", UTF8_BING "/" UTF8_QIAN},
      {"empty", "", ""},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(ToNativePath(row.Path), row.Native);
  }
}

// Guards against a broken or truncated name creating a file under a garbled
// (or NUL-cut) name instead of failing.
TEST_F(PathsTest, ToNativePathRejectsBytesTheCodePageCannotDecode) {
  const AnsiString bad[] = {
      "a\x81\x20" "b",          // lead byte before a byte no character has
      "a\xD6",                  // character cut at the end
      std::string("a\0b", 3),   // NUL would end the name early
  };
  for (const AnsiString& path : bad) {
    SCOPED_TRACE(testing::PrintToString(path));
    EXPECT_THROW(ToNativePath(path), EPathConvertError);
  }
}

// Guards against lossy conversion going unnoticed when a name from disk has
// a character the code page lacks.
TEST_F(PathsTest, FromNativePathReportsLoss) {
  bool lossy = true;
  EXPECT_EQ(FromNativePath(UTF8_ZHONGWEN "/" UTF8_BING, &lossy), "\xD6\xD0\xCE\xC4/\x95\x5C");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(FromNativePath("/a/\xF0\x9F\x98\x80", &lossy), "/a/?");  // U+1F600
  EXPECT_TRUE(lossy);
}

// Guards against the 1252 code page being treated as double-byte.
TEST(PathsCodePage1252Test, ConvertsSingleBytes) {
  TScopedCodePage codePage(1252);
  EXPECT_EQ(ToNativePath("caf\xE9\\x"), "caf\xC3\xA9/x");
  EXPECT_EQ(ExtractFileName("a\\\x95\\b"), "b");  // 0x95 is a letter here
}

// Guards against missing parents, a file standing in the way being reported
// as a folder, and GBK folder names created under their raw bytes.
TEST_F(PathsTest, ForceDirectoriesCreatesParents) {
  TTempDir dir;
  const AnsiString base = FromNativePath(dir.Path());
  EXPECT_TRUE(ForceDirectories(base + "/a/b\\c"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
  EXPECT_TRUE(ForceDirectories(base + "/a/b/c/"));  // already there
  EXPECT_TRUE(ForceDirectories(base + "\\\xD6\xD0\xCE\xC4\\\x95\x5C"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / UTF8_ZHONGWEN "/" UTF8_BING));

  dir.WriteFile("file", "x");
  EXPECT_FALSE(ForceDirectories(base + "/file"));
  EXPECT_FALSE(ForceDirectories(base + "/file/sub"));
  EXPECT_FALSE(ForceDirectories(""));
  EXPECT_FALSE(ForceDirectories(base + "/\x81\x20"));
}

// Guards against folders counting as files and the reverse.
TEST_F(PathsTest, FileAndDirectoryExistTellKindsApart) {
  TTempDir dir;
  const AnsiString base = FromNativePath(dir.Path());
  dir.WriteFile(UTF8_ZHONGWEN ".txt", "x");
  EXPECT_TRUE(FileExists(base + "/\xD6\xD0\xCE\xC4.txt"));
  EXPECT_FALSE(DirectoryExists(base + "/\xD6\xD0\xCE\xC4.txt"));
  EXPECT_TRUE(DirectoryExists(base));
  EXPECT_FALSE(FileExists(base));
  EXPECT_FALSE(FileExists(base + "/missing"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(base + "/\x81\x20"));  // cannot be decoded: names nothing
}

// Guards against DeleteFile removing folders or reporting success for a
// file that was not there.
TEST_F(PathsTest, DeleteFileRemovesFilesOnly) {
  TTempDir dir;
  const AnsiString base = FromNativePath(dir.Path());
  dir.WriteFile("f", "x");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(DeleteFile(base + "/f"));
  EXPECT_FALSE(std::filesystem::exists(dir / "f"));
  EXPECT_FALSE(DeleteFile(base + "/f"));
  EXPECT_FALSE(DeleteFile(base + "/sub"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "sub"));
}

// Guards against text-mode reading that drops CR or stops at NUL.
TEST_F(PathsTest, ReadFileBytesKeepsEveryByte) {
  TTempDir dir;
  const std::string bytes("a\r\n\0\xD6\xD0", 6);
  dir.WriteFile("data", bytes);
  EXPECT_EQ(ReadFileBytes(FromNativePath(dir / "data")), bytes);
  EXPECT_EQ(ReadFileBytes(FromNativePath(dir.WriteFile("empty", ""))), "");
}

// Guards against read failures that come back as an empty file.
TEST_F(PathsTest, ReadFileBytesRaisesWithThePath) {
  TTempDir dir;
  const AnsiString missing = FromNativePath(dir / "missing.txt");
  try {
    ReadFileBytes(missing);
    FAIL() << "no exception";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  EXPECT_THROW(ReadFileBytes(FromNativePath(dir.Path())), EInOutError);  // a folder
  EXPECT_THROW(ReadFileBytes("\x81\x20"), EInOutError);
}

// Guards against appending that overwrites, loses the line end, or fails
// silently where the folder is missing.
TEST_F(PathsTest, AppendLineCreatesThenAppendsWithCrLf) {
  TTempDir dir;
  const AnsiString log = FromNativePath(dir / "Log.txt");
  AppendLine(log, "one");
  AppendLine(log, "\xD6\xD0");
  std::ifstream file(dir / "Log.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "one\r\n\xD6\xD0\r\n");
  EXPECT_THROW(AppendLine(FromNativePath(dir / "no/such/folder.txt"), "x"), EInOutError);
}
