// The readers of the installation's profiles: THelmarIniC reads the client
// profile (HelmarC.ini: server addresses, code pages, work-library folders),
// THelmarIniS the application server's (HelmarS.ini: database settings with
// their scrambled passwords). Both find the installation folder through the
// registry key HKEY_LOCAL_MACHINE\Software\ORLAN\Helmar, read everything in
// their constructor and only expose it afterwards; nothing is cached between
// readers and nothing is ever written back. A missing key, folder or file is
// never raised: it shows in LastError and in the defaults the fields keep. A
// registry file that cannot be parsed raises its EReadError (naming file and
// line) instead of passing for a missing key.
//
// Paths come from the registry and the profile in the Windows form
// ("C:\Helmar\") or the POSIX form ("/opt/helmar/"); a trailing delimiter the
// readers add is written "/".
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// The registry key under HKEY_LOCAL_MACHINE that names both installations.
inline constexpr char HelmarRegistryKey[] = "Software\\ORLAN\\Helmar";

// Message codes the readers leave in LastError (texts in the server's
// message table).
inline constexpr char HelmarErrNoRegistryKey[] = "E;000015";
inline constexpr char HelmarErrNoServerAddress[] = "E;000016";

// What the stored form of a password turns into when it is not hexadecimal.
inline constexpr char HelmarPasswordError[] = "ZUB_Say_Password_Error";
// What an empty password is scrambled as, so that the stored form never is "".
inline constexpr char HelmarEmptyPasswordMarker[] = "ZUB_Say_NoPassWord_ThePassWordIsEmpty";

// A work-library or profile folder made absolute against base:
// - unchanged when it is absolute: a drive "D:…", a share "\\server\…" or
//   "//server/…" (any two leading delimiters), or a POSIX path "/…";
// - base + the rest when it starts with one "\" ("\Sub" lies below base: the
//   installation's own convention, unlike POSIX "/Sub");
// - base + folder otherwise.
// A base without a trailing delimiter gets one before anything is appended;
// an empty base leaves a relative folder relative.
AnsiString ResolvePath(std::string_view folder, std::string_view base);

// The stored form of a password: every byte, at 1-based position i, rotated
// right by i mod 8 bits and written as two lowercase hex digits ("abc" ->
// "b0986c"). An empty password is stored as the scrambled marker.
AnsiString ScramblePassword(std::string_view text);
// The plain password of a stored form: pairs of hex digits (either case)
// rotated back left; a single trailing digit is ignored; the scrambled marker
// gives "". A pair that is not hexadecimal gives HelmarPasswordError and
// writes one entry to the generator log; nothing is raised.
AnsiString UnscramblePassword(std::string_view text);

// The per-user profile folder base + "Profile/" + logonName + "/". "" when the
// logon name cannot name one folder below base (empty, "." or "..", or
// holding a path delimiter), and the shared profile is read instead. A name
// longer than 31 bytes is used whole: cutting it to fit a 32-character
// buffer could make two users share one profile.
AnsiString PerUserProfileFolder(std::string_view base, std::string_view logonName);

// What both readers hold; written only by their constructors.
class THelmarIni {
public:
  THelmarIni(const THelmarIni&) = delete;
  THelmarIni& operator=(const THelmarIni&) = delete;
  virtual ~THelmarIni();

  // The folder the profile was read from, with its trailing delimiter.
  const AnsiString& ProfilePath() const { return FProfilePath; }
  // The registry's "ProfileType": "0" or "" for one shared profile.
  const AnsiString& ProfileType() const { return FProfileType; }
  // The logon name for per-user profiles; "Default" for a shared profile or
  // a logon name that names no folder (see PerUserProfileFolder).
  const AnsiString& UserName() const { return FUserName; }
  // Code pages as decimal text ("936", "950"; "437" for any other system).
  const AnsiString& UICodePage() const { return FUICodePage; }
  const AnsiString& DBCodePage() const { return FDBCodePage; }
  const AnsiString& SystemCodePage() const { return FSystemCodePage; }
  // 0 none, 1 traditional -> simplified, 2 simplified -> traditional,
  // 4 no conversion but simplified-Chinese fonts.
  uint8_t UIConvertMode() const { return FUIConvertMode; }
  uint8_t DBConvertMode() const { return FDBConvertMode; }
  bool SupportCallBack() const { return FSupportCallBack; }
  // The profile file read ("" when reading stopped before it was found).
  const AnsiString& ProfileFile() const { return FProfileFile; }
  // A message code, or "" when reading went through.
  const AnsiString& LastError() const { return FLastError; }
  // The work-library folders, absolute and with trailing delimiters.
  const TStringList& WorkDLLPaths() const { return FWorkDLLPaths; }
  const AnsiString& ProductVersion() const { return FProductVersion; }

