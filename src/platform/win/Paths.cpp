#include "platform/win/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr std::string_view kPathDelimiters = "/\\";

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:" at the start. A letter is a single-byte character, so the colon after
// it always starts a character.
bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

// 1-based index of the last delimiter, or of the drive's colon when there is
// no delimiter after it; 0 when the path has neither.
int LastPathDelimiter(std::string_view path) {
  int i = LastDelimiter(kPathDelimiters, path);
  if (i == 0 && HasDrive(path)) i = 2;
  return i;
}

// The index of the dot that starts the extension, 0 when there is none.
int ExtensionDot(std::string_view path) {
  int i = LastDelimiter(".\\/", path);
  if (i > 0 && path[i - 1] == '.' && i > LastPathDelimiter(path)) return i;
  return 0;
}

AnsiString Quoted(std::string_view path) { return "\"" + AnsiString(path) + "\""; }

// Converts for a query: a path that cannot be converted names no file.
bool TryNative(std::string_view path, std::string& native) {
  try {
    native = ToNativePath(path);
    return !native.empty();
  } catch (const EPathConvertError&) {
    return false;
  }
}

[[noreturn]] void RaiseIo(const char* what, std::string_view path, int error) {
  throw EInOutError(AnsiString(what) + " " + Quoted(path) + ": " + std::strerror(error), error);
}

std::string NativeOrRaise(const char* what, std::string_view path) {
  try {
    std::string native = ToNativePath(path);
    if (native.empty()) RaiseIo(what, path, ENOENT);
    return native;
  } catch (const EPathConvertError& e) {
    throw EInOutError(AnsiString(what) + " " + Quoted(path) + ": " + e.Message(), EILSEQ);
  }
}

}  // namespace

bool IsPathDelimiter(std::string_view path, int index) {
  return IsDelimiter(kPathDelimiters, path, index);
}

AnsiString IncludeTrailingPathDelimiter(std::string_view path) {
  AnsiString result(path);
  if (!IsPathDelimiter(path, static_cast<int>(path.size()))) result += '/';
  return result;
}

AnsiString ExcludeTrailingPathDelimiter(std::string_view path) {
  if (path.size() > 1 && IsPathDelimiter(path, static_cast<int>(path.size())))
    path.remove_suffix(1);
  return AnsiString(path);
}

AnsiString ExtractFilePath(std::string_view path) {
  return AnsiString(path.substr(0, LastPathDelimiter(path)));
}

AnsiString ExtractFileDir(std::string_view path) {
  int i = LastPathDelimiter(path);
  // Keep the delimiter that is the root: a lone "/", the one after a drive,
  // the second of a share's "//".
  if (i > 1 && IsPathDelimiter(path, i) && !IsPathDelimiter(path, i - 1) &&
      !(i - 1 == 2 && HasDrive(path)))
    --i;
  return AnsiString(path.substr(0, i));
}

AnsiString ExtractFileName(std::string_view path) {
  return AnsiString(path.substr(LastPathDelimiter(path)));
}

AnsiString ExtractFileExt(std::string_view path) {
  int dot = ExtensionDot(path);
  return dot > 0 ? AnsiString(path.substr(dot - 1)) : AnsiString();
}

AnsiString ChangeFileExt(std::string_view path, std::string_view ext) {
  int dot = ExtensionDot(path);
  AnsiString result(dot > 0 ? path.substr(0, dot - 1) : path);
  result += ext;
  return result;
}

std::string ToNativePath(std::string_view path) {
  std::string_view rest = path;
  // The drive names no place here: "C:\a" is "/a", "C:a" is "a".
  if (HasDrive(rest)) rest.remove_prefix(2);
  if (rest.find('\0') != std::string_view::npos)
    throw EPathConvertError("Path " + Quoted(path) + " holds a NUL byte");
  if (!rest.empty() && MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, rest.data(),
                                           static_cast<int>(rest.size()), nullptr, 0) == 0)
    throw EPathConvertError("Path " + Quoted(path) + " is not valid in code page " +
                            std::to_string(SystemCodePage()));
  WideString wide = CodePageToWide(CP_ACP, rest);
  // After the conversion a 0x5C byte is always a backslash: UTF-8 has no
  // trail bytes below 0x80.
  std::string native = WideToUtf8(wide);
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

AnsiString FromNativePath(std::string_view nativePath, bool* lossy) {
  WideString wide = Utf8ToWide(nativePath);
  bool usedDefault = false;
  AnsiString result = WideToCodePage(CP_ACP, wide, &usedDefault);
  if (lossy) *lossy = usedDefault || wide.find(u'\uFFFD') != WideString::npos;
  return result;
}

bool FileExists(std::string_view path) {
  std::string native;
  struct stat st {};
  return TryNative(path, native) && ::stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  std::string native;
  struct stat st {};
  return TryNative(path, native) && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(std::string_view path) {
  std::string native;
  if (!TryNative(path, native)) return false;
  std::error_code ec;
  std::filesystem::create_directories(native, ec);
  // Asking again covers a folder that was there already or that another
  // process made meanwhile, and a trailing "/" that some library versions
  // report as a failure after creating the folder.
  struct stat st {};
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view path) {
  std::string native;
  return TryNative(path, native) && ::unlink(native.c_str()) == 0;
}

AnsiString ReadFileBytes(std::string_view path) {
  std::string native = NativeOrRaise("Cannot read file", path);
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseIo("Cannot read file", path, errno);
  AnsiString bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      RaiseIo("Cannot read file", path, error);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

void AppendLine(std::string_view path, std::string_view line) {
  std::string native = NativeOrRaise("Cannot append to file", path);
  int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) RaiseIo("Cannot append to file", path, errno);
  // One write for the whole record, so that records appended by two
  // processes at once do not interleave.
  std::string record(line);
  record += "\r\n";
  size_t done = 0;
  while (done < record.size()) {
    ssize_t n = ::write(fd, record.data() + done, record.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      RaiseIo("Cannot append to file", path, error);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) RaiseIo("Cannot append to file", path, errno);
}