  // Replaces the contents of list with WorkDLLPaths.
  void GetWorkDLLPaths(TStrings& list) const;

protected:
  THelmarIni();

  // Reads the installation folder named by the registry value pathValue into
  // base (with a trailing delimiter) and finds the profile file. False when
  // reading stops: no key (LastError set) or an empty folder value.
  bool LocateProfile(const char* pathValue, const char* fileName, AnsiString& base);
  void ComputeConvertModes();
  // Turns the raw "name=folder" lines of WorkDLLPaths into folders resolved
  // against base; no lines give base + defaultFolder.
  void ResolveWorkDLLPaths(const AnsiString& base, const char* defaultFolder);

  AnsiString FProfilePath;
  AnsiString FProfileType = "0";
  AnsiString FUserName = "Default";
  AnsiString FUICodePage = "936";
  AnsiString FDBCodePage = "936";
  AnsiString FSystemCodePage;
  uint8_t FUIConvertMode = 0;
  uint8_t FDBConvertMode = 0;
  bool FSupportCallBack = false;
  AnsiString FProfileFile;
  AnsiString FLastError;
  TStringList FWorkDLLPaths;
  AnsiString FProductVersion;
};

// The client profile. The texts read from the file stay "" when reading
// stopped before it (no key, no installation folder).
class THelmarIniC : public THelmarIni {
public:
  THelmarIniC();

  // The client installation folder with its trailing delimiter.
  const AnsiString& ClientPath() const { return FClientPath; }
  // Two-dimensional [0..1, 0..n-1]: (0, i) the i-th host of "ComputerName",
  // (1, i) the "ServerPort" (an integer). Unassigned when there is no host.
  const Variant& ServerList() const { return FServerList; }
  const AnsiString& LangType() const { return FLangType; }
  const AnsiString& CreateGifBeforeSendEF() const { return FCreateGifBeforeSendEF; }
  const AnsiString& AutoCheckNewMsg() const { return FAutoCheckNewMsg; }
  const AnsiString& CheckInterval() const { return FCheckInterval; }
  const AnsiString& PopupMsg() const { return FPopupMsg; }
  const AnsiString& LoginCheck() const { return FLoginCheck; }

private:
  AnsiString FClientPath;
  Variant FServerList;
  AnsiString FLangType;
  AnsiString FCreateGifBeforeSendEF;
  AnsiString FAutoCheckNewMsg;
  AnsiString FCheckInterval;
  AnsiString FPopupMsg;
  AnsiString FLoginCheck;
};

// DBKind values, from the main database type.
inline constexpr uint8_t dbkOther = 0;
inline constexpr uint8_t dbkOracle = 1;
inline constexpr uint8_t dbkDB2 = 2;

// The application server's profile.
class THelmarIniS : public THelmarIni {
public:
  THelmarIniS();

  // The server installation folder with its trailing delimiter.
  const AnsiString& ServerPath() const { return FServerPath; }
  // Two-dimensional [0..3, 0..7]: row 0 the main database (alias, user,
  // plain password, type, name, server, connection and command time-outs),
  // row 1 the temporary database (the same, with a driver name in column 5),
  // row 2 the password control (host, port, client socket port, collation),
  // row 3 the exchange database (alias, user, password as stored). Cells no
  // key fills stay Empty; the array is there even when reading stopped.
  const Variant& DBSettings() const { return FDBSettings; }
  // dbkOracle, dbkDB2 or dbkOther.
  uint8_t DBKind() const { return FDBKind; }
  const AnsiString& SystemControlAddress() const { return FSystemControlAddress; }
  const AnsiString& OtherSystemControlAddress() const { return FOtherSystemControlAddress; }

private:
  AnsiString FServerPath;
  Variant FDBSettings;
  uint8_t FDBKind = dbkOther;
  AnsiString FSystemControlAddress;
  AnsiString FOtherSystemControlAddress;
};
